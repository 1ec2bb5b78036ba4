// SPDX-License-Identifier: GPL-3.0-or-later
// Faults during a free-space wipe, a session killed in the middle of one,
// and the next start's removal of what it left: the fill is always removed,
// the outcome is what reached the disk, and nothing but our own fill goes.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "freespace/free_space_leftover.h"
#include "freespace/free_space_wipe.h"
#include "support/fake_fill_disk.h"
#include "support/memory_record.h"
#include "support/temp_dir.h"
#include "support/tree_snapshot.h"

namespace velmora::testing {
namespace {

// A RunControl whose Stop is pressed at its nth question (0: never).
class StopAt : public RunControl {
 public:
  explicit StopAt(int nth) : nth_(nth) {}
  bool StopRequested() override { return nth_ > 0 && ++asked_ >= nth_; }

 private:
  int nth_, asked_ = 0;
};

constexpr std::uint64_t kMiB = 1 << 20;

struct FreeSpaceFault {
  const char* name;
  std::uint64_t capacity;
  std::function<void(FakeFillDisk&)> arrange;
  int stop_at;  // Stop pressed at the nth question (0: never)
  bool privileged;
  FreeSpaceEnd end;
  std::uint64_t overwritten;  // exactly: only what was forced to the disk counts
  std::uint64_t held_back;
};

class FreeSpaceFaults : public ::testing::TestWithParam<FreeSpaceFault> {};

// However the fill ends, it is removed, nothing else in the folder changes,
// no descriptor stays open and the outcome says what reached the disk.
TEST_P(FreeSpaceFaults, TheFillIsAlwaysRemovedAndTheOutcomeIsWhatReachedTheDisk) {
  const FreeSpaceFault& row = GetParam();
  TempDir dir;
  MakeDir(dir / "world");
  WriteFile(dir / "world/keep", RandomBytes(3000, 2));
  WriteFile(dir / "beside", RandomBytes(100, 3));
  auto before = Snapshot(dir.path());
  const int fds = OpenDescriptorCount();
  FreeSpaceResult result;
  std::uint64_t ext4_reserve_before = 0, ext4_reserve_after = 0;
  {
    FakeFillDisk disk(row.capacity);
    if (row.arrange) row.arrange(disk);
    FreeSpaceTarget target = PrepareFreeSpaceWipe(dir.path());
    ASSERT_EQ(target.refusal, FreeSpaceRefusal::None);
    StopAt control(row.stop_at);
    ext4_reserve_before = disk.ext4_reserve_now();
    result = WipeFreeSpace(target, control, {.privileged = row.privileged});
    ext4_reserve_after = disk.ext4_reserve_now();
  }
  EXPECT_EQ(OpenDescriptorCount(), fds) << "descriptors leaked";
  EXPECT_EQ(result.end, row.end);
  EXPECT_EQ(result.overwritten, row.overwritten);
  EXPECT_EQ(result.held_back, row.held_back);
  EXPECT_EQ(ext4_reserve_after, ext4_reserve_before) << "ext4's own reserve not put back";
  EXPECT_TRUE(result.fill_removed);
  EXPECT_FALSE(HoldsFillFolder(dir.path()));
  EXPECT_EQ(Snapshot(dir.path()), before);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, FreeSpaceFaults,
    ::testing::Values(FreeSpaceFault{"NoSpaceAtTheFirstWrite", 0, nullptr, 0, true, FreeSpaceEnd::Wiped, 0, 0},
                      FreeSpaceFault{"FullPartWayThroughTheFirstFile", 3 * kMiB + 5000, nullptr, 0, true,
                                     FreeSpaceEnd::Wiped, 3 * kMiB + 5000, 0},
                      FreeSpaceFault{"WriteErrorInTheMiddle", 8 * kMiB, [](auto& d) { d.FailWriteAfter(2 * kMiB); }, 0,
                                     true, FreeSpaceEnd::WriteFailed, 0, 0},
                      FreeSpaceFault{"FailedSync", kMiB, [](auto& d) { d.FailSync(); }, 0, true,
                                     FreeSpaceEnd::SyncFailed, 0, 0},
                      FreeSpaceFault{"StopBeforeTheFirstFile", 3 * kMiB, nullptr, 1, true, FreeSpaceEnd::Stopped, 0, 0},
                      FreeSpaceFault{"StopInTheMiddleOfAFile", 3 * kMiB, nullptr, 3, true, FreeSpaceEnd::Stopped, 0, 0},
                      // The 1 GiB file asks five times (before it and each MiB), then
                      // finds the disk full: Stop before the first smaller file.
                      FreeSpaceFault{"StopAtTheSmallerFiles", 3 * kMiB + 5000, nullptr, 6, true, FreeSpaceEnd::Stopped,
                                     3 * kMiB + 5000, 0},
                      FreeSpaceFault{"OrdinaryUserDoesNotReachTheReserve", kMiB, [](auto& d) { d.Reserve(64 << 10); },
                                     0, false, FreeSpaceEnd::ReservedNotReached, kMiB, 0},
                      FreeSpaceFault{"WhatTheFileSystemHoldsBackIsSaid", kMiB, [](auto& d) { d.Reserve(64 << 10); }, 0,
                                     true, FreeSpaceEnd::Wiped, kMiB, 64 << 10},
                      // ext4's own reserve is filled too, by the administrator only, and
                      // put back however the fill ends.
                      FreeSpaceFault{"TheAdministratorFillsExt4sReserve", kMiB, [](auto& d) { d.Ext4Reserve(16); }, 0,
                                     true, FreeSpaceEnd::Wiped, kMiB + (64 << 10), 0},
                      FreeSpaceFault{"WriteErrorInExt4sReserve", kMiB,
                                     [](auto& d) {
                                       d.Ext4Reserve(16);
                                       d.FailWriteAfter(kMiB + 8192);
                                     },
                                     0, true, FreeSpaceEnd::WriteFailed, kMiB, 0},
                      // What ext4 set aside for the unforced writes comes free at their
                      // sync, more than the reserve they took: that too is filled.
                      FreeSpaceFault{"RoomFreedByTheSyncIsFilledToo", kMiB,
                                     [](auto& d) {
                                       d.Ext4Reserve(16);
                                       d.FreeAtSyncFs((64 << 10) + 8192);
                                     },
                                     0, true, FreeSpaceEnd::Wiped, kMiB + (64 << 10) + 8192, 0},
                      FreeSpaceFault{"OrdinaryUserLeavesExt4sReserve", kMiB, [](auto& d) { d.Ext4Reserve(16); }, 0,
                                     false, FreeSpaceEnd::Wiped, kMiB, 0},
                      // Btrfs: a folder opened before the fill was written lists none of it.
                      FreeSpaceFault{"AListingThatHidesNewEntries", 3 * kMiB + 5000,
                                     [](auto& d) { d.HideNewEntries(); }, 0, true, FreeSpaceEnd::Wiped,
                                     3 * kMiB + 5000, 0}),
    [](const auto& row_info) { return std::string(row_info.param.name); });

// A session killed at any step of the fill leaves a fill (a full disk) that
// the next start removes, through the identity recorded before the first
// byte; and nothing else.
class FreeSpaceKilled : public ::testing::TestWithParam<const char*> {};

TEST_P(FreeSpaceKilled, TheNextStartRemovesTheFillAndNothingElse) {
  TempDir dir;
  MakeDir(dir / "world");
  WriteFile(dir / "world/keep", RandomBytes(3000, 2));
  auto before = Snapshot(dir.path());
  TempDir sys;  // ext4's reserve file, outside the folder
  const std::string reserve = sys / "reserved_clusters";
  MemoryRecord record;
  FillKeeper keeper(record);
  {
    FreeSpaceTarget target = PrepareFreeSpaceWipe(dir.path());
    ASSERT_EQ(target.refusal, FreeSpaceRefusal::None);
    keeper.Remember(target.identity);
    static std::string kill_at;
    kill_at = GetParam();
    pid_t child = ::fork();
    if (child == 0) {
      FakeFillDisk disk(3 * kMiB + 5000);
      disk.Ext4Reserve(16, reserve);
      disk.Hook([&disk](const std::string& step) {
        // "lowered": at a write into ext4's reserve, while it is lowered.
        if (step == kill_at || (kill_at == "lowered" && step == "pwrite" && disk.ext4_reserve_now() == 0))
          ::raise(SIGKILL);
      });
      WipeFreeSpace(target, NoRunControl(), {.privileged = true});
      ::_exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << "not killed at " << kill_at;
  }
  // The watchdog puts ext4's reserve back when the program dies: waited
  // for (it runs on its own), never timed.
  for (int i = 0; i < 1000 && ReadText(reserve) != "16\n"; ++i) ::usleep(10000);
  EXPECT_EQ(ReadText(reserve), "16\n");
  // The next start.
  FillKeeper next(record);
  EXPECT_TRUE(next.RemoveLeftovers());
  EXPECT_EQ(record.text, "");
  EXPECT_FALSE(HoldsFillFolder(dir.path()));
  EXPECT_EQ(Snapshot(dir.path()), before);
}

INSTANTIATE_TEST_SUITE_P(EveryStep, FreeSpaceKilled,
                         ::testing::Values(FakeFillDisk::kWrite, FakeFillDisk::kSync, "lowered", FakeFillDisk::kRemove,
                                           FakeFillDisk::kSyncFs));

// What holds a recorded fill folder's place at the next start is removed
// only when it is that very folder; inside it, only our fill files go.
struct LeftoverCase {
  const char* name;
  // Changes the scene after the fill folder `fill` in `parent` was recorded
  // (with one fill file in it); returns the path that must stay as it is.
  std::function<std::string(const std::string& parent, const std::string& fill)> change;
  LeftoverFill outcome;
};

class FreeSpaceLeftovers : public ::testing::TestWithParam<LeftoverCase> {};

// A file named almost as our fill files are ("fill-" and eight digits) is
// not ours: it stays, and so does the folder.
LeftoverCase AlmostAFillFile(const char* row, const std::string& file) {
  return {row,
          [file](const std::string&, const std::string& fill) {
            WriteFile(fill + "/" + file, Bytes(10, 3));
            return fill + "/" + file;
          },
          LeftoverFill::Kept};
}

TEST_P(FreeSpaceLeftovers, OnlyOurOwnFillIsRemoved) {
  TempDir dir;
  MakeDir(dir / "in");
  FillIdentity id;
  std::string fill;
  {
    FreeSpaceTarget target = PrepareFreeSpaceWipe(dir / "in");
    ASSERT_EQ(target.refusal, FreeSpaceRefusal::None);
    id = target.identity;
    fill = id.path;
    WriteFile(fill + "/fill-00000000", RandomBytes(100, 1));
  }
  const std::string kept = GetParam().change(dir / "in", fill);
  auto before = Snapshot(kept);
  EXPECT_EQ(RemoveLeftoverFill(id), GetParam().outcome);
  EXPECT_EQ(Snapshot(kept), before);
}

INSTANTIATE_TEST_SUITE_P(Rows, FreeSpaceLeftovers,
                         ::testing::Values(LeftoverCase{"FolderMadeAnewUnderItsName",
                                                        [](const std::string&, const std::string& fill) {
                                                          std::filesystem::remove_all(fill);
                                                          MakeDir(fill);
                                                          WriteFile(fill + "/fill-00000000", Bytes(10, 1));
                                                          return fill;
                                                        },
                                                        LeftoverFill::NotOurs},
                                           LeftoverCase{"LinkUnderItsName",
                                                        [](const std::string& parent, const std::string& fill) {
                                                          ::rename(fill.c_str(), (parent + "/moved").c_str());
                                                          ::symlink((parent + "/moved").c_str(), fill.c_str());
                                                          return parent + "/moved";
                                                        },
                                                        LeftoverFill::NotOurs},
                                           // The very folder, moved into another folder now at its parent's path.
                                           LeftoverCase{"ParentMadeAnew",
                                                        [](const std::string& parent, const std::string& fill) {
                                                          const std::string old = parent + "-old";
                                                          ::rename(parent.c_str(), old.c_str());
                                                          MakeDir(parent);
                                                          ::rename((old + fill.substr(parent.size())).c_str(),
                                                                   fill.c_str());
                                                          return parent;
                                                        },
                                                        LeftoverFill::NotOurs},
                                           // Its disk not mounted, say: kept in the record for later starts.
                                           LeftoverCase{"ParentNotThere",
                                                        [](const std::string& parent, const std::string&) {
                                                          ::rename(parent.c_str(), (parent + "-away").c_str());
                                                          return parent + "-away";
                                                        },
                                                        LeftoverFill::Away},
                                           LeftoverCase{"SomethingElseInside",
                                                        [](const std::string&, const std::string& fill) {
                                                          WriteFile(fill + "/notes.txt", Bytes(10, 2));
                                                          return fill + "/notes.txt";
                                                        },
                                                        LeftoverFill::Kept},
                                           AlmostAFillFile("LettersForDigits", "fill-abcdefgh"),
                                           AlmostAFillFile("LastDigitALetter", "fill-0000000x"),
                                           AlmostAFillFile("SevenDigits", "fill-0000000"),
                                           AlmostAFillFile("NineDigits", "fill-000000000")),
                         [](const auto& row_info) { return std::string(row_info.param.name); });

TEST(FreeSpaceLeftover, ARecordWhoseNameIsNotAFillFolderNameIsNeverFollowed) {
  TempDir dir;
  MakeDir(dir / "mine");
  WriteFile(dir / "mine/fill-00000000", Bytes(10, 1));
  struct stat folder, parent;
  ASSERT_EQ(::stat((dir / "mine").c_str(), &folder), 0);
  ASSERT_EQ(::stat(dir.path().c_str(), &parent), 0);
  FillIdentity id{dir / "mine", folder.st_dev, folder.st_ino, parent.st_dev, parent.st_ino};
  const int fd = ::open((dir / "mine").c_str(), O_RDONLY | O_DIRECTORY);
  ReadBirthTime(fd, id);  // all of it matches but the name
  ::close(fd);
  EXPECT_EQ(ParseFillRecord(FormatFillRecord({id})), std::vector<FillIdentity>{id});
  // A line whose path hides a NUL or a "/" inside a name names nothing.
  for (const char* hidden : {"%00", "%2F"}) {
    std::string line = FormatFillRecord({id});
    line.insert(line.size() - 1, hidden);
    EXPECT_TRUE(ParseFillRecord(line).empty()) << hidden;
  }
  EXPECT_EQ(RemoveLeftoverFill(id), LeftoverFill::NotOurs);
  EXPECT_TRUE(Exists(dir / "mine/fill-00000000"));
}

// The fill's record is untrusted input, bounded as the report's: what is
// beyond the bounds is dropped whole, nothing it names touched; an entry for
// a disk away waits through eight starts; a reserve left lowered is put back
// by the administrator's next start, on that very file system only.
struct FillRecordCase {
  const char* name;
  int copies;                 // lines of the one entry, `padding` blanks after them
  std::size_t padding;
  bool other_fs, away;        // another file system's identity; its folder not there
  int starts;
  bool fill_stays, kept;
  const char* reserve_after;
};

class FillRecords : public ::testing::TestWithParam<FillRecordCase> {};

TEST_P(FillRecords, AreBoundedAndActedOnOnlyWithinTheirBounds) {
  const FillRecordCase& row = GetParam();
  TempDir dir, sys;
  FakeFillDisk disk(kMiB);
  disk.Ext4Reserve(16, sys / "reserved_clusters");
  FreeSpaceTarget target = PrepareFreeSpaceWipe(dir.path());
  ASSERT_EQ(target.identity.ext4_reserve, 16u);
  WriteFile(target.identity.path + "/fill-00000000", Bytes(10, 1));
  WriteText(sys / "reserved_clusters", "0\n");  // lowered when the program died
  FillIdentity id = target.identity;
  id.fs_id ^= row.other_fs ? 1 : 0;
  if (row.away) id.path += ".away/" + id.path.substr(id.path.rfind('/') + 1);
  MemoryRecord record;
  for (int i = 0; i < row.copies; ++i) record.text += FormatFillRecord({id});
  record.text += std::string(row.padding, ' ');
  for (int i = 0; i < row.starts; ++i) FillKeeper(record).RemoveLeftovers();
  id.waits = static_cast<unsigned>(row.starts);
  EXPECT_EQ(Exists(target.identity.path), row.fill_stays);
  EXPECT_EQ(record.text, row.kept ? FormatFillRecord({id}) : "");
  EXPECT_EQ(ReadText(sys / "reserved_clusters"), row.reserve_after);
}

INSTANTIATE_TEST_SUITE_P(Rows, FillRecords,
                         ::testing::Values(FillRecordCase{"OneEntry", 1, 0, false, false, 1, false, false, "16\n"},
                                           FillRecordCase{"NineEntries", 9, 0, false, false, 1, true, false, "0\n"},
                                           FillRecordCase{"Over64KiB", 1, 64 << 10, false, false, 1, true, false, "0\n"},
                                           FillRecordCase{"AnotherFileSystem", 1, 0, true, false, 1, false, false, "0\n"},
                                           FillRecordCase{"AwaySevenStarts", 1, 0, false, true, 7, true, true, "0\n"},
                                           FillRecordCase{"AwayEightStarts", 1, 0, false, true, 8, true, false, "0\n"}),
                         [](const auto& row_info) { return std::string(row_info.param.name); });

}  // namespace
}  // namespace velmora::testing
