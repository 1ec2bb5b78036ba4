// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/input_guard.h"

#include <QApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QWidget>

namespace velmora {
namespace {

bool IsInput(QEvent::Type type) {
  switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::Shortcut:
    case QEvent::ShortcutOverride:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TabletPress:
    case QEvent::TabletRelease:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
      return true;
    default:
      return false;
  }
}

// The widget an event is for: the receiver itself, or for a shortcut or an
// action the widget that owns it.
QWidget* OwningWidget(QObject* object) {
  for (; object; object = object->parent())
    if (object->isWidgetType()) return static_cast<QWidget*>(object);
  return nullptr;
}

}  // namespace

void InputGuard::Engage() {
  if (engaged_) return;
  engaged_ = true;
  qApp->installEventFilter(this);
  QApplication::setOverrideCursor(Qt::BusyCursor);
}

void InputGuard::Release() {
  if (!engaged_) return;
  engaged_ = false;
  qApp->removeEventFilter(this);
  QApplication::restoreOverrideCursor();
}

bool InputGuard::eventFilter(QObject* watched, QEvent* event) {
  if (!engaged_ || !IsInput(event->type())) return false;
  QWidget* widget = OwningWidget(watched);
  // Events for a window as a whole reach its widgets next, and are judged
  // there.
  if (!widget) return false;
  if (widget->window() == QApplication::activeModalWidget()) return false;
  if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
    emit escapePressed();
    event->accept();
    return true;
  }
  if (allowed_ && widget->window() == allowed_) return false;
  event->ignore();
  return true;
}

}  // namespace velmora
