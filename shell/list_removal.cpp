// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/list_removal.h"

#include <QAction>
#include <QTreeWidget>

namespace velmora {

QAction* SetUpListRemoval(QTreeWidget& view) {
  view.setSelectionMode(QAbstractItemView::ExtendedSelection);
  auto* remove = new QAction("Remove from List", &view);
  remove->setObjectName("mnuRemoveFromList");
  remove->setShortcut(QKeySequence::Delete);
  remove->setShortcutContext(Qt::WidgetShortcut);
  remove->setEnabled(false);
  view.addAction(remove);
  view.setContextMenuPolicy(Qt::ActionsContextMenu);
  QObject::connect(&view, &QTreeWidget::itemSelectionChanged, remove,
                   [&view, remove] { remove->setEnabled(!view.selectedItems().isEmpty()); });
  return remove;
}

}  // namespace velmora
