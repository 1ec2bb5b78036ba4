// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Taking single items off the shred list: "Remove from List" in the list's
// context menu, and the Delete key.
class QAction;
class QTreeWidget;

namespace velmora {

// Sets `view` up for it; the action returned is enabled while rows are
// selected, and whoever holds the list takes them off when it is triggered.
QAction* SetUpListRemoval(QTreeWidget& view);

}  // namespace velmora
