// SPDX-License-Identifier: GPL-3.0-or-later
// Whole runs through the buttons: files gone, report bytes, result page.
#include <QPlainTextEdit>

#include "window_fixture.h"

#include "shell/outcome_box.h"
#include "shell/storage_notice.h"
#include "support/capture.h"
#include "support/fixed_host.h"

namespace velmora::testing {
namespace {

using WindowRun = WindowTest;

TEST_F(WindowRun, FileModeTwoFilesTogetherAndOneAlone) {
  MakeDir(dir / "docs");
  WriteFile(dir / "docs/a.txt", RandomBytes(3000, 1));
  WriteFile(dir / "docs/b.txt", RandomBytes(3000, 2));
  WriteFile(dir / "alone.bin", RandomBytes(70000, 3));
  WriteFile(dir / "untouched", RandomBytes(100, 4));
  FrmMain& w = OpenAtList(false);
  AddFiles(w, {ChosenFiles{dir / "docs", {"a.txt", "b.txt"}}, dir / "alone.bin"});
  ShredNow(w);

  EXPECT_EQ(w.FrontPage(), Page::Final);
  EXPECT_EQ(Text(w, "lblResultCaption"), "Velmora has shred the Ones and Zeros Technique and 3 Number of times");
  for (const char* name : {"docs/a.txt", "docs/b.txt", "alone.bin"}) EXPECT_FALSE(Exists(dir / name)) << name;
  EXPECT_EQ(ReadFile(dir / "untouched"), RandomBytes(100, 4));
  EXPECT_EQ(Control<QTreeWidget>(w, "ListFiles")->topLevelItemCount(), 0);
  EXPECT_EQ(Control<QTreeWidget>(w, "NoExtension")->topLevelItemCount(), 0);
  EXPECT_TRUE(Control(w, "cmdRemove")->isEnabled());
  EXPECT_EQ(ReadText(report_path),
            ShreddedReport("Ones and Zeros", 3, {dir / "docs/a.txt", dir / "docs/b.txt", dir / "alone.bin"}));

  Control(w, "cmdLog")->click();
  EXPECT_EQ(fakes.shell.files, Strings{report_path});
}

// No report could be written: its button says why instead of handing the
// viewer a path with nothing there.
TEST_F(WindowRun, WithoutAReportItsButtonIsOffAndSaysWhy) {
  WriteFile(dir / "a.txt", RandomBytes(10, 1));
  FrmMain& w = OpenAtList(false);
  fakes.settings.cannot_write = true;
  AddFiles(w, {dir / "a.txt"});
  ShredNow(w);
  EXPECT_FALSE(Exists(report_path));
  EXPECT_FALSE(Control(w, "cmdLog")->isEnabled());
  EXPECT_EQ(Control(w, "cmdLog")->toolTip().toStdString(),
            "No report was written for this run: Velmora found no folder it may write it to, or could not record "
            "it so as to destroy it later.");
}

TEST_F(WindowRun, FolderModeShredsTheTreeAndLeavesLinkTargetsAlone) {
  MakeDir(dir / "outside");
  WriteFile(dir / "outside/keep", RandomBytes(500, 9));
  MakeDirs({dir / "tree", dir / "tree/sub"});
  WriteFile(dir / "tree/sub/f", RandomBytes(500, 5), 0444);
  ASSERT_EQ(::symlink((dir / "outside/keep").c_str(), (dir / "tree/link").c_str()), 0);
  FrmMain& w = Open();
  Control<QComboBox>(w, "cboOverwriteWith")->setCurrentIndex(1);
  Control<QComboBox>(w, "cboOverwriteNoOfTimes")->setCurrentIndex(5);
  ChooseMode(w, true);
  AddFolders(w, {dir / "tree"});
  ShredNow(w);

  EXPECT_EQ(Text(w, "lblResultCaption"),
            "Velmora has shred the File(s)/Folder with Random Chars Technique and 10 Number of times");
  EXPECT_FALSE(Exists(dir / "tree"));
  EXPECT_EQ(ReadFile(dir / "outside/keep"), RandomBytes(500, 9));
  EXPECT_EQ(ReadText(report_path), ShreddedReport("Random Chars", 10, {dir / "tree"}));
}

TEST_F(WindowRun, BesideAUsersOwnNoteTheReportIsWrittenAndOpenedInTheStateFolder) {
  WriteText(report_path, "my own notes");
  WriteFile(dir / "f", Bytes(10, 1));
  FrmMain& w = OpenAtList(false);
  AddFiles(w, {dir / "f"});
  ShredNow(w);
  EXPECT_EQ(ReadText(report_path), "my own notes");
  EXPECT_EQ(ReadText(state_report_path), ShreddedReport("Ones and Zeros", 3, {dir / "f"}));
  Control(w, "cmdLog")->click();
  EXPECT_EQ(fakes.shell.files, Strings{state_report_path});
}

// No viewer took the report: the program shows it, read-only and
// monospaced, until Close, going back, or the next run.
TEST_F(WindowRun, ReportNoViewerTookIsShownInAWindowOfItsOwn) {
  fakes.shell.file_fails = true;
  FrmMain& w = OpenShown();
  ShredAFile(w);
  Control(w, "cmdLog")->click();
  EXPECT_EQ(fakes.shell.files, Strings{report_path});
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

  Control(w, "cmdLog")->click();
  ASSERT_NE(w.findChild<QWidget*>("ReportWindow"), nullptr);
  Control(w, "cmdBack1")->click();  // the report is gone, and so is its window
  QApplication::processEvents();
  EXPECT_EQ(w.findChild<QWidget*>("ReportWindow"), nullptr);
}

TEST_F(WindowRun, PassCountPositionIsTakenOnceAtNext) {
  // The list page is reached with "3": a later change of the list changes
  // neither the caption nor what the engine writes.
  WriteFile(dir / "f", Bytes(10, 1));
  FrmMain& w = OpenAtList(false);
  AddFiles(w, {dir / "f"});
  Control<QComboBox>(w, "cboOverwriteNoOfTimes")->setCurrentIndex(0);
  CaptureRemovals capture;
  ShredNow(w);
  EXPECT_FALSE(Exists(dir / "f"));
  ASSERT_EQ(capture.removed_files.size(), 1u);
  EXPECT_EQ(capture.removed_files[0], ExpectedCover(2, 10));
  EXPECT_EQ(Text(w, "lblResultCaption"), "Velmora has shred the Ones and Zeros Technique and 3 Number of times");
}

// What was left is named in one warning after the result page, one reason
// per item in list order; a run where everything went shows no box.
TEST_F(WindowRun, ItemsLeftAreNamedInAWarningAfterTheResultPage) {
  WriteFile(dir / "ro", Bytes(10, 1), 0444);
  ASSERT_EQ(::symlink((dir / "ro").c_str(), (dir / "link").c_str()), 0);
  ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
  WriteFile(dir / "ok", Bytes(10, 2));
  WriteFile(dir / "busy", Bytes(10, 3));
  const int other_program = ::open((dir / "busy").c_str(), O_RDONLY | O_CLOEXEC);
  FrmMain& w = OpenAtList(false);
  AddFiles(w, {dir / "ro", dir / "ok", dir / "link", dir / "fifo", dir / "busy"});
  ShredNow(w);
  ::close(other_program);
  EXPECT_EQ(w.FrontPage(), Page::Final);
  EXPECT_EQ(Text(w, "lblResultCaption"), "Velmora has shred the Ones and Zeros Technique and 3 Number of times");
  const std::string text = "Some items could not be shredded:\n" + (dir / "ro") + " (read-only)\n" + (dir / "link") +
                           " (a link)\n" + (dir / "fifo") + " (not a regular file)\n" + (dir / "busy") +
                           " (in use by another program)";
  EXPECT_EQ(fakes.dialogs.messages, Messages{Warning(text)});
  EXPECT_EQ(Text(w, "lblResultNote"), "4 of 5 items could not be shredded; the report names them and says why.");
  EXPECT_FALSE(Exists(dir / "ok"));

  // Folder mode: a folder listed twice counts once shredded, not as missing.
  MakeDir(dir / "tree");
  ShredAgain(w, true, {dir / "tree", dir / "tree", dir / "missing", dir / "fifo", dir / "link"});
  EXPECT_EQ(fakes.dialogs.messages,
            Messages{Warning("Some items could not be shredded:\n" + (dir / "missing") + " (not found)\n" +
                             (dir / "fifo") + " (not a folder)\n" + (dir / "link") + " (a link)")});
  EXPECT_FALSE(Exists(dir / "tree"));

  ShredAgain(w, false, {dir / "gone-already"});
  EXPECT_TRUE(fakes.dialogs.messages.empty());
  EXPECT_EQ(Text(w, "lblResultCaption"), "Velmora has shred the Ones and Zeros Technique and 3 Number of times");
  EXPECT_FALSE(Control<QLabel>(w, "lblResultNote")->isVisibleTo(&w)) << "everything shredded: as it always was";
}

// Where no report could be written, the result page points to none.
TEST_F(WindowRun, WithoutAReportTheResultPageSaysOnlyWhatWasLeft) {
  MakeDir(dir / "prog/note.txt");            // the user's: never written to
  WriteFile(dir / "state", Bytes(1, 0));     // and no state folder can be made
  WriteFile(dir / "ok", Bytes(10, 1));
  ASSERT_EQ(::symlink("ok", (dir / "link").c_str()), 0);
  FrmMain& w = OpenAtList(false);
  AddFiles(w, {dir / "ok", dir / "link"});
  ShredNow(w);
  EXPECT_EQ(Text(w, "lblResultNote"), "1 of 2 items could not be shredded.");
}

// Shredded items on storage that may keep old copies are named after the
// items left, in a section of their own. A flash drive with an identity can
// be silenced with the box's one check box, and stays silent on the next
// run; one without an identity cannot; the other reasons are always told.
TEST_F(WindowRun, StorageThatMayKeepOldCopiesIsNamedAndFlashIsSilencedPerDrive) {
  const std::uint64_t mount = MountIdOf(dir.path());
  ASSERT_NE(mount, 0u);
  storage.files["/sys/dev/block/259:0/wwid"] = "eui.0025385b71b0e5d2\n";
  storage.Disk("259:0", "nvme0n1", /*rotational=*/false);
  storage.Partition("259:1", "nvme0n1p1", "259:0");
  storage.Mount(mount, "259:1", "ext4");
  WriteFile(dir / "ro", Bytes(10, 1), 0444);
  WriteFile(dir / "ok", Bytes(10, 2));
  FrmMain& w = OpenAtList(false);
  AddFiles(w, {dir / "ro", dir / "ok"});
  fakes.dialogs.ticks = {true};
  ShredNow(w);
  EXPECT_FALSE(Exists(dir / "ok"));
  const std::string text = "Some items could not be shredded:\n" + (dir / "ro") +
                           " (read-only)\n\nShredded, but the disk may keep old copies:\n" + (dir / "ok") +
                           " (flash storage)";
  EXPECT_EQ(fakes.dialogs.messages, Messages{Warning(text)});
  EXPECT_EQ(fakes.dialogs.check_boxes,
            (std::map<std::size_t, std::string>{{0, "Don't tell me again for these drives"}}));
  EXPECT_EQ(fakes.settings.values["QuietFlashDrives"], "eui.0025385b71b0e5d2");

  // The next run on that drive has nothing to say.
  WriteFile(dir / "again", Bytes(10, 3));
  ShredAgain(w, false, {dir / "again"});
  EXPECT_FALSE(Exists(dir / "again"));
  EXPECT_TRUE(fakes.dialogs.messages.empty());

  // A flash drive without an identity is told of with no check box: a
  // folder shred's files share their folder's line.
  storage.files["/proc/self/mountinfo"].clear();
  storage.Disk("8:32", "sdc", /*rotational=*/false);
  storage.Mount(mount, "8:32", "ext4");
  MakeDir(dir / "tree");
  WriteFile(dir / "tree/a", Bytes(10, 4));
  WriteFile(dir / "tree/b", Bytes(10, 5));
  ShredAgain(w, true, {dir / "tree"});
  EXPECT_FALSE(Exists(dir / "tree"));
  EXPECT_EQ(fakes.dialogs.messages,
            Messages{Warning("Shredded, but the disk may keep old copies:\n" + (dir / "tree") + " (flash storage)")});
  EXPECT_TRUE(fakes.dialogs.check_boxes.empty());

  // Copy-on-write on the silenced drive is told all the same.
  storage.files["/proc/self/mountinfo"].clear();
  storage.Mount(mount, "259:1", "btrfs", "rw,ssd");
  WriteFile(dir / "cow", Bytes(10, 6));
  ShredAgain(w, false, {dir / "cow"});
  EXPECT_FALSE(Exists(dir / "cow"));
  EXPECT_EQ(fakes.dialogs.messages, Messages{Warning("Shredded, but the disk may keep old copies:\n" + (dir / "cow") +
                                                     " (copy-on-write file system)")});
  EXPECT_TRUE(fakes.dialogs.check_boxes.empty());
  EXPECT_EQ(fakes.settings.values["QuietFlashDrives"], "eui.0025385b71b0e5d2");
}

// Every reason in its words, items not shredded left out of the section,
// and the flash drives the box can silence: each identity once, none for a
// drive without one or for a line already silenced.
TEST(StorageNotice, EachReasonHasItsLineAndOnlyShreddedItemsAreNamed) {
  const ShredList items{{"/n", "n"}, {"/s", "s"}, {"/o", "o"}, {"/c", "c"}, {"/j", "j"}, {"/f1", "f1"},
                        {"/f2", "f2"}, {"/f3", "f3"}, {"/quiet", "quiet"}, {"/left", "left"}, {"/plain", "plain"}};
  std::vector<ItemOutcome> outcomes(items.size(), ItemOutcome::Shredded);
  outcomes[9] = ItemOutcome::WriteFailed;
  const std::vector<StorageClass> storage{
      {StorageRisk::Network, {}},      {StorageRisk::UserSpace, {}},   {StorageRisk::Overlay, {}},
      {StorageRisk::CopyOnWrite, {}},  {StorageRisk::DataJournal, {}}, {StorageRisk::Flash, {"A"}},
      {StorageRisk::Flash, {"A", ""}}, {StorageRisk::Flash, {""}},     {StorageRisk::Flash, {"Q"}},
      {StorageRisk::CopyOnWrite, {}},  {}};
  const StorageSection section = StorageSectionFor(items, outcomes, storage, {"Q"});
  EXPECT_EQ(section.text,
            "Shredded, but the disk may keep old copies:\n/n (network file system)\n/s (user-space file system)\n"
            "/o (overlay: the original may stay in a lower layer)\n/c (copy-on-write file system)\n"
            "/j (data journaled by ext4)\n/f1 (flash storage)\n/f2 (flash storage)\n/f3 (flash storage)");
  EXPECT_EQ(section.flash_drives, Strings{"A"});
  EXPECT_EQ(StorageSectionFor(items, outcomes, storage, {"Q", "A"}).flash_drives, Strings{});
}

// Under a folder left unfinished, its count; under each folder that stays,
// what stayed inside for its own reason, 20 lines at most, then how many
// more the report names. No error text in the box.
TEST(OutcomeBox, FoldersLeftNameTheirCountAndWhatStayedInside) {
  const ShredList items{{"/a", "a"}, {"/b", "b"}, {"/c", "c"}};
  ShredRunResult result;
  result.outcomes = {ItemOutcome::StoppedBeforeFinished, ItemOutcome::Shredded, ItemOutcome::SomethingInsideKept};
  result.errors = {0, 0, 0};
  result.files_left = {{3, 40}, {}, {22, 22}};
  result.kept_inside = {{0, "/a/big", ItemOutcome::StoppedPartWay, 0}};
  std::string expected = "Some items could not be shredded:\n/a (stopped before it was finished: 3 of 40 files left)\n"
                         "/a/big (stopped part way: partly overwritten)\n/c (something inside could not be shredded)";
  for (int i = 10; i < 32; ++i) {
    result.kept_inside.push_back({2, "/c/" + std::to_string(i), ItemOutcome::OpenFailed, EACCES});
    if (i < 30) expected += "\n/c/" + std::to_string(i) + " (could not be opened)";
  }
  EXPECT_EQ(OutcomeBoxText(items, result), expected + "\n/c: and 2 more (see the report)");
}

}  // namespace
}  // namespace velmora::testing
