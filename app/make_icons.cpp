// SPDX-License-Identifier: GPL-3.0-or-later
// Renders the window icon at the sizes the desktop's icon theme wants.
#include <QGuiApplication>
#include <QDir>

#include "shell/artwork.h"

int main(int argc, char** argv) {
  QGuiApplication app(argc, argv);
  if (argc < 2) return 2;
  const QString folder = QString::fromLocal8Bit(argv[1]);
  for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
    QString dir = QString("%1/%2x%2/apps").arg(folder).arg(size);
    QDir().mkpath(dir);
    if (!velmora::ShredderIcon(size).save(dir + "/velmora.png")) return 1;
  }
  return 0;
}
