// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Velmora's own artwork, drawn in code: the banner strip, the window icon and
// the two small icons of the options page. Each picture is drawn for a device
// pixel ratio (2 on a screen scaled by 2), so it stays sharp at any scale;
// its size in the window's own pixels is the same at every ratio.
#include <QIcon>
#include <QPixmap>

class QLabel;

namespace velmora {

QPixmap BannerPicture(qreal ratio = 1);  // 175 x 285
QPixmap ShredderIcon(int size);          // square, for the window and the desktop
QIcon WindowIcon();
QPixmap FolderIcon(qreal ratio = 1);    // 13 x 13, yellow folder
QPixmap DocumentIcon(qreal ratio = 1);  // 13 x 13, sheet with a folded corner

// Shows `draw`'s picture in `label`, drawn for the ratio of the screen the
// label is on, and drawn again when that changes (moved to another screen).
void ShowArtwork(QLabel* label, QPixmap (*draw)(qreal ratio));

}  // namespace velmora
