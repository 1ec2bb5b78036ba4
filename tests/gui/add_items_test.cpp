// SPDX-License-Identifier: GPL-3.0-or-later
// Adding to the shred list through the window: the choosers, the protection
// rules' messages, the two list views, "&Clear".

#include "platform/qt_platform.h"
#include "shredlist/program_paths.h"
#include "window_fixture.h"

namespace velmora::testing {
namespace {

using AddItems = WindowTest;

TEST_F(AddItems, FileChooserHasItsTitleAndViewsStayInStep) {
  FrmMain& w = OpenAtList(false);
  AddFiles(w, {"/home/u/alone.txt", ChosenFiles{"/home/u/docs", {"b.txt", "a.txt"}}});
  EXPECT_EQ(fakes.dialogs.file_titles, (Strings{"Choose A File ....", "Choose A File ...."}));
  EXPECT_EQ(Listed(w), (Strings{"/home/u/alone.txt", "/home/u/docs/b.txt", "/home/u/docs/a.txt"}));
  // What the user sees: the full path for the single file, bare names after.
  EXPECT_EQ(Rows(w), (Strings{"/home/u/alone.txt", "b.txt", "a.txt"}));
  EXPECT_EQ(Control<QTreeWidget>(w, "NoExtension")->headerItem()->text(0), "Files");
  EXPECT_EQ(Control<QTreeWidget>(w, "NoExtension")->columnCount(), 1);
  EXPECT_TRUE(Control(w, "cmdRemove")->isEnabled());
  EXPECT_TRUE(fakes.dialogs.messages.empty());
}

// What the real chooser's answer becomes: one file by its full path,
// several by their folder and names in the chooser's order, nothing.
TEST(FileChooser, PathsBecomeOneFileOrAFolderAndItsNames) {
  EXPECT_EQ(ChooserResult({"/home/u/a b.txt"}), ChosenFiles("/home/u/a b.txt"));
  EXPECT_EQ(ChooserResult({"/home/u/b", "/home/u/a"}), (ChosenFiles{"/home/u", {"b", "a"}}));
  EXPECT_EQ(ChooserResult({}), ChosenFiles());
}

TEST_F(AddItems, OwnExecutableInAMultipleSelectionEmptiesEverything) {
  FrmMain& w = OpenAtList(false);
  AddFiles(w, {"/earlier", ChosenFiles{"/any", {"first", "velmora", "third"}}});
  EXPECT_EQ(fakes.dialogs.messages, Messages{Refusal("Velmora Application Cannot Be Shredded")});
  EXPECT_EQ(Control<QTreeWidget>(w, "ListFiles")->topLevelItemCount(), 0);
  EXPECT_EQ(Control<QTreeWidget>(w, "NoExtension")->topLevelItemCount(), 0);
  EXPECT_FALSE(Control(w, "cmdRemove")->isEnabled());
}

TEST_F(AddItems, OwnExecutableAloneIsRefusedAtItsPathOnly) {
  FrmMain& w = OpenAtList(false);
  AddFiles(w, {dir / "prog/velmora", "/other/velmora", dir / "prog/VELMORA"});
  EXPECT_EQ(fakes.dialogs.messages.size(), 1u);
  EXPECT_EQ(Listed(w), (Strings{"/other/velmora", dir / "prog/VELMORA"}));
}

// On Linux "A.txt" and "a.txt" are two files: both are listed.
TEST_F(AddItems, DuplicatesAreSkippedSilentlyLetterCaseCounts) {
  FrmMain& w = OpenAtList(false);
  AddFiles(w, {"/d/A.txt", "/d//./A.txt", ChosenFiles{"/d", {"A.txt", "a.txt"}}});
  EXPECT_EQ(Listed(w), (Strings{"/d/A.txt", "/d/a.txt"}));
  EXPECT_EQ(Rows(w), (Strings{"/d/A.txt", "a.txt"}));
  EXPECT_TRUE(fakes.dialogs.messages.empty());
}

TEST_F(AddItems, CancelWithAnEmptyAndWithAFilledList) {
  FrmMain& w = OpenAtList(false);
  Control(w, "cmdAdd")->click();  // no choice queued: cancelled
  EXPECT_FALSE(Control(w, "cmdRemove")->isEnabled());
  fakes.dialogs.file_choices = {"/x"};
  Control(w, "cmdAdd")->click();
  Control(w, "cmdAdd")->click();  // cancelled again
  EXPECT_TRUE(Control(w, "cmdRemove")->isEnabled());
  EXPECT_EQ(Control<QTreeWidget>(w, "ListFiles")->topLevelItemCount(), 1);
}

TEST_F(AddItems, FolderRulesAndTheirMessagesInOrder) {
  FrmMain& w = OpenAtList(true);
  ASSERT_EQ(ReadSystemFolder(), "/usr/bin");
  AddFolders(w, {"/", "/boot", dir / "prog", "/usr/bin", "/usr", "/USR", dir.path(), ""});
  EXPECT_EQ(fakes.dialogs.folder_titles, Strings(8, ""));
  EXPECT_EQ(fakes.dialogs.messages,
            (Messages{Refusal("Only Folder Can Be Shredded"), Refusal("Only Folder Can Be Shredded"),
                      Refusal("Velmora Cannot Be Shredded"), Refusal("Window System Folder Cannot Be Shredded"),
                      Refusal("Window Folder Cannot Be Shredded")}));
  // The parent of the program folder and another letter case are accepted.
  EXPECT_EQ(Listed(w), (Strings{"/USR", dir.path()}));
  EXPECT_EQ(Rows(w), (Strings{"/USR", dir.path()}));
  EXPECT_EQ(w.options().FolderToShred, dir.path());
}

TEST_F(AddItems, FolderCancelChangesNothing) {
  FrmMain& w = OpenAtList(true);
  Control(w, "cmdAdd")->click();
  EXPECT_FALSE(Control(w, "cmdRemove")->isEnabled());
  EXPECT_EQ(Control<QTreeWidget>(w, "ListFiles")->topLevelItemCount(), 0);
  EXPECT_TRUE(fakes.dialogs.messages.empty());
}

TEST_F(AddItems, ClearEmptiesBothViewsAndKeepsFolderToShred) {
  FrmMain& w = OpenAtList(true);
  AddFolders(w, {"/home/u/a", "/home/u/b"});
  EXPECT_EQ(w.options().FolderToShred, "/home/u/b");
  Control(w, "cmdClear")->click();
  EXPECT_EQ(Control<QTreeWidget>(w, "ListFiles")->topLevelItemCount(), 0);
  EXPECT_EQ(Control<QTreeWidget>(w, "NoExtension")->topLevelItemCount(), 0);
  EXPECT_FALSE(Control(w, "cmdRemove")->isEnabled());
  EXPECT_EQ(w.options().FolderToShred, "/home/u/b");
  Control(w, "cmdClear")->click();  // on an empty list too
  EXPECT_FALSE(Control(w, "cmdRemove")->isEnabled());
}

// One item off the list: Delete or "Remove from List" on the selected rows;
// both views follow, and "&Shred Now" goes off with the last item.
TEST_F(AddItems, DeleteAndRemoveFromListTakeOffTheSelectedRowsOnly) {
  FrmMain& w = OpenAtList(false);
  ASSERT_TRUE(ShowActive(w));
  AddFiles(w, {"/d/alone", ChosenFiles{"/d", {"b", "c", "e"}}});
  QTreeWidget* view = Control<QTreeWidget>(w, "NoExtension");
  QAction* remove = view->findChild<QAction*>("mnuRemoveFromList");
  ASSERT_NE(remove, nullptr);
  EXPECT_EQ(remove->text(), "Remove from List");
  EXPECT_TRUE(view->actions().contains(remove)) << "the list's context menu offers it";

  view->setFocus();
  view->setCurrentItem(view->topLevelItem(1));
  QTest::keyClick(view, Qt::Key_Delete);
  EXPECT_EQ(Rows(w), (Strings{"/d/alone", "c", "e"}));
  EXPECT_EQ(Listed(w), (Strings{"/d/alone", "/d/c", "/d/e"}));
  EXPECT_EQ(w.shredList().size(), 3u);
  EXPECT_TRUE(Control(w, "cmdRemove")->isEnabled());

  // The next row took the selection, so Delete can go on down the list.
  EXPECT_EQ(view->currentItem(), view->topLevelItem(1));
  // Two rows at once through the menu entry.
  view->clearSelection();
  view->topLevelItem(0)->setSelected(true);
  view->topLevelItem(2)->setSelected(true);
  remove->trigger();
  EXPECT_EQ(Listed(w), Strings{"/d/c"});
  EXPECT_TRUE(Control(w, "cmdRemove")->isEnabled());

  view->setCurrentItem(view->topLevelItem(0));
  QTest::keyClick(view, Qt::Key_Delete);
  EXPECT_TRUE(w.shredList().empty());
  EXPECT_EQ(Control<QTreeWidget>(w, "ListFiles")->topLevelItemCount(), 0);
  EXPECT_FALSE(Control(w, "cmdRemove")->isEnabled());
  QTest::keyClick(view, Qt::Key_Delete);  // nothing left: nothing happens
  EXPECT_TRUE(fakes.dialogs.messages.empty());
}

}  // namespace
}  // namespace velmora::testing
