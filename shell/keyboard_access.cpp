// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/keyboard_access.h"

#include <QAbstractButton>
#include <QKeyEvent>
#include <QShortcut>

#include "shell/frm_main.h"

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

void SetUpKeyboardAndScreenReaders(FrmMain& w) {
  // The about page has no Exit button of its own: there Alt+E is cmdExt's.
  w.cmdExt->setShortcut(QKeySequence());
  auto* exit_key = new QShortcut(QKeySequence::mnemonic(w.cmdExt->text()), w.fraAbout);
  QObject::connect(exit_key, &QShortcut::activated, w.cmdExt, &QAbstractButton::click);

  // Reached through their access keys only.
  w.cmdReset->setFocusPolicy(Qt::NoFocus);
  w.cmdExt->setFocusPolicy(Qt::NoFocus);
  // The panel below the client area is never seen, so it is hidden, and a
  // screen reader does not report it as showing; Alt+R stays the window's.
  w.Frame3->hide();
  auto* reset_key = new QShortcut(QKeySequence::mnemonic(w.cmdReset->text()), &w);
  QObject::connect(reset_key, &QShortcut::activated, w.cmdReset, &QAbstractButton::click);
  // The path view lies behind the name view and is never seen.
  w.ListFiles->setFocusPolicy(Qt::NoFocus);
  w.ListFiles->hide();

  auto* enter = new EnterPressesButton(&w);
  for (QAbstractButton* button : w.findChildren<QAbstractButton*>()) button->installEventFilter(enter);

  w.Label5->setBuddy(w.cboOverwriteNoOfTimes);
  w.Label6->setBuddy(w.cboOverwriteWith);
  w.NoExtension->setAccessibleName("Shred list");
  w.Pic->setAccessibleName("Velmora");
  w.Pic->setAccessibleDescription("The name Velmora over a globe and a paper shredder");
  w.Image1->setAccessibleName("Folder");
  w.Image2->setAccessibleName("File");
  for (LinkLabel* link : {w.Label14, w.Label15}) link->setAccessibleName(link->text());

  new FocusOnShow(w.fraSelection, [&w]() -> QWidget* { return w.OptFile->isChecked() ? w.OptFile : w.OptFolder; });
  new FocusOnShow(w.fraResult, [&w] { return w.cmdAdd; });
  new FocusOnShow(w.fraFinal, [&w] { return w.cmdLog; });
  new FocusOnShow(w.fraAbout, [&w] { return w.cmdOK; });
}

}  // namespace velmora
