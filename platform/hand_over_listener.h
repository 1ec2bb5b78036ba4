// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The running copy's end of the hand-over: a listening AF_UNIX socket of its
// own, driven by the event loop, that nothing a peer does can knock out. At
// most kMaxConnections are open at once (more are closed at once), each
// closed after kConnectionMs without a complete message or once its message
// is in; a failed accept (out of descriptors, say) is tried again a moment
// later; the socket stays until Close(), and only then is its file removed,
// and only while it is still ours. (QLocalServer closes its server and
// removes the file when an accept fails, and its pending-connection limit
// does not bound open connections.)
#include <sys/types.h>

#include <QByteArray>
#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QSocketNotifier;
class QTimer;

namespace velmora {

class HandOverListener : public QObject {
  Q_OBJECT
 public:
  static constexpr int kMaxConnections = 16;
  static constexpr int kConnectionMs = 2000;
  // Parses one complete message; false while more is to come, and `bad`
  // when it never can be one.
  using Parser = std::function<bool(const QByteArray& data, std::vector<std::string>& paths, bool& bad)>;

  HandOverListener(Parser parse, std::function<void(std::vector<std::string>)> receive);
  ~HandOverListener() override;

  // Listens at `path`; false (and a line on standard error, once) when the
  // path holds anything but a socket of this user that no running copy
  // answers: that is left alone and there is no hand-over.
  bool Listen(const QString& path);
  void Close();
  int open_connections() const { return static_cast<int>(connections_.size()); }

 private:
  struct Connection;
  void Accept();
  void Read(Connection* connection);
  void Drop(Connection* connection);
  bool Holds(const Connection* connection) const;
  bool Bind(const std::string& path);

  Parser parse_;
  std::function<void(std::vector<std::string>)> receive_;
  int fd_ = -1;
  std::string path_;
  dev_t device_ = 0;
  ino_t inode_ = 0;
  QSocketNotifier* notifier_ = nullptr;
  std::vector<std::unique_ptr<Connection>> connections_;
};

}  // namespace velmora
