// SPDX-License-Identifier: GPL-3.0-or-later
// "&Wipe Free Space..." from the File menu: the browser, the question, the
// refusals, the run with its progress and Stop, the box at the end, and a
// fill a killed session left removed at the next start.
#include <QMenu>
#include <QMenuBar>

#include <sys/statvfs.h>

#include <cstring>

#include "freespace/free_space_texts.h"
#include "platform/close_signals.h"
#include "platform/mount_points.h"
#include "shell/close_requests.h"
#include "support/fake_fill_disk.h"
#include "window_fixture.h"

namespace velmora::testing {
namespace {

constexpr std::uint64_t kMiB = 1 << 20;

class FreeSpace : public WindowTest {
 protected:
  FreeSpace() {
    MakeDir(dir / "disk");
    EntryStat st;
    EXPECT_TRUE(StatAt(AT_FDCWD, dir / "disk", st));
    mount_point = MountPointOf(st.mount_id);
  }
  bool HoldsFill() { return HoldsFillFolder(dir / "disk"); }
  // The menu item with the folder chosen and the answer given; waits for
  // the end unless `wait` is false.
  void Wipe(FrmMain& w, MessageAnswer answer, bool wait = true) {
    fakes.dialogs.folder_choices = {dir / "disk"};
    fakes.dialogs.answers = {answer};
    QSignalSpy ended(&w, &FrmMain::freeSpaceWipeEnded);
    Control<QAction>(w, "mnuWipeFreeSpace")->trigger();
    if (wait && w.Running()) WaitUntil([&] { return !ended.isEmpty(); });
  }
  // "Yes" to a wipe of a disk of `capacity`, its worker held in `call`.
  FrmMain& WipeHeldIn(std::uint64_t capacity, const char* call) {
    disk.Capacity(capacity);
    disk.HoldAt(call);
    FrmMain& w = OpenShown();
    Wipe(w, MessageAnswer::Yes, false);
    disk.WaitUntilHeld();
    return w;
  }
  // Nothing of a fill is left: no folder, no record of one.
  void ExpectNoFill() {
    EXPECT_FALSE(HoldsFill());
    EXPECT_EQ(Record(), "");
  }
  ShownMessage Box(const std::string& text, MessageIcon icon = MessageIcon::Exclamation) {
    return {text, "Velmora", icon, MessageButtons::Ok};
  }
  std::string Record() { return fakes.settings.values[kFreeSpaceFillKey].toStdString(); }

