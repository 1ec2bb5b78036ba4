// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// While a run is going the window takes no input: clicks, keys, the wheel,
// shortcuts and drops meant for anything but the modal dialog in front (the
// progress dialog, once shown) are dropped, so nothing can start a second run, change the list or leave the
// program half-way. The cursor says the program is busy meanwhile. Esc, in
// any of the program's windows, is the one key that means something then:
// Stop.
#include <QObject>
#include <QPointer>
#include <QWidget>

namespace velmora {

class InputGuard : public QObject {
  Q_OBJECT
 public:
  explicit InputGuard(QObject* parent = nullptr) : QObject(parent) {}
  ~InputGuard() override { Release(); }

  void Engage();
  void Release();
  bool engaged() const { return engaged_; }
  // The window that takes input while the guard is engaged, besides a modal
  // dialog: the progress dialog, which is not modal (see shred_progress.h).
  void Allow(QWidget* window) { allowed_ = window; }

 signals:
  // Esc was pressed in one of the program's windows while engaged (not in a
  // modal dialog, which takes it itself).
  void escapePressed();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  bool engaged_ = false;
  QPointer<QWidget> allowed_;
};

}  // namespace velmora
