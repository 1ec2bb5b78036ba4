// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/drop_target.h"

#include <QDropEvent>
#include <QMimeData>
#include <QTimer>
#include <QUrl>

namespace velmora {

DropTarget::DropTarget(QWidget* area, Open open, Take take)
    : QObject(area), open_(std::move(open)), take_(std::move(take)) {
  area->setAcceptDrops(true);
  area->installEventFilter(this);
}

std::vector<std::string> DropTarget::LocalPaths(const QMimeData* data) {
  std::vector<std::string> paths;
  if (data == nullptr || !data->hasUrls()) return paths;
  for (const QUrl& url : data->urls()) {
    const QString host = url.host();
    if (!url.isLocalFile() || !(host.isEmpty() || host == "localhost")) return {};
    // Decoded from the encoded form: a name that is not valid UTF-8 keeps
    // its bytes.
    const QByteArray path = QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1());
    if (path.isEmpty()) return {};
    paths.emplace_back(path.constData(), static_cast<std::size_t>(path.size()));
  }
  return paths;
}

bool DropTarget::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
      auto* drag = static_cast<QDragMoveEvent*>(event);
      if (open_() && !LocalPaths(drag->mimeData()).empty()) {
        drag->setDropAction(Qt::CopyAction);
        drag->accept();
      } else {
        drag->ignore();
      }
      return true;
    }
    case QEvent::Drop: {
      auto* drop = static_cast<QDropEvent*>(event);
      std::vector<std::string> paths = LocalPaths(drop->mimeData());
      if (!open_() || paths.empty()) {
        drop->ignore();
        return true;
      }
      // Copy: the items stay where they are, the source must not delete them.
      drop->setDropAction(Qt::CopyAction);
      drop->accept();
      QTimer::singleShot(0, this, [this, paths = std::move(paths)] {
        if (open_()) take_(paths);
      });
      return true;
    }
    default:
      return QObject::eventFilter(watched, event);
  }
}

}  // namespace velmora
