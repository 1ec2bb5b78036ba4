// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The hand-over between two copies of the program over a local socket,
// $XDG_RUNTIME_DIR/velmora.socket, which only the user can reach.
#include <QObject>
#include <QString>

#include "platform/hand_over_listener.h"
#include "platform/platform.h"

namespace velmora {

class QtHandOver : public QObject, public HandOver {
  Q_OBJECT
 public:
  // `socket_path` "" means the default; without a runtime folder there is
  // no hand-over at all.
  explicit QtHandOver(QString socket_path = {});

  void Listen(std::function<void(std::vector<std::string>)> receive) override;
  void Close() override;
  bool Send(const std::vector<std::string>& paths) override;

  static QString DefaultSocketPath();
  // One whole message in `data`: false while more is to come, with `bad`
  // set when it never can be one.
  static bool ParseMessage(const QByteArray& data, std::vector<std::string>& paths, bool& bad);
  const HandOverListener* listener() const { return listener_.get(); }

 private:
  QString path_;
  std::unique_ptr<HandOverListener> listener_;
};

}  // namespace velmora
