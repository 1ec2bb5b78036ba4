// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Files and folders dropped on a widget, or on anything inside it that does
// not take drops itself, handed on as local paths once the drop is over.
#include <QObject>
#include <QWidget>

#include <functional>
#include <string>
#include <vector>

class QMimeData;

namespace velmora {

class DropTarget : public QObject {
  Q_OBJECT
 public:
  using Open = std::function<bool()>;  // whether a drop is welcome now
  using Take = std::function<void(const std::vector<std::string>&)>;

  // Watches `area`; `take` runs from the event loop after the drop, so that
  // its message boxes do not run inside the drag and drop.
  DropTarget(QWidget* area, Open open, Take take);

  // The dropped items' paths byte for byte, or nothing when any of them is
  // not a local file (a web address, a file on another host).
  static std::vector<std::string> LocalPaths(const QMimeData* data);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  Open open_;
  Take take_;
};

}  // namespace velmora
