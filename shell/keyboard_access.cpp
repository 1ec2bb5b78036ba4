// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/keyboard_access.h"

#include <QAbstractButton>
#include <QKeyEvent>
#include <QShortcut>
#include <QWidget>

namespace velmora {
namespace {

// Enter and Return press the focused button, as Space does.
class EnterPressesButton : public QObject {
 public:
  using QObject::QObject;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::KeyPress) return false;
    auto* key = static_cast<QKeyEvent*>(event);
    const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
    if (!enter || (key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier) return false;
    auto* button = qobject_cast<QAbstractButton*>(watched);
    if (button == nullptr) return false;
    // A held key presses once.
    if (!key->isAutoRepeat() && button->isEnabled()) button->click();
    return true;
  }
};

// A page that comes to the front takes the focus on its main control, so the
// keyboard is never left on a control of a page that is gone.
class FocusOnShow : public QObject {
 public:
  FocusOnShow(QWidget* page, std::function<QWidget*()> target) : QObject(page), target_(std::move(target)) {
    page->installEventFilter(this);
  }

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::ShowToParent) {
      QWidget* target = target_();
      if (target->isEnabled()) target->setFocus(Qt::OtherFocusReason);
    }
    return false;
  }

 private:
  std::function<QWidget*()> target_;
};

}  // namespace

void PressButtonsWithEnter(QWidget& window) {
  auto* enter = new EnterPressesButton(&window);
  for (QAbstractButton* button : window.findChildren<QAbstractButton*>()) button->installEventFilter(enter);
}

void AddAccessKey(QAbstractButton& button, QWidget& scope) {
  auto* key = new QShortcut(QKeySequence::mnemonic(button.text()), &scope);
  QObject::connect(key, &QShortcut::activated, &button, &QAbstractButton::click);
}

void FocusWhenShown(QWidget& page, std::function<QWidget*()> target) { new FocusOnShow(&page, std::move(target)); }

}  // namespace velmora
