// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// SIGTERM, SIGINT and SIGHUP (what `kill`, Ctrl+C and a closed terminal or
// a logout send), turned into a Qt signal in the event loop. The handler
// itself only writes a byte to a pipe: all the work happens in the slots.
#include <QObject>

class QSocketNotifier;

namespace velmora {

class CloseSignals : public QObject {
  Q_OBJECT
 public:
  // Takes the three signals over; one instance at a time.
  explicit CloseSignals(QObject* parent = nullptr);
  // Gives the signals back to the handlers they had before.
  ~CloseSignals() override;

  // False when the pipe or a handler could not be set up: the signals then
  // keep their previous effect.
  bool active() const { return notifier_ != nullptr; }

 signals:
  void received(int signal_number);

 private:
  void Drain();

  int read_fd_ = -1;
  QSocketNotifier* notifier_ = nullptr;
};

}  // namespace velmora
