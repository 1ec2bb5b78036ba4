#pragma once
// Velmora's own artwork, drawn in code: the banner strip, the window icon and
// the two small icons of the options page.
#include <QIcon>
#include <QPixmap>

namespace velmora {

QPixmap BannerPicture();           // 175 x 285
QPixmap ShredderIcon(int size);    // square, for the window and the desktop
QIcon WindowIcon();
QPixmap FolderIcon();              // 13 x 13, yellow folder
QPixmap DocumentIcon();            // 13 x 13, sheet with a folded corner

}  // namespace velmora
