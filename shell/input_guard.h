// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// While a run is going the window takes no input: clicks, keys, the wheel,
// shortcuts and drops meant for anything but the modal dialog in front (the
// progress dialog, once shown) are dropped, so nothing can start a second run, change the list or leave the
// program half-way. The cursor says the program is busy meanwhile.
#include <QObject>

namespace velmora {

class InputGuard : public QObject {
  Q_OBJECT
 public:
  explicit InputGuard(QObject* parent = nullptr) : QObject(parent) {}
  ~InputGuard() override { Release(); }

  void Engage();
  void Release();
  bool engaged() const { return engaged_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  bool engaged_ = false;
};

}  // namespace velmora
