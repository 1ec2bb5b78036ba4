// SPDX-License-Identifier: GPL-3.0-or-later
// Whole runs through the buttons: files gone, report bytes, result page.
#include <QPlainTextEdit>

#include "window_fixture.h"

#include "shred/fill_block.h"
#include "support/capture.h"

#include <sys/stat.h>
#include <unistd.h>

namespace velmora {
namespace {

using testing::Bytes;
using testing::Exists;
using testing::Nul;
using testing::ReadFile;
using testing::ReadText;
using testing::WindowTest;
using testing::WriteFile;

using WindowRun = WindowTest;

TEST_F(WindowRun, FileModeTwoFilesTogetherAndOneAlone) {
  testing::MakeDir(dir / "docs");
  WriteFile(dir / "docs/a.txt", testing::RandomBytes(3000, 1));
  WriteFile(dir / "docs/b.txt", testing::RandomBytes(3000, 2));
  WriteFile(dir / "alone.bin", testing::RandomBytes(70000, 3));
  WriteFile(dir / "untouched", testing::RandomBytes(100, 4));
  FrmMain& w = OpenAtList(false);
  fakes.dialogs.file_choices = {dir / "docs" + Nul() + "a.txt" + Nul() + "b.txt", dir / "alone.bin"};
  w.cmdAdd->click();
  w.cmdAdd->click();
  ShredNow(w);

  EXPECT_EQ(w.FrontPage(), Page::Final);
  EXPECT_EQ(w.lblResultCaption->text(), "Velmora has shred the Ones and Zeros Technique and 3 Number of times");
  EXPECT_FALSE(Exists(dir / "docs/a.txt"));
  EXPECT_FALSE(Exists(dir / "docs/b.txt"));
  EXPECT_FALSE(Exists(dir / "alone.bin"));
  EXPECT_EQ(ReadFile(dir / "untouched"), testing::RandomBytes(100, 4));
  EXPECT_EQ(w.ListFiles->topLevelItemCount(), 0);
  EXPECT_EQ(w.NoExtension->topLevelItemCount(), 0);
  EXPECT_TRUE(w.cmdRemove->isEnabled());
  EXPECT_EQ(ReadText(report_path),
            "Velmora\r\n07/12/2026\r\n09:41\r\n\r\nTechnique Used: Ones and Zeros\r\n"
            "Files Overwritten: 3 times\r\n\r\nFiles Have Been Shredded Are: \r\n\r\n" +
                (dir / "docs/a.txt") + "\r\n" + (dir / "docs/b.txt") + "\r\n" + (dir / "alone.bin") + "\r\n");

  w.cmdLog->click();
  EXPECT_EQ(fakes.shell.files, std::vector<std::string>{report_path});
}

TEST_F(WindowRun, FolderModeShredsTheTreeAndLeavesLinkTargetsAlone) {
  testing::MakeDir(dir / "outside");
  WriteFile(dir / "outside/keep", testing::RandomBytes(500, 9));
  testing::MakeDir(dir / "tree");
  testing::MakeDir(dir / "tree/sub");
  WriteFile(dir / "tree/sub/f", testing::RandomBytes(500, 5), 0444);
  ASSERT_EQ(::symlink((dir / "outside/keep").c_str(), (dir / "tree/link").c_str()), 0);
  FrmMain& w = Open();
  w.OptFolder->click();
  w.cboOverwriteWith->setCurrentIndex(1);
  w.cboOverwriteNoOfTimes->setCurrentIndex(5);
  w.cmdNext->click();
  fakes.dialogs.folder_choices = {dir / "tree"};
  w.cmdAdd->click();
  ShredNow(w);

  EXPECT_EQ(w.lblResultCaption->text(),
            "Velmora has shred the File(s)/Folder with Random Chars Technique and 10 Number of times");
  EXPECT_FALSE(Exists(dir / "tree"));
  EXPECT_EQ(ReadFile(dir / "outside/keep"), testing::RandomBytes(500, 9));
  EXPECT_EQ(ReadText(report_path),
            "Velmora\r\n07/12/2026\r\n09:41\r\n\r\nTechnique Used: Random Chars\r\n"
            "Files Overwritten: 10 times\r\n\r\nFiles Have Been Shredded Are: \r\n\r\n" +
                (dir / "tree") + "\r\n");
}

TEST_F(WindowRun, BesideAUsersOwnNoteTheReportIsWrittenAndOpenedInTheStateFolder) {
  testing::WriteText(report_path, "my own notes");
  WriteFile(dir / "f", Bytes(10, 1));
  FrmMain& w = OpenAtList(false);
  fakes.dialogs.file_choices = {dir / "f"};
  w.cmdAdd->click();
  ShredNow(w);
  EXPECT_EQ(ReadText(report_path), "my own notes");
  EXPECT_EQ(ReadText(state_report_path),
            "Velmora\r\n07/12/2026\r\n09:41\r\n\r\nTechnique Used: Ones and Zeros\r\n"
            "Files Overwritten: 3 times\r\n\r\nFiles Have Been Shredded Are: \r\n\r\n" +
                (dir / "f") + "\r\n");
  w.cmdLog->click();
  EXPECT_EQ(fakes.shell.files, std::vector<std::string>{state_report_path});
}

// No viewer took the report: the program shows it, read-only and
// monospaced, until Close, going back, or the next run.
TEST_F(WindowRun, ReportNoViewerTookIsShownInAWindowOfItsOwn) {
  fakes.shell.file_fails = true;
  FrmMain& w = Open();
  w.show();
  ShredAFile(w);
  w.cmdLog->click();
  EXPECT_EQ(fakes.shell.files, std::vector<std::string>{report_path});
  auto* shown = w.findChild<QWidget*>("ReportWindow");
  ASSERT_NE(shown, nullptr);
  EXPECT_TRUE(shown->isVisible());
  auto* text = shown->findChild<QPlainTextEdit*>("ReportText");
  ASSERT_NE(text, nullptr);
  EXPECT_TRUE(text->isReadOnly());
  EXPECT_TRUE(QFontInfo(text->font()).fixedPitch());
  QByteArray report = QByteArray::fromStdString(ReadText(report_path));
  EXPECT_EQ(text->toPlainText().toStdString(), report.replace("\r\n", "\n").toStdString());
  shown->findChild<QPushButton*>("cmdClose")->click();
  QApplication::processEvents();
  EXPECT_EQ(w.findChild<QWidget*>("ReportWindow"), nullptr);
  EXPECT_TRUE(w.isVisible()) << "closing the report does not close the program";

  w.cmdLog->click();
  ASSERT_NE(w.findChild<QWidget*>("ReportWindow"), nullptr);
  w.cmdBack1->click();  // the report is gone, and so is its window
  QApplication::processEvents();
  EXPECT_EQ(w.findChild<QWidget*>("ReportWindow"), nullptr);
}

TEST_F(WindowRun, PassCountPositionIsReadAtTheMomentOfTheRun) {
  // The list page is reached with "3"; the engine still follows the list.
  WriteFile(dir / "f", Bytes(10, 1));
  FrmMain& w = OpenAtList(false);
  fakes.dialogs.file_choices = {dir / "f"};
  w.cmdAdd->click();
  w.cboOverwriteNoOfTimes->setCurrentIndex(0);
  testing::CaptureRemovals capture;
  ShredNow(w);
  EXPECT_FALSE(Exists(dir / "f"));
  // 440 bytes of block at the first position, repeated, not 10,840.
  const Bytes block = BuildFillBlock(0);
  ASSERT_EQ(capture.removed_files.size(), 1u);
  const Bytes& seen = capture.removed_files[0];
  ASSERT_GE(seen.size(), 2 * block.size());
  EXPECT_EQ(Bytes(seen.begin(), seen.begin() + 440), block);
  EXPECT_EQ(Bytes(seen.begin() + 440, seen.begin() + 880), block);
  EXPECT_EQ(w.lblResultCaption->text(), "Velmora has shred the Ones and Zeros Technique and 3 Number of times");
}

// What was left is named in one warning after the result page, one reason
// per item in list order; a run where everything went shows no box.
TEST_F(WindowRun, ItemsLeftAreNamedInAWarningAfterTheResultPage) {
  WriteFile(dir / "ro", Bytes(10, 1), 0444);
  ASSERT_EQ(::symlink((dir / "ro").c_str(), (dir / "link").c_str()), 0);
  ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
  WriteFile(dir / "ok", Bytes(10, 2));
  FrmMain& w = OpenAtList(false);
  fakes.dialogs.file_choices = {dir / "ro", dir / "ok", dir / "link", dir / "fifo"};
  for (int i = 0; i < 4; ++i) w.cmdAdd->click();
  ShredNow(w);
  EXPECT_EQ(w.FrontPage(), Page::Final);
  EXPECT_EQ(w.lblResultCaption->text(), "Velmora has shred the Ones and Zeros Technique and 3 Number of times");
  const std::string text = "Some items could not be shredded:\n" + (dir / "ro") + " (read-only)\n" + (dir / "link") +
                           " (a link)\n" + (dir / "fifo") + " (not a regular file)";
  EXPECT_EQ(fakes.dialogs.messages,
            (std::vector<ShownMessage>{{text, "Velmora", MessageIcon::Exclamation, MessageButtons::Ok}}));
  EXPECT_FALSE(Exists(dir / "ok"));

  // Folder mode: a folder listed twice counts once shredded, not as missing.
  fakes.dialogs.messages.clear();
  w.cmdBack1->click();
  w.OptFolder->click();
  w.cmdNext->click();
  testing::MakeDir(dir / "tree");
  fakes.dialogs.folder_choices = {dir / "tree", dir / "tree", dir / "missing", dir / "fifo", dir / "link"};
  for (int i = 0; i < 5; ++i) w.cmdAdd->click();
  ShredNow(w);
  EXPECT_EQ(fakes.dialogs.messages,
            (std::vector<ShownMessage>{{"Some items could not be shredded:\n" + (dir / "missing") + " (not found)\n" +
                                            (dir / "fifo") + " (not a folder)\n" + (dir / "link") + " (a link)",
                                        "Velmora", MessageIcon::Exclamation, MessageButtons::Ok}}));
  EXPECT_FALSE(Exists(dir / "tree"));

  fakes.dialogs.messages.clear();
  w.cmdBack1->click();
  w.OptFile->click();
  w.cmdNext->click();
  fakes.dialogs.file_choices = {dir / "gone-already"};
  w.cmdAdd->click();
  ShredNow(w);
  EXPECT_TRUE(fakes.dialogs.messages.empty());
}

}  // namespace
}  // namespace velmora
