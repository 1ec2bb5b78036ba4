// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Keyboard and screen-reader use of the window, set up once its controls
// exist:
// - Alt+E ends the program on every page at the first press: through the
//   page's own Exit button, and through the hidden cmdExt only on the about
//   page, which has none (two live "&Exit" keys would make Qt move the focus
//   instead of pressing either);
// - the hidden panel's buttons and the hidden path view take no Tab focus;
// - Enter and Return press the focused button (no button is a default);
// - the drop-down lists have their labels as buddies, the list, the artwork
//   and the links have accessible names;
// - a page brought to the front takes the focus on its main control.
namespace velmora {

class FrmMain;

void SetUpKeyboardAndScreenReaders(FrmMain& window);

}  // namespace velmora
