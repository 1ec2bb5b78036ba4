// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Taking single items off the shred list: "Remove from List" in the list's
// context menu, and the Delete key.
namespace velmora {

class FrmMain;

void SetUpListRemoval(FrmMain& window);

}  // namespace velmora
