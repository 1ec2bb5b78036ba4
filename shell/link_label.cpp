// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/link_label.h"

#include <QAccessibleWidget>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyleOptionFocusRect>
#include <QStylePainter>

namespace velmora {
namespace {

class LinkLabelAccessible : public QAccessibleWidget {
 public:
  explicit LinkLabelAccessible(LinkLabel* link) : QAccessibleWidget(link, QAccessible::Link) {}

  QString text(QAccessible::Text t) const override {
    if (t == QAccessible::Name && widget()->accessibleName().isEmpty())
      return static_cast<QLabel*>(widget())->text();
    return QAccessibleWidget::text(t);
  }
  QStringList actionNames() const override { return QStringList(pressAction()) << QAccessibleWidget::actionNames(); }
  void doAction(const QString& name) override {
    if (name == pressAction())
      emit static_cast<LinkLabel*>(widget())->clicked();
    else
      QAccessibleWidget::doAction(name);
  }
};

QAccessibleInterface* LinkLabelInterface(const QString& class_name, QObject* object) {
  if (class_name == QLatin1String(LinkLabel::staticMetaObject.className()) && object && object->isWidgetType())
    return new LinkLabelAccessible(static_cast<LinkLabel*>(object));
  return nullptr;
}

}  // namespace

LinkLabel::LinkLabel(QWidget* parent) : QLabel(parent) {
  static const bool factory_installed = (QAccessible::installFactory(LinkLabelInterface), true);
  (void)factory_installed;
  setCursor(Qt::PointingHandCursor);
  setFocusPolicy(Qt::StrongFocus);
}

void LinkLabel::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) emit clicked();
  QLabel::mouseReleaseEvent(event);
}

void LinkLabel::keyPressEvent(QKeyEvent* event) {
  const int key = event->key();
  if ((key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space) && !event->isAutoRepeat()) {
    emit clicked();
    return;
  }
  QLabel::keyPressEvent(event);
}

void LinkLabel::paintEvent(QPaintEvent* event) {
  QLabel::paintEvent(event);
  if (!hasFocus()) return;
  // Where the keyboard is, around the text.
  QStylePainter painter(this);
  QStyleOptionFocusRect option;
  option.initFrom(this);
  const int text_width = fontMetrics().horizontalAdvance(text()) + 4;
  option.rect = QRect(0, 0, qMin(width(), text_width), height());
  option.backgroundColor = palette().color(QPalette::Window);
  painter.drawPrimitive(QStyle::PE_FrameFocusRect, option);
}

}  // namespace velmora