  std::string mount_point;
  // Every test, so that no wipe here ever fills the real disk the test's
  // folder is on: 1 MiB unless a test says otherwise.
  FakeFillDisk disk{kMiB};
};

TEST_F(FreeSpace, TheFileMenuHoldsTheItemAboveExitAndNothingElseChanged) {
  FrmMain& w = Open();
  auto* file = w.menuBar()->findChild<QMenu*>("mnuFile");
  ASSERT_NE(file, nullptr);
  ASSERT_EQ(file->actions().size(), 2);
  EXPECT_EQ(file->actions()[0], Control<QAction>(w, "mnuWipeFreeSpace"));
  EXPECT_EQ(file->actions()[1], Control<QAction>(w, "mnuExit"));
  EXPECT_EQ(Text(w, "mnuWipeFreeSpace"), "&Wipe Free Space...");
}

TEST_F(FreeSpace, CancelInTheBrowserAndNoToTheQuestionLeaveEverythingAsItWas) {
  FrmMain& w = Open();
  Control<QAction>(w, "mnuWipeFreeSpace")->trigger();  // no folder chosen
  EXPECT_EQ(fakes.dialogs.folder_titles, Strings{"Choose A Folder On The Disk To Wipe"});
  EXPECT_TRUE(fakes.dialogs.messages.empty());

  Wipe(w, MessageAnswer::No);
  ASSERT_EQ(fakes.dialogs.messages.size(), 1u);
  EXPECT_EQ(fakes.dialogs.messages[0],
            (ShownMessage{"Wipe the free space of the disk that holds " + dir / "disk" +
                              "?\n\nVelmora fills every free block of that file system with its pattern, forces it "
                              "to the disk and removes the fill again. The disk is full for a while; other programs "
                              "writing to it may fail until it ends. This may take long.",
                          "Velmora", MessageIcon::Exclamation, MessageButtons::YesNoDefaultNo}));
  EXPECT_FALSE(w.Running());
  ExpectNoFill();
  EXPECT_EQ(w.FrontPage(), Page::Selection);
}

// Refused before the question, with the reason; nothing is made.
struct Refusal {
  const char* name;
  int (*fstatfs)(int, struct statfs*);
  int (*faccessat)(int, const char*, int, int);
  const char* folder;  // relative to the test's folder
  const char* text;    // "%s" stands for the folder, "%e" for the error
};

class FreeSpaceRefusals : public FreeSpace, public ::testing::WithParamInterface<Refusal> {};

TEST_P(FreeSpaceRefusals, AreSaidWithTheirReasonAndNothingIsMade) {
  const Refusal& row = GetParam();
  SysCalls calls = Sys();
  if (row.fstatfs) calls.fstatfs = row.fstatfs;
  if (row.faccessat) calls.faccessat = row.faccessat;
  ScopedSysCalls scope(calls);
  FrmMain& w = Open();
  const std::string folder = dir / row.folder;
  fakes.dialogs.folder_choices = {folder};
  fakes.dialogs.answers = {MessageAnswer::Yes};
  Control<QAction>(w, "mnuWipeFreeSpace")->trigger();
  std::string text = row.text;
  text.replace(text.find("%s"), 2, folder);
  if (std::size_t e = text.find("%e"); e != std::string::npos) text.replace(e, 2, std::strerror(ENOENT));
  EXPECT_EQ(fakes.dialogs.messages, Messages{Box(text, MessageIcon::Critical)});
  EXPECT_FALSE(w.Running());
  ExpectNoFill();
}

INSTANTIATE_TEST_SUITE_P(
    Rows, FreeSpaceRefusals,
    ::testing::Values(
        Refusal{"ReadOnly",
                [](int fd, struct statfs* out) {
                  int rc = ::fstatfs(fd, out);
                  out->f_flags |= ST_RDONLY;
                  return rc;
                },
                nullptr, "disk", "The disk that holds %s is mounted read-only: its free space cannot be wiped."},
        Refusal{"NotWritable", nullptr,
                [](int, const char*, int, int) {
                  errno = EACCES;
                  return -1;
                },
                "disk", "You cannot create files in %s: Velmora cannot wipe the free space of its disk from there."},
        Refusal{"Missing", nullptr, nullptr, "gone",
                "%s cannot be opened (%e): its free space was not wiped."}),
    [](const auto& row_info) { return std::string(row_info.param.name); });

TEST_F(FreeSpace, AFillFolderThatCannotBeMadeIsSaidAfterTheQuestion) {
  SysCalls calls = Sys();
  calls.mkdirat = [](int, const char*, mode_t) {
    errno = ENOSPC;
    return -1;
  };
  ScopedSysCalls scope(calls);
  FrmMain& w = Open();
  Wipe(w, MessageAnswer::Yes);
  ASSERT_EQ(fakes.dialogs.messages.size(), 2u);
  EXPECT_EQ(fakes.dialogs.messages[1], Box("Velmora could not create its fill folder in " + dir / "disk" + " (" +
                                               std::strerror(ENOSPC) + "): the free space was not wiped.",
                                           MessageIcon::Critical));
  EXPECT_FALSE(w.Running());
  EXPECT_EQ(Record(), "");
}

TEST_F(FreeSpace, ASignalWhileTheQuestionIsUpEndsWithoutAFill) {
  FrmMain& w = Open();
  fakes.dialogs.while_shown = [this] { window->CloseRequested(); };
  Wipe(w, MessageAnswer::Yes);
  EXPECT_EQ(disk.used(), 0u);
  EXPECT_EQ(fakes.dialogs.messages.size(), 1u);  // the question alone
  EXPECT_FALSE(w.Running());
  ExpectNoFill();
  EXPECT_EQ(fakes.shell.addresses, Strings{"https://home.test/thanks"});
}

TEST_F(FreeSpace, YesFillsOnTheWorkerShowsItsProgressAndSaysWhatWasOverwritten) {
  FrmMain& w = WipeHeldIn(3 * kMiB, FakeFillDisk::kSync);
  ASSERT_TRUE(w.Running());
  EXPECT_TRUE(HoldsFill());
  EXPECT_NE(Record(), "");  // known before the first byte
  QPointer<ShredProgressDialog> dialog = FireDelay(w);
  ASSERT_TRUE(dialog);
  EXPECT_EQ(dialog->labelText().toStdString(), "Wiping free space on " + mount_point);
  EXPECT_EQ(dialog->minimum(), 0);
  EXPECT_EQ(dialog->maximum(), 1000);
  EXPECT_EQ(dialog->value(), 1000);  // all 3 MiB written, waiting for the sync
  QSignalSpy ended(&w, &FrmMain::freeSpaceWipeEnded);
  disk.Release();
  WaitUntil([&] { return !ended.isEmpty(); });
  EXPECT_TRUE(dialog.isNull() || !dialog->isVisible());
  EXPECT_EQ(fakes.dialogs.messages.back(),
            Box("The free space of " + mount_point + " was wiped: 3 MiB overwritten.", MessageIcon::Information));
  ExpectNoFill();
  EXPECT_EQ(w.FrontPage(), Page::Selection);
}

TEST_F(FreeSpace, StopEndsTheFillAtTheNextChunkAndRemovesIt) {
  FrmMain& w = WipeHeldIn(8 * kMiB, FakeFillDisk::kWrite);
  QPointer<ShredProgressDialog> dialog = FireDelay(w);
  ASSERT_TRUE(dialog);
  QSignalSpy ended(&w, &FrmMain::freeSpaceWipeEnded);
  dialog->stopButton()->click();
  EXPECT_FALSE(dialog->stopButton()->isEnabled());
  disk.Release();
  WaitUntil([&] { return !ended.isEmpty(); });
  EXPECT_EQ(disk.used(), kMiB);  // the chunk in hand, then no more
  EXPECT_EQ(fakes.dialogs.messages.back(),
            Box("The free space of " + mount_point + " was only partly wiped: 0 bytes overwritten (stopped)."));
  ExpectNoFill();
}

TEST_F(FreeSpace, ASignalDuringTheWipeStopsItRemovesTheFillAndThenCloses) {
  CloseSignals close_signals;
  FrmMain& w = WipeHeldIn(8 * kMiB, FakeFillDisk::kWrite);
  ConnectCloseRequests(*qApp, w, close_signals);
  ASSERT_EQ(::raise(SIGTERM), 0);
  QTest::qWait(0);
  EXPECT_TRUE(w.isVisible());  // nothing closes under the chunk in hand
  disk.Release();
  WaitUntil([&] { return !w.isVisible(); });
  ExpectNoFill();
  EXPECT_EQ(fakes.shell.addresses, Strings{"https://home.test/thanks"});
  ASSERT_EQ(fakes.dialogs.messages.size(), 1u);  // the question; no box holds up the way out
}

TEST_F(FreeSpace, AFillAKilledSessionLeftIsRemovedAtTheNextStart) {
  FillIdentity id;
  {
    FreeSpaceTarget target = PrepareFreeSpaceWipe(dir / "disk");
    ASSERT_EQ(target.refusal, FreeSpaceRefusal::None);
    id = target.identity;
  }
  WriteFile(id.path + "/fill-00000000", RandomBytes(5000, 1));
  WriteFile(dir / "disk/mine", RandomBytes(100, 2));
  fakes.settings.values[kFreeSpaceFillKey] = QString::fromStdString(FormatFillRecord({id}));
  Open();
  ExpectNoFill();
  EXPECT_EQ(ReadFile(dir / "disk/mine"), RandomBytes(100, 2));
}

TEST(FreeSpaceTexts, SizesAreInBinaryUnitsWithOneDecimal) {
  const std::pair<std::uint64_t, const char*> rows[] = {
      {0, "0 bytes"},          {1, "1 byte"},           {1023, "1023 bytes"},
      {1024, "1 KiB"},         {1536, "1.5 KiB"},       {512 << 10, "512 KiB"},
      {1048524, "1023.9 KiB"}, {1048575, "1 MiB"},      {3 * kMiB, "3 MiB"},
      {1610612736, "1.5 GiB"}, {5000000000, "4.7 GiB"}, {UINT64_MAX, "16 EiB"}};
  for (auto [bytes, text] : rows) EXPECT_EQ(HumanSize(bytes), text) << bytes;
  // What varies is put in once: a "%1" in a path stays as it is.
  EXPECT_EQ(FreeSpaceProgressText("/media/u/%1%2"), "Wiping free space on /media/u/%1%2");
}

TEST(FreeSpaceTexts, TheOutcomeSaysWhatWasDoneAndWhy) {
  FreeSpaceResult r;
  r.overwritten = 1536 << 20;
  r.fill_removed = true;
  EXPECT_EQ(FreeSpaceOutcomeText("/home", r, "", ""), "The free space of /home was wiped: 1.5 GiB overwritten.");
  const std::pair<FreeSpaceEnd, const char*> partial[] = {
      {FreeSpaceEnd::Stopped, "(stopped)"},
      {FreeSpaceEnd::ReservedNotReached, "(the space reserved for the administrator was not reached)"},
      {FreeSpaceEnd::WriteFailed, "(could not be written)"},
      {FreeSpaceEnd::SyncFailed, "(could not be forced to the disk)"}};
  for (auto [end, reason] : partial) {
    r.end = end;
    EXPECT_EQ(FreeSpaceOutcomeText("/home", r, "", ""),
              std::string("The free space of /home was only partly wiped: 1.5 GiB overwritten ") + reason + ".");
  }
  r.end = FreeSpaceEnd::Wiped;
  r.held_back = 1310720;
  r.fill_removed = false;
  r.fill_error = ENOTEMPTY;
  // A fill that stays keeps the disk full: never "wiped".
  EXPECT_EQ(FreeSpaceOutcomeText("/home", r, "copy-on-write", "/home/u/.velmora-free-space-abcdefABCDEF"),
            "The free space of /home was only partly wiped: 1.5 GiB overwritten (the fill "
            "/home/u/.velmora-free-space-abcdefABCDEF could not be removed: Directory not empty).\n\nThe file "
            "system held back 1.3 MiB of free space from every program; it was not overwritten.\n\nThis disk may "
            "keep old copies anyway (copy-on-write).\n\nThe fill keeps the disk full. Velmora tries again at its "
            "next start; you may remove that folder yourself.");
  r.fill_removed = r.free_discarded = true;
  EXPECT_EQ(FreeSpaceOutcomeText("/home", r, "", ""),
            "The free space of /home was wiped: 1.5 GiB overwritten.\n\nThe file system held back 1.3 MiB of free "
            "space from every program; it was not overwritten, but the disk was told to discard it.");
}

}  // namespace
}  // namespace velmora::testing
