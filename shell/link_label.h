// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A label that acts as a web link: a hand pointer and a click, or with the
// keyboard focus Enter, Return or Space. Screen readers see a link that can
// be pressed.
#include <QLabel>

namespace velmora {

class LinkLabel : public QLabel {
  Q_OBJECT
 public:
  explicit LinkLabel(QWidget* parent = nullptr);

 signals:
  void clicked();

 protected:
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
};

}  // namespace velmora
