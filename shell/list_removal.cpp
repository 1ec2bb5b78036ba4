// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/list_removal.h"

#include <QAction>

#include "shell/frm_main.h"

namespace velmora {

void SetUpListRemoval(FrmMain& w) {
  // The visible view; the path view behind it follows through the list.
  QTreeWidget* view = w.NoExtension;
  view->setSelectionMode(QAbstractItemView::ExtendedSelection);
  auto* remove = new QAction("Remove from List", view);
  remove->setObjectName("mnuRemoveFromList");
  remove->setShortcut(QKeySequence::Delete);
  remove->setShortcutContext(Qt::WidgetShortcut);
  remove->setEnabled(false);
  view->addAction(remove);
  view->setContextMenuPolicy(Qt::ActionsContextMenu);
  QObject::connect(view, &QTreeWidget::itemSelectionChanged, remove,
                   [view, remove] { remove->setEnabled(!view->selectedItems().isEmpty()); });
  QObject::connect(remove, &QAction::triggered, &w, &FrmMain::RemoveSelectedItems);
}

}  // namespace velmora
