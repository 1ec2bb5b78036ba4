// SPDX-License-Identifier: GPL-3.0-or-later
// The wizard's pages and what each navigation control does to the window.

#include <map>

#include "shell/page_order.h"
#include "window_fixture.h"

namespace velmora::testing {
namespace {

TEST(PageOrderModel, BringAndSendKeepTheOthersInOrder) {
  PageOrder order;
  order.BringToFront(Page::Final);
  EXPECT_EQ(order.FrontToBack(), (std::array{Page::Final, Page::Selection, Page::Result, Page::About}));
  order.BringToFront(Page::About);
  order.SendToBack(Page::About);
  EXPECT_EQ(order.FrontToBack(), (std::array{Page::Final, Page::Selection, Page::Result, Page::About}));
  order.SendToBack(Page::Final);
  EXPECT_EQ(order.Front(), Page::Selection);
}

using PageFlow = WindowTest;

TEST_F(PageFlow, ChoosingAModeEnablesNextAndSetsTheListHeading) {
  FrmMain& w = Open();
  EXPECT_FALSE(Control(w, "cmdNext")->isEnabled());
  Control<QRadioButton>(w, "OptFile")->click();
  EXPECT_TRUE(Control(w, "cmdNext")->isEnabled());
  EXPECT_EQ(Text(w, "Label3"), "Select Files to Shred:");
  Control<QRadioButton>(w, "OptFolder")->click();
  EXPECT_TRUE(Control(w, "cmdNext")->isEnabled());
  EXPECT_FALSE(Control<QRadioButton>(w, "OptFile")->isChecked());
  EXPECT_EQ(Text(w, "Label3"), "Select a Folder to Shred:");
}

TEST_F(PageFlow, NextCapturesTheShownChoices) {
  FrmMain& w = OpenAtList(false);
  EXPECT_EQ(w.FrontPage(), Page::Result);
  EXPECT_FALSE(w.options().FolderMode);
  EXPECT_EQ(w.options().OverwriteNoOfTimes, 3);
  EXPECT_EQ(w.options().OverwriteWith, "Ones and Zeros");

  Control(w, "cmdBack")->click();
  Control<QComboBox>(w, "cboOverwriteNoOfTimes")->setCurrentIndex(5);
  Control<QComboBox>(w, "cboOverwriteWith")->setCurrentIndex(1);
  ChooseMode(w, true);
  EXPECT_TRUE(w.options().FolderMode);
  EXPECT_EQ(w.options().OverwriteNoOfTimes, 10);
  EXPECT_EQ(w.options().OverwriteWith, "Random Chars");
}

TEST_F(PageFlow, BackFromAFilledListEmptiesItAndDeselectsBothModes) {
  FrmMain& w = OpenAtList(false);
  Control<QComboBox>(w, "cboOverwriteNoOfTimes")->setCurrentIndex(4);
  AddFiles(w, {"/x/a"});
  ASSERT_TRUE(Control(w, "cmdRemove")->isEnabled());
  Control(w, "cmdBack")->click();
  EXPECT_EQ(w.FrontPage(), Page::Selection);
  EXPECT_FALSE(Control(w, "cmdRemove")->isEnabled());
  EXPECT_EQ(Control<QTreeWidget>(w, "ListFiles")->topLevelItemCount(), 0);
  EXPECT_EQ(Control<QTreeWidget>(w, "NoExtension")->topLevelItemCount(), 0);
  EXPECT_FALSE(Control<QRadioButton>(w, "OptFile")->isChecked());
  EXPECT_FALSE(Control<QRadioButton>(w, "OptFolder")->isChecked());
  EXPECT_FALSE(Control(w, "cmdNext")->isEnabled());
  // Clearing the option is not a click: the heading stays.
  EXPECT_EQ(Text(w, "Label3"), "Select Files to Shred:");
  EXPECT_EQ(Control<QComboBox>(w, "cboOverwriteNoOfTimes")->currentIndex(), 4);
}

TEST_F(PageFlow, BackFromTheResultDeletesTheReportAndKeepsTheMode) {
  FrmMain& w = Open();
  ShredAFile(w);
  ASSERT_EQ(w.FrontPage(), Page::Final);
  ASSERT_TRUE(Exists(report_path));
  Control(w, "cmdBack1")->click();
  EXPECT_EQ(w.FrontPage(), Page::Selection);
  EXPECT_FALSE(Exists(report_path));
  EXPECT_TRUE(Control<QRadioButton>(w, "OptFile")->isChecked());
  EXPECT_TRUE(Control(w, "cmdNext")->isEnabled());
  EXPECT_FALSE(Control(w, "cmdRemove")->isEnabled());
  // A second time, with the report already gone, is no failure either.
  w.BringToFront(Page::Final);
  Control(w, "cmdBack1")->click();
  EXPECT_EQ(w.FrontPage(), Page::Selection);
  EXPECT_TRUE(fakes.dialogs.messages.empty());
}

TEST_F(PageFlow, ANewPassCountIsUsedByTheNextRun) {
  FrmMain& w = Open();
  ShredAFile(w);
  Control(w, "cmdBack1")->click();
  Control<QComboBox>(w, "cboOverwriteNoOfTimes")->setCurrentIndex(0);
  Control(w, "cmdNext")->click();
  WriteText(dir / "g", "data");
  AddFiles(w, {dir / "g"});
  ShredNow(w);
  EXPECT_EQ(Text(w, "lblResultCaption"), "Velmora has shred the Ones and Zeros Technique and 1 Number of times");
  EXPECT_NE(ReadText(report_path).find("Files Overwritten: 1 times\r\n"), std::string::npos);
}

TEST_F(PageFlow, AboutReturnsToThePageItWasOpenedFrom) {
  FrmMain& w = OpenAtList(false);
  AddFiles(w, {"/x/a"});
  Control<QAction>(w, "mnuAbout")->trigger();
  EXPECT_EQ(w.FrontPage(), Page::About);
  Control(w, "cmdOK")->click();
  EXPECT_EQ(w.FrontPage(), Page::Result);
  EXPECT_EQ(Rows(w), Strings{"/x/a"});

  w.BringToFront(Page::Final);
  Control<QAction>(w, "mnuAbout")->trigger();
  Control<QAction>(w, "mnuAbout")->trigger();  // twice, then OK once
  Control(w, "cmdOK")->click();
  EXPECT_EQ(w.FrontPage(), Page::Final);
}

TEST_F(PageFlow, ResetDeselectsButKeepsTheListAndTheHeading) {
  FrmMain& w = OpenAtList(true);
  AddFolders(w, {"/home/u/old"});
  Control(w, "cmdReset")->click();
  EXPECT_EQ(w.FrontPage(), Page::Selection);
  EXPECT_FALSE(Control<QRadioButton>(w, "OptFile")->isChecked() || Control<QRadioButton>(w, "OptFolder")->isChecked());
  EXPECT_FALSE(Control(w, "cmdNext")->isEnabled());
  EXPECT_EQ(Text(w, "Label3"), "Select a Folder to Shred:");
  ChooseMode(w, true);
  EXPECT_EQ(Listed(w), Strings{"/home/u/old"});
  EXPECT_TRUE(Control(w, "cmdRemove")->isEnabled());
}

TEST_F(PageFlow, ResetIsReachedThroughItsAccessKeyFromAnyPage) {
  FrmMain& w = OpenAtList(false);
  ASSERT_TRUE(ShowActive(w));
  // An access key clicks its button once the press has been shown.
  QSignalSpy clicked(Control(w, "cmdReset"), &QPushButton::clicked);
  QTest::keyClick(w.windowHandle(), Qt::Key_R, Qt::AltModifier);
  ASSERT_TRUE(clicked.count() == 1 || clicked.wait());
  EXPECT_EQ(w.FrontPage(), Page::Selection);
  EXPECT_FALSE(Control<QRadioButton>(w, "OptFile")->isChecked());
}

TEST_F(PageFlow, AccessKeysOfPagesBehindDoNothing) {
  FrmMain& w = OpenAtList(false);
  AddFiles(w, {"/x/a"});
  Control(w, "cmdReset")->click();
  ASSERT_TRUE(ShowActive(w));
  // "&Clear" lies on the list page, behind the options page now.
  QTest::keyClick(w.windowHandle(), Qt::Key_C, Qt::AltModifier);
  EXPECT_FALSE(Control(w, "cmdClear")->isDown());
  QTest::keyClick(w.windowHandle(), Qt::Key_S, Qt::AltModifier);
  EXPECT_FALSE(Control(w, "cmdRemove")->isDown());
  EXPECT_EQ(w.shredList().size(), 1u);
}

TEST_F(PageFlow, OnlyTheFrontPageTakesFocus) {
  FrmMain& w = OpenShown();
  const std::map<Page, const char*> frames = {{Page::Selection, "fraSelection"},
                                              {Page::Result, "fraResult"},
                                              {Page::Final, "fraFinal"},
                                              {Page::About, "fraAbout"}};
  for (const auto& shown : frames) {
    w.BringToFront(shown.first);
    for (const auto& [page, name] : frames) EXPECT_EQ(Control<QFrame>(w, name)->isVisible(), page == shown.first);
  }
  // No page is destroyed or disabled along the way.
  for (const auto& [page, name] : frames) EXPECT_TRUE(Control<QFrame>(w, name)->isEnabled());
}

}  // namespace
}  // namespace velmora::testing
