// SPDX-License-Identifier: GPL-3.0-or-later
// The wizard's pages and what each navigation control does to the window.
#include <QSignalSpy>
#include <QTest>

#include "shell/page_order.h"
#include "window_fixture.h"

namespace velmora {
namespace {

using testing::Nul;
using testing::WindowTest;

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
  EXPECT_FALSE(w.cmdNext->isEnabled());
  w.OptFile->click();
  EXPECT_TRUE(w.cmdNext->isEnabled());
  EXPECT_EQ(w.Label3->text(), "Select Files to Shred:");
  w.OptFolder->click();
  EXPECT_TRUE(w.cmdNext->isEnabled());
  EXPECT_FALSE(w.OptFile->isChecked());
  EXPECT_EQ(w.Label3->text(), "Select a Folder to Shred:");
}

TEST_F(PageFlow, NextCapturesTheShownChoices) {
  FrmMain& w = Open();
  w.OptFile->click();
  w.cmdNext->click();
  EXPECT_EQ(w.FrontPage(), Page::Result);
  EXPECT_FALSE(w.options().FolderMode);
  EXPECT_EQ(w.options().OverwriteNoOfTimes, 3);
  EXPECT_EQ(w.options().OverwriteWith, "Ones and Zeros");

  w.cmdBack->click();
  w.OptFolder->click();
  w.cboOverwriteNoOfTimes->setCurrentIndex(5);
  w.cboOverwriteWith->setCurrentIndex(1);
  w.cmdNext->click();
  EXPECT_TRUE(w.options().FolderMode);
  EXPECT_EQ(w.options().OverwriteNoOfTimes, 10);
  EXPECT_EQ(w.options().OverwriteWith, "Random Chars");
}

TEST_F(PageFlow, BackFromAFilledListEmptiesItAndDeselectsBothModes) {
  FrmMain& w = OpenAtList(false);
  w.cboOverwriteNoOfTimes->setCurrentIndex(4);
  fakes.dialogs.file_choices.push_back("/x/a");
  w.cmdAdd->click();
  ASSERT_TRUE(w.cmdRemove->isEnabled());
  w.cmdBack->click();
  EXPECT_EQ(w.FrontPage(), Page::Selection);
  EXPECT_FALSE(w.cmdRemove->isEnabled());
  EXPECT_EQ(w.ListFiles->topLevelItemCount(), 0);
  EXPECT_EQ(w.NoExtension->topLevelItemCount(), 0);
  EXPECT_FALSE(w.OptFile->isChecked());
  EXPECT_FALSE(w.OptFolder->isChecked());
  EXPECT_FALSE(w.cmdNext->isEnabled());
  // Clearing the option is not a click: the heading stays.
  EXPECT_EQ(w.Label3->text(), "Select Files to Shred:");
  EXPECT_EQ(w.cboOverwriteNoOfTimes->currentIndex(), 4);
}

TEST_F(PageFlow, BackFromTheResultDeletesTheReportAndKeepsTheMode) {
  FrmMain& w = OpenAtList(false);
  testing::WriteText(dir / "f", "data");
  fakes.dialogs.file_choices.push_back(dir / "f");
  w.cmdAdd->click();
  ShredNow(w);
  ASSERT_EQ(w.FrontPage(), Page::Final);
  ASSERT_TRUE(testing::Exists(report_path));
  w.cmdBack1->click();
  EXPECT_EQ(w.FrontPage(), Page::Selection);
  EXPECT_FALSE(testing::Exists(report_path));
  EXPECT_TRUE(w.OptFile->isChecked());
  EXPECT_TRUE(w.cmdNext->isEnabled());
  EXPECT_FALSE(w.cmdRemove->isEnabled());
  // A second time, with the report already gone, is no failure either.
  w.BringToFront(Page::Final);
  w.cmdBack1->click();
  EXPECT_EQ(w.FrontPage(), Page::Selection);
  EXPECT_TRUE(fakes.dialogs.messages.empty());
}

TEST_F(PageFlow, ANewPassCountIsUsedByTheNextRun) {
  FrmMain& w = OpenAtList(false);
  testing::WriteText(dir / "f", "data");
  fakes.dialogs.file_choices.push_back(dir / "f");
  w.cmdAdd->click();
  ShredNow(w);
  w.cmdBack1->click();
  w.cboOverwriteNoOfTimes->setCurrentIndex(0);
  w.cmdNext->click();
  testing::WriteText(dir / "g", "data");
  fakes.dialogs.file_choices.push_back(dir / "g");
  w.cmdAdd->click();
  ShredNow(w);
  EXPECT_EQ(w.lblResultCaption->text(), "Velmora has shred the Ones and Zeros Technique and 1 Number of times");
  EXPECT_NE(testing::ReadText(report_path).find("Files Overwritten: 1 times\r\n"), std::string::npos);
}

TEST_F(PageFlow, AboutReturnsToThePageItWasOpenedFrom) {
  FrmMain& w = OpenAtList(false);
  fakes.dialogs.file_choices.push_back("/x/a");
  w.cmdAdd->click();
  w.mnuAbout->trigger();
  EXPECT_EQ(w.FrontPage(), Page::About);
  w.cmdOK->click();
  EXPECT_EQ(w.FrontPage(), Page::Result);
  EXPECT_EQ(Texts(w.NoExtension), std::vector<std::string>{"/x/a"});

  w.BringToFront(Page::Final);
  w.mnuAbout->trigger();
  w.mnuAbout->trigger();  // twice, then OK once
  w.cmdOK->click();
  EXPECT_EQ(w.FrontPage(), Page::Final);
}

TEST_F(PageFlow, ResetDeselectsButKeepsTheListAndTheHeading) {
  FrmMain& w = OpenAtList(true);
  fakes.dialogs.folder_choices.push_back("/home/u/old");
  w.cmdAdd->click();
  w.cmdReset->click();
  EXPECT_EQ(w.FrontPage(), Page::Selection);
  EXPECT_FALSE(w.OptFile->isChecked() || w.OptFolder->isChecked());
  EXPECT_FALSE(w.cmdNext->isEnabled());
  EXPECT_EQ(w.Label3->text(), "Select a Folder to Shred:");
  w.OptFolder->click();
  w.cmdNext->click();
  EXPECT_EQ(Texts(w.ListFiles), std::vector<std::string>{"/home/u/old"});
  EXPECT_TRUE(w.cmdRemove->isEnabled());
}

TEST_F(PageFlow, ResetIsReachedThroughItsAccessKeyFromAnyPage) {
  FrmMain& w = OpenAtList(false);
  w.show();
  w.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
  // An access key clicks its button once the press has been shown.
  QSignalSpy clicked(w.cmdReset, &QPushButton::clicked);
  QTest::keyClick(w.windowHandle(), Qt::Key_R, Qt::AltModifier);
  ASSERT_TRUE(clicked.count() == 1 || clicked.wait());
  EXPECT_EQ(w.FrontPage(), Page::Selection);
  EXPECT_FALSE(w.OptFile->isChecked());
}

TEST_F(PageFlow, AccessKeysOfPagesBehindDoNothing) {
  FrmMain& w = OpenAtList(false);
  fakes.dialogs.file_choices.push_back("/x/a");
  w.cmdAdd->click();
  w.cmdReset->click();
  w.show();
  w.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
  // "&Clear" lies on the list page, behind the options page now.
  QTest::keyClick(w.windowHandle(), Qt::Key_C, Qt::AltModifier);
  EXPECT_FALSE(w.cmdClear->isDown());
  QTest::keyClick(w.windowHandle(), Qt::Key_S, Qt::AltModifier);
  EXPECT_FALSE(w.cmdRemove->isDown());
  EXPECT_EQ(w.shredList().size(), 1u);
}

TEST_F(PageFlow, OnlyTheFrontPageTakesFocus) {
  FrmMain& w = Open();
  w.show();
  for (Page page : {Page::Selection, Page::Result, Page::Final, Page::About}) {
    w.BringToFront(page);
    for (Page other : {Page::Selection, Page::Result, Page::Final, Page::About})
      EXPECT_EQ(w.PageFrame(other)->isVisible(), other == page);
  }
  // No page is destroyed or disabled along the way.
  for (Page page : {Page::Selection, Page::Result, Page::Final, Page::About})
    EXPECT_TRUE(w.PageFrame(page)->isEnabled());
}

}  // namespace
}  // namespace velmora
