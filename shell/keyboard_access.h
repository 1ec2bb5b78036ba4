// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Keyboard use of a window beyond what Qt gives: Enter on a button, access
// keys of hidden buttons, and the focus of a page that comes to the front.
#include <functional>

class QAbstractButton;
class QWidget;

namespace velmora {

// Enter and Return press the focused button of `window`, as Space does (no
// button is a default), once per press however long the key is held.
void PressButtonsWithEnter(QWidget& window);

// `button`'s access key (Alt and its underlined letter) presses it wherever
// the focus is inside `scope`, even while `button` itself is hidden.
void AddAccessKey(QAbstractButton& button, QWidget& scope);

// `page`, when it comes to the front, gives the focus to what `target`
// returns (when it is enabled), so the keyboard is never left on a control
// of a page that is gone.
void FocusWhenShown(QWidget& page, std::function<QWidget*()> target);

}  // namespace velmora
