// SPDX-License-Identifier: GPL-3.0-or-later
#include "run/shred_run.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>

#include "cli/cli_shred.h"
#include "engine/fill_block.h"
#include "engine/writeback_pacer.h"
#include "run/run_progress.h"
#include "support/capture.h"
#include "support/fake_system_files.h"
#include "support/fixed_host.h"
#include "support/report_in_folder.h"
#include "support/temp_dir.h"

namespace velmora::testing {
namespace {

const char* kHeader = "Velmora\r\n07/12/2026\r\n09:41\r\n\r\n";

// A run of `items` at pass-count `position`, its report written into `folder`.
ShredRunResult RunAt(const ShredOptions& options, int position, const ShredList& items, const std::string& folder,
                   ShredRunHost& host) {
  ReportInFolder keeper(folder);
  return RunShred(AtPosition(options, position), items, keeper, host);
}
ShredRunResult RunAt(const ShredOptions& options, int position, const ShredList& items, const std::string& folder) {
  FixedHost host;
  return RunAt(options, position, items, folder, host);
}

using ShredRun = InTempDir;

TEST_F(ShredRun, CaptionsAreExact) {
  ShredOptions options;
  EXPECT_EQ(FileModeCaption(options), "Velmora has shred the Ones and Zeros Technique and 3 Number of times");
  options.OverwriteWith = "Random Chars";
  options.OverwriteNoOfTimes = 10;
  EXPECT_EQ(FolderModeCaption(options),
            "Velmora has shred the File(s)/Folder with Random Chars Technique and 10 Number of times");
}

TEST_F(ShredRun, FileModeThreeFilesReportedThenShreddedInListOrder) {
  MakeDir(dir / "prog");
  ShredList items;
  for (std::string name : {"a", "b", "c"}) {
    WriteFile(dir / name, RandomBytes(2000, name[0]));
    items.push_back({dir / name, name});
  }
  FixedHost host;
  CaptureRemovals capture;
  ShredOptions options;
  ShredRunResult result = RunAt(options, 2, items, dir / "prog", host);
  EXPECT_EQ(FileModeCaption(AtPosition(options, 2)),
            "Velmora has shred the Ones and Zeros Technique and 3 Number of times");
  EXPECT_EQ(ItemsShredded(result), (std::vector<bool>{true, true, true}));
  for (std::string name : {"a", "b", "c"}) EXPECT_FALSE(Exists(dir / name));
  EXPECT_EQ(ReadText(dir / "prog/note.txt"), ShreddedReport("Ones and Zeros", 3, {dir / "a", dir / "b", dir / "c"}));
  EXPECT_EQ(host.calls, (std::vector<std::string>{"date", "time", "repaint"}));
  ASSERT_EQ(capture.removed_files.size(), 3u);
}

TEST_F(ShredRun, BareNameIsNeverShreddedInTheWorkingDirectory) {
  TempDir cwd;
  MakeDir(dir / "sub");
  WriteFile(dir / "sub/same", Bytes(10, 1));
  WriteFile(cwd / "same", Bytes(10, 2));
  char old[4096];
  ASSERT_NE(::getcwd(old, sizeof old), nullptr);
  ASSERT_EQ(::chdir(cwd.path().c_str()), 0);
  RunAt(ShredOptions{}, 0, {{dir / "sub/same", "same"}}, dir.path());
  ASSERT_EQ(::chdir(old), 0);
  EXPECT_FALSE(Exists(dir / "sub/same"));
  EXPECT_EQ(ReadFile(cwd / "same"), Bytes(10, 2));
}

TEST_F(ShredRun, UnopenableFileStaysAndTheOthersAreStillShredded) {
  WriteFile(dir / "a", Bytes(10, 1));
  WriteFile(dir / "ro", Bytes(10, 2), 0444);
  WriteFile(dir / "c", Bytes(10, 3));
  ShredRunResult result =
      RunAt(ShredOptions{}, 1, {{dir / "a", "a"}, {dir / "ro", "ro"}, {dir / "c", "c"}}, dir.path());
  EXPECT_EQ(ItemsShredded(result), (std::vector<bool>{true, false, true}));
  EXPECT_EQ(ReadFile(dir / "ro"), Bytes(10, 2));
  EXPECT_NE(ReadText(dir / "note.txt").find(dir / "ro"), std::string::npos);
}

// "Nothing was shredded" only where nothing went.
TEST_F(ShredRun, NothingShreddedOnlyWhereNothingWent) {
  using O = ItemOutcome;
  struct {
    std::vector<O> outcomes;
    std::vector<FilesLeft> files;
    bool nothing;
  } rows[] = {
      {{}, {}, false},  // an empty list
      {{O::ReadOnly, O::StoppedPartWay}, {{}, {}}, true},
      {{O::ReadOnly, O::Shredded}, {{}, {}}, false},
      {{O::StoppedAfterPasses}, {{}}, false},  // removed after fewer passes
      {{O::SomethingInsideKept}, {{0, 4}}, false},  // four files went, a mount stayed
      {{O::StoppedBeforeFinished}, {{40, 40}}, true},
  };
  for (const auto& row : rows) {
    ShredRunResult result;
    result.outcomes = row.outcomes;
    result.files_left = row.files;
    EXPECT_EQ(NothingShredded(result), row.nothing) << row.outcomes.size();
  }
}

// A position no pass count has (a hostile saved setting) shreds nothing.
TEST_F(ShredRun, NoSuchPassPositionTouchesNothing) {
  WriteFile(dir / "a", Bytes(100, 9));
  ShredRunResult result = RunAt(ShredOptions{}, 6, {{dir / "a", "a"}}, dir.path());
  EXPECT_EQ(result.outcomes, std::vector<ItemOutcome>{ItemOutcome::OpenFailed});
  EXPECT_EQ(ReadFile(dir / "a"), Bytes(100, 9));
}

TEST_F(ShredRun, FolderModeShredsEveryListedFolderInOrder) {
  MakeDirs({dir / "one", dir / "two"});
  WriteFile(dir / "one/x", Bytes(100, 1));
  WriteFile(dir / "two/y", Bytes(100, 2), 0444);
  ShredOptions options;
  options.FolderMode = true;
  options.OverwriteWith = "Random Chars";
  options.OverwriteNoOfTimes = 7;
  options.FolderToShred = dir / "two";
  CaptureRemovals capture;
  RunAt(options, 4, {{dir / "one", dir / "one"}, {dir / "two", dir / "two"}}, dir.path());
  EXPECT_EQ(FolderModeCaption(AtPosition(options, 4)),
            "Velmora has shred the File(s)/Folder with Random Chars Technique and 7 Number of times");
  EXPECT_FALSE(Exists(dir / "one"));
  EXPECT_FALSE(Exists(dir / "two"));
  ASSERT_EQ(capture.removed_files.size(), 2u);
  Bytes block = BuildFillBlock(400);
  for (const Bytes& seen : capture.removed_files)
    EXPECT_TRUE(std::equal(block.begin(), block.end(), seen.begin()));
  EXPECT_EQ(ReadText(dir / "note.txt"), ShreddedReport("Random Chars", 7, {dir / "one", dir / "two"}));
}

TEST_F(ShredRun, FolderModeWithAMissingFolderStillEndsWithTheCaption) {
  ShredOptions options;
  options.FolderMode = true;
  ShredRunResult result = RunAt(options, 2, {{dir / "gone", dir / "gone"}}, dir.path());
  EXPECT_EQ(ItemsShredded(result), (std::vector<bool>{false}));
}

TEST_F(ShredRun, ReportFailureDoesNotStopTheShred) {
  WriteFile(dir / "a", Bytes(10, 1));
  ShredRunResult result = RunAt(ShredOptions{}, 2, {{dir / "a", "a"}}, dir / "no/such");
  EXPECT_FALSE(result.report_written);
  EXPECT_FALSE(Exists(dir / "a"));
}

// A host that records what the run reports, and asks it to stop once
// `stop_after` reports past the start of an item have come in.
class WatchingHost : public FixedHost {
 public:
  struct Report {
    std::uint64_t done, planned;
    std::string item;
  };
  std::vector<Report> reports;
  int stop_after = -1;  // never
  int stop_questions = 0;

  bool StopRequested() override {
    ++stop_questions;
    return stop_after >= 0 && static_cast<int>(reports.size()) >= stop_after;
  }
  void Progress(std::uint64_t done, std::uint64_t planned, const std::string& item) override {
    reports.push_back({done, planned, item});
  }
};

std::uint64_t Planned(const std::string& path, std::size_t block) {
  struct stat st;
  EXPECT_EQ(::stat(path.c_str(), &st), 0);
  std::uint64_t length = std::max<std::uint64_t>(st.st_size, block);
  return (length + st.st_blksize - 1) / st.st_blksize * st.st_blksize;
}

using ShredRunProgress = InTempDir;

TEST_F(ShredRunProgress, FileModeReportsWithinEachFileUpToThePlannedBytes) {
  WriteFile(dir / "big", RandomBytes((3 << 20) + 5, 1));
  WriteFile(dir / "small", Bytes(10, 2));
  WriteFile(dir / "ro", Bytes(10, 3), 0444);
  const std::size_t block = FillBlockLength(200);
  const std::uint64_t big = Planned(dir / "big", block);
  // "3": the bar covers the three passes of every file.
  const std::uint64_t total = 3 * (big + Planned(dir / "small", block) + Planned(dir / "ro", block));
  WatchingHost host;
  RunAt(ShredOptions{}, 2, {{dir / "big", "big"}, {dir / "small", "small"}, {dir / "ro", "ro"}}, dir.path(), host);

  ASSERT_FALSE(host.reports.empty());
  std::vector<std::string> items;
  std::uint64_t last = 0;
  for (const auto& report : host.reports) {
    EXPECT_EQ(report.planned, total);
    EXPECT_GE(report.done, last);
    EXPECT_LE(report.done, total);
    last = report.done;
    if (items.empty() || items.back() != report.item) items.push_back(report.item);
  }
  EXPECT_EQ(items, (std::vector<std::string>{dir / "big", dir / "small", dir / "ro"}));
  (void)big;
  // The read-only file is left, but the bar still ends full.
  EXPECT_EQ(host.reports.back().done, total);
}

// What the device has acknowledged of the file in hand, as the calls through
// the seam tell it: the ranges waited for with sync_file_range, all of it
// once fdatasync returns. The writes themselves are only counted, so a
// large file costs no time.
struct DeviceLedger {
  static inline std::atomic<std::uint64_t> written{0}, acknowledged{0}, most_ahead{0}, left_to_force{0};
  static inline std::atomic<int> starts{0}, waits{0}, syncs{0};
  static SysCalls Calls() {
    written = acknowledged = most_ahead = left_to_force = 0;
    starts = waits = syncs = 0;
    SysCalls calls = Sys();
    calls.pwrite = [](int fd, const void* buf, size_t count, off_t offset) -> ssize_t {
      // The report, written first, is not the file in hand.
      if (IsReportFile(fd)) return ::pwrite(fd, buf, count, offset);
      // Before this write: how far the cache runs ahead of the device.
      most_ahead = std::max<std::uint64_t>(most_ahead, written - acknowledged);
      written += count;
      return static_cast<ssize_t>(count);
    };
    calls.sync_file_range = [](int, off_t offset, off_t nbytes, unsigned flags) {
      if (flags & SYNC_FILE_RANGE_WAIT_AFTER) {
        EXPECT_EQ(static_cast<std::uint64_t>(offset), acknowledged.load()) << "waited for in order";
        acknowledged = static_cast<std::uint64_t>(offset + nbytes);
        ++waits;
      } else {
        EXPECT_EQ(flags, static_cast<unsigned>(SYNC_FILE_RANGE_WRITE));
        ++starts;
      }
      return 0;
    };
    calls.fdatasync = [](int fd) {
      if (IsReportFile(fd)) return ::fdatasync(fd);
      left_to_force = std::max<std::uint64_t>(left_to_force, written - acknowledged);
      acknowledged = written.load();
      return 0;
    };
    return calls;
  }
  // The same device taking 4 MiB a second: the pacing's clock reads the
  // time it took to acknowledge what it has.
  static SysCalls Slow() {
    SysCalls calls = Calls();
    calls.clock_gettime = [](clockid_t, struct timespec* now) {
      const std::uint64_t ns = acknowledged.load() * 1000000000 / (4 << 20);
      *now = {static_cast<time_t>(ns / 1000000000), static_cast<long>(ns % 1000000000)};
      return 0;
    };
    calls.syncfs = [](int) {
      ++syncs;
      acknowledged = written.load();
      return 0;
    };
    return calls;
  }
};

// A file of `size` bytes allocated without writing them; false where the
// file system cannot.
bool Allocated(const std::string& path, off_t size) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT, 0644);
  const bool allocated = fd >= 0 && ::posix_fallocate(fd, 0, size) == 0;
  ::close(fd);
  return allocated;
}

// File mode on a 4 MiB/s device: the cache never runs more than the least
// window ahead (the device has not shown more), from the first write on, so
// a Stop leaves at most that window to force: about two seconds there.
// Folder mode: each paced sync counts more files overwritten, and the
// overwriting ends within a window of the Stop.
TEST(ShredRunStop, OnASlowDeviceStopLeavesAtMostOneWindowAndCountsMoveEveryWindow) {
  for (bool folder_mode : {false, true}) {
    TempDir dir;
    MakeDir(dir / "t");
    for (int i = 0; i < (folder_mode ? 40 : 1); ++i)
      if (!Allocated(dir / ("t/" + std::to_string(i)), folder_mode ? 4 << 20 : 48 << 20)) GTEST_SKIP() << "no fallocate";
    static std::atomic<std::uint64_t> stop_at{0}, syncs_at_stop{0}, counted_at_stop{0};
    stop_at = 0;
    struct SlowHost : WatchingHost {
      bool StopRequested() override {
        if (stop_at == 0 && DeviceLedger::written >= (20 << 20)) {
          syncs_at_stop = static_cast<std::uint64_t>(DeviceLedger::syncs.load());
          stop_at = DeviceLedger::written.load();
        }
        return stop_at != 0;
      }
      void FolderProgress(const std::string&, const FolderStatus& status) override {
        if (status.phase == FolderPhase::Overwriting && stop_at == 0) counted_at_stop = status.overwritten;
      }
    } host;
    ScopedSysCalls slow(DeviceLedger::Slow());
    ShredOptions options;
    options.FolderMode = folder_mode;
    const std::string item = folder_mode ? dir / "t" : dir / "t/0";
    const ShredRunResult result = RunAt(options, 0, {{item, item}}, dir.path(), host);
    EXPECT_EQ(result.outcomes[0], folder_mode ? ItemOutcome::StoppedBeforeFinished : ItemOutcome::StoppedPartWay);
    EXPECT_LE(DeviceLedger::most_ahead, kMinWritebackLead + kPassChunk) << folder_mode;
    EXPECT_LE(DeviceLedger::left_to_force, kMinWritebackLead + kPassChunk) << folder_mode;
    EXPECT_LE(DeviceLedger::written - stop_at, kMinWritebackLead + kPassChunk) << folder_mode;
    // Every paced sync covered at least one more file: never "0 of 40" while files go.
    EXPECT_TRUE(!folder_mode || counted_at_stop >= std::max<std::uint64_t>(syncs_at_stop, 2)) << counted_at_stop;
  }
}

// The bar counts what the device acknowledged, never what only reached the
// cache; the cache runs at most the window ahead of the device, so the final
// sync is short.
TEST_F(ShredRunProgress, FileModeBarNeverRunsAheadOfWhatTheDeviceAcknowledged) {
  const std::uint64_t size = std::uint64_t{200} << 20;
  if (!Allocated(dir / "big", static_cast<off_t>(size))) GTEST_SKIP() << "skipped: no fallocate here";
  struct LedgerHost : WatchingHost {
    void Progress(std::uint64_t done, std::uint64_t planned, const std::string& item) override {
      // Past the item's end the bar moves to its full share: acknowledged by then.
      EXPECT_LE(done, DeviceLedger::acknowledged.load()) << "the bar ran ahead of the device";
      WatchingHost::Progress(done, planned, item);
    }
  } host;
  ScopedSysCalls ledger(DeviceLedger::Calls());
  ShredRunResult result = RunAt(ShredOptions{}, 0, {{dir / "big", "big"}}, dir.path(), host);
  ASSERT_EQ(result.outcomes, std::vector<ItemOutcome>{ItemOutcome::Shredded});
  EXPECT_EQ(DeviceLedger::written, size);
  EXPECT_LE(DeviceLedger::most_ahead, kMaxWritebackLead);
  EXPECT_GE(DeviceLedger::most_ahead, kMaxWritebackLead / 2) << "the window is used, not one sync per write";
  // Started in batches and waited for in batches, not per write.
  EXPECT_GT(DeviceLedger::waits, 0);
  EXPECT_LE(DeviceLedger::starts, 200);
  bool inside = false;
  for (const auto& report : host.reports) inside |= report.done > 0 && report.done < size;
  EXPECT_TRUE(inside) << "no report while the file was written";
  EXPECT_EQ(host.reports.back().done, size);
}

// The window the cache may run ahead: a second of what the device has shown
// it takes, within 8 and 64 MiB; the least until it has shown anything.
TEST_F(ShredRunProgress, WritebackWindowIsASecondOfTheDevicesSpeedWithinItsBounds) {
  static std::chrono::steady_clock::time_point now;
  now = std::chrono::steady_clock::time_point{} + std::chrono::hours(1);
  const std::uint64_t MiB = 1 << 20;
  struct {
    std::uint64_t acknowledged;
    int milliseconds;
    std::uint64_t lead;
    int synced_ms = -1;  // the folder shred's syncs waited this long for it
  } rows[] = {
      {0, 1000, 8 * MiB},         // nothing shown yet: the least, so a slow device is not flooded
      {20 * MiB, 1000, 20 * MiB},  // a slow stick: one second of it
      {20 * MiB, 2000, 10 * MiB},
      {2 * MiB, 1000, 8 * MiB},    // never a wait per write
      {500 * MiB, 1000, 64 * MiB}, // a fast disk: the cap
      {20 * MiB, 1000, 40 * MiB, 500},  // the syncs' own speed, not the walk's
      {8 * MiB, 1000, 32 * MiB, 10},    // pages written back before the sync: four times the run's speed at most
      {8 * MiB, 2100, 8 * MiB, 2000},   // a slow device stays at the least
  };
  for (const auto& row : rows) {
    WritebackWindow window([] { return now; });
    if (row.synced_ms < 0)
      window.Acknowledged(row.acknowledged);
    else
      window.AcknowledgedIn(row.acknowledged, std::chrono::milliseconds(row.synced_ms));
    now += std::chrono::milliseconds(row.milliseconds);
    EXPECT_EQ(window.Lead(), row.lead) << row.acknowledged << " in " << row.milliseconds << " ms";
  }
}

TEST_F(ShredRunProgress, ReportsOnlyWhenTheThousandthChangesOrAnItemBeginsOrEnds) {
  WatchingHost host;
  FileRunProgress progress(host, {600000, 400000});
  progress.BeginItem(0, "a");
  for (int i = 0; i < 700000; ++i) progress.Written(1);  // more than planned
  progress.EndItem();
  progress.BeginItem(1, "b");
  for (int i = 0; i < 4000; ++i) progress.Written(100);
  progress.EndItem();
  // Each begin and end, and one report per thousandth in between.
  EXPECT_EQ(host.reports.size(), 1u + 600u + 1u + 1u + 400u + 1u);
  EXPECT_EQ(host.reports.front().done, 0u);
  EXPECT_EQ(host.reports[600].done, 600000u);  // "a" never past its share
  EXPECT_EQ(host.reports[600].item, "a");
  EXPECT_EQ(host.reports.back().done, 1000000u);
  EXPECT_EQ(host.reports.back().item, "b");
}

// Stop in the middle of a large file: the part written is overwritten and
// forced to the disk, the rest of it is untouched, it keeps its name; the
// files not reached are untouched. The report of what was done replaces the
// plan and names each with its reason, and the system's error where a call
// decided it.
TEST(ShredRunStop, FileModeStopsInsideTheFileInHandAndLeavesItPartlyOverwritten) {
  TempDir dir;
  const Bytes big = RandomBytes((5 << 20) + 123, 'a');
  WriteFile(dir / "a", big);
  ShredList items{{dir / "a", "a"}};
  for (std::string name : {"b", "c"}) {
    WriteFile(dir / name, RandomBytes(5000, name[0]));
    items.push_back({dir / name, name});
  }
  // Stop comes once the second chunk of "a" is written: the third never
  // starts.
  static std::atomic<bool> second_chunk{false};
  static std::atomic<int> syncs{0}, journal_zeroings{0};
  static std::string synced_path;
  second_chunk = false;
  syncs = journal_zeroings = 0;
  synced_path = dir / "a";
  struct SecondChunkHost : WatchingHost {
    bool StopRequested() override { return second_chunk.load(); }
  } host;
  SysCalls calls = Sys();
  calls.pwrite = [](int fd, const void* buf, size_t count, off_t offset) -> ssize_t {
    ssize_t done = ::pwrite(fd, buf, count, offset);
    if (offset == (1 << 20)) second_chunk = true;
    return done;
  };
  calls.fdatasync = [](int fd) {
    if (PathOfFd(fd) == synced_path) ++syncs;
    return ::fdatasync(fd);
  };
  calls.checkpoint_journal = [](int, unsigned flags) {
    if (flags != 0) ++journal_zeroings;
    return 0;
  };
  ScopedSysCalls counting(calls);
  CaptureRemovals capture;
  ReportsInMemory keeper;
  ShredRunResult result = RunShred(AtPosition(ShredOptions{}, 0), items, keeper, host);
  EXPECT_EQ(result.outcomes, (std::vector<ItemOutcome>{ItemOutcome::StoppedPartWay, ItemOutcome::StoppedBeforeReached,
                                                        ItemOutcome::StoppedBeforeReached}));
  EXPECT_TRUE(capture.removed_files.empty());
  ASSERT_TRUE(Exists(dir / "a"));
  const Bytes now = ReadFile(dir / "a");
  ASSERT_EQ(now.size(), big.size());
  const std::size_t written = 2 << 20;
  const Bytes cover = ExpectedCover(0, written);
  EXPECT_TRUE(std::equal(cover.begin(), cover.end(), now.begin())) << "the part written is the pattern";
  EXPECT_TRUE(std::equal(now.begin() + written, now.end(), big.begin() + written)) << "the rest is untouched";
  EXPECT_EQ(syncs, 1) << "the part written is forced to the disk";
  EXPECT_EQ(journal_zeroings, 0) << "no name went: the journal is not zeroed (seconds on a slow disk)";
  // Stopped, "a" is not done: the bar does not move past what the device has.
  EXPECT_LT(host.reports.back().done, Planned(dir / "a", FillBlockLength(0)));
  EXPECT_EQ(ReadFile(dir / "b"), RandomBytes(5000, 'b'));
  EXPECT_EQ(ReadFile(dir / "c"), RandomBytes(5000, 'c'));
  ASSERT_EQ(keeper.written.size(), 2u);
  EXPECT_EQ(keeper.written[1], std::string(kHeader) +
                                   "Technique Used: Ones and Zeros\r\nFiles Overwritten: 1 times\r\n\r\n"
                                   "Files Have Been Shredded Are: \r\n\r\n"
                                   "\r\nFiles Not Shredded Are: \r\n" + (dir / "a") +
                                   " (stopped part way: partly overwritten)\r\n" + (dir / "b") +
                                   " (stopped before it was reached)\r\n" + (dir / "c") +
                                   " (stopped before it was reached)\r\n");
}

// Stop while a folder's files are overwritten: the files overwritten so far
// go, the one in hand stays partly overwritten and is named, the files not
// reached stay untouched, and the next listed folder is not started.
TEST(ShredRunStop, FolderModeStopsInsideTheFileInHandAndKeepsTheRestInTheirFolders) {
  TempDir dir;
  MakeDirs({dir / "one", dir / "two"});
  const Bytes big = RandomBytes(3 << 20, 9);
  WriteFile(dir / "one/big", big);
  const std::vector<std::string> files = {"one/x", "one/y", "one/z"};
  for (std::size_t i = 0; i < files.size(); ++i)
    WriteFile(dir / files[i], RandomBytes(3000, static_cast<unsigned>(10 + i)));
  WriteFile(dir / "two/w", RandomBytes(3000, 20));
  ShredOptions options;
  options.FolderMode = true;
  // One folder is one task: its files go one after the other. The stop
  // comes once the first chunk of "big" is written (a small file is
  // written in one go).
  static std::atomic<bool> big_begun{false};
  big_begun = false;
  SysCalls calls = Sys();
  calls.pwrite = [](int fd, const void* buf, size_t count, off_t offset) -> ssize_t {
    ssize_t done = ::pwrite(fd, buf, count, offset);
    if (count == (1u << 20)) big_begun = true;
    return done;
  };
  calls.openat = [](int dirfd, const char* path, int flags, mode_t mode) {
    if (std::string_view(path) != "denied") return ::openat(dirfd, path, flags, mode);
    return Fail(EACCES);
  };
  ScopedSysCalls watching(calls);
  struct BigHost : WatchingHost {
    bool StopRequested() override { return big_begun.load(); }
  } host;
  CaptureRemovals capture;
  ReportsInMemory keeper;
  MakeDir(dir / "denied");
  ShredRunResult result = RunShred(
      AtPosition(options, 0),
      {{dir / "denied", dir / "denied"}, {dir / "one", dir / "one"}, {dir / "two", dir / "two"}}, keeper, host);
  EXPECT_EQ(result.outcomes, (std::vector<ItemOutcome>{ItemOutcome::OpenFailed, ItemOutcome::StoppedBeforeFinished,
                                                        ItemOutcome::StoppedBeforeReached}));
  EXPECT_EQ(result.partly_overwritten, (std::vector<PartlyOverwritten>{{1, dir / "one/big"}}));
  ASSERT_TRUE(Exists(dir / "one/big"));
  const Bytes now = ReadFile(dir / "one/big");
  ASSERT_EQ(now.size(), big.size());
  const std::size_t written = 1 << 20;  // the chunk at 0 only: the stop is asked before the next
  const Bytes cover = ExpectedCover(0, written);
  EXPECT_TRUE(std::equal(cover.begin(), cover.end(), now.begin()));
  EXPECT_TRUE(std::equal(now.begin() + written, now.end(), big.begin() + written));
  std::size_t gone = 0;
  for (std::size_t i = 0; i < files.size(); ++i) {
    if (Exists(dir / files[i]))
      EXPECT_EQ(ReadFile(dir / files[i]), RandomBytes(3000, static_cast<unsigned>(10 + i))) << files[i];
    else
      ++gone;
  }
  // What went was overwritten whole first.
  ASSERT_EQ(capture.removed_files.size(), gone);
  for (const Bytes& removed : capture.removed_files) EXPECT_EQ(removed, ExpectedCover(0, 3000));
  EXPECT_EQ(result.files_left, (std::vector<FilesLeft>{{0, 0}, {4 - gone, 4}, {0, 0}}));
  const std::string done = keeper.written.back();
  EXPECT_EQ(done.substr(done.find("Files Not Shredded")),
            "Files Not Shredded Are: \r\n" + (dir / "denied") + " (could not be opened: Permission denied)\r\n" +
                (dir / "one") + " (stopped before it was finished: " +
                std::to_string(4 - gone) + " of 4 files left)\r\n" + (dir / "one/big") +
                " (stopped part way: partly overwritten)\r\n" + (dir / "two") + " (stopped before it was reached)\r\n");
  EXPECT_EQ(ReadFile(dir / "two/w"), RandomBytes(3000, 20));
}

// Stop at "3" over a file of three writes a pass: in its first pass the file
// stays, partly overwritten; after a whole pass it goes, named with the
// passes it got, forced first. Folder mode the same, for a file inside.
struct StopAfterWrites : WatchingHost {
  static inline std::atomic<int> writes{0}, stop_after{0}, journal_zeroings{0};
  bool StopRequested() override { return writes >= stop_after; }
};

TEST(ShredRunStop, AfterAWholePassTheFileIsRemovedAndNamedWithItsPasses) {
  struct { int stop_after_writes, passes_done; } rows[] = {{2, 0}, {4, 1}, {7, 2}};  // 0: kept, part way
  for (bool folder_mode : {false, true}) {
    for (const auto& row : rows) {
      TempDir dir;
      MakeDir(dir / "t");
      WriteFile(dir / "t/f", RandomBytes(3 << 20, 5));
      StopAfterWrites host;
      host.writes = 0, host.stop_after = row.stop_after_writes, host.journal_zeroings = 0;
      SysCalls calls = Sys();
      calls.checkpoint_journal = [](int, unsigned flags) {
        StopAfterWrites::journal_zeroings += flags != 0;
        return 0;
      };
      calls.pwrite = [](int fd, const void* buf, size_t count, off_t offset) -> ssize_t {
        if (!IsReportFile(fd)) ++StopAfterWrites::writes;
        return ::pwrite(fd, buf, count, offset);
      };
      ScopedSysCalls counting(calls);
      ShredOptions options;
      options.FolderMode = folder_mode;
      const std::string item = folder_mode ? dir / "t" : dir / "t/f";
      const ShredRunResult result = RunAt(options, 2, {{item, item}}, dir.path(), host);
      const SCOPED_TRACE(std::to_string(folder_mode) + " " + std::to_string(row.stop_after_writes));
      EXPECT_EQ(Exists(dir / "t/f"), row.passes_done == 0);
      EXPECT_EQ(host.writes, row.stop_after_writes) << "no write after the stop";
      EXPECT_EQ(host.journal_zeroings, 0) << "a stopped run ends without seconds of journal zeroing";
      if (folder_mode) {
        EXPECT_EQ(result.outcomes[0], ItemOutcome::StoppedBeforeFinished);
        EXPECT_EQ(result.partly_overwritten, (std::vector<PartlyOverwritten>{{0, dir / "t/f", row.passes_done}}));
      } else {
        EXPECT_EQ(result.outcomes[0],
                  row.passes_done == 0 ? ItemOutcome::StoppedPartWay : ItemOutcome::StoppedAfterPasses);
        EXPECT_EQ(result.passes_done[0], row.passes_done);
      }
    }
  }
}

// From a terminal, on a disk that says it is flash: a line per path left,
// in the order given, the storage section once for the items shredded, and
// "shredded:" lines on standard output with --verbose only; a path given
// twice is one item.
TEST(ShredRunWithoutWindow, EachPathIsToldOnceOnItsStream) {
  TempDir dir;
  WriteFile(dir / "a", Bytes(100, 1));
  WriteFile(dir / "b", Bytes(100, 2));
  MakeDir(dir / "sub");
  struct statx x;
  ASSERT_EQ(::statx(AT_FDCWD, dir.path().c_str(), 0, STATX_MNT_ID, &x), 0);
  const std::string device = std::to_string(x.stx_dev_major) + ":" + std::to_string(x.stx_dev_minor);
  FakeSystemFiles sys;
  sys.Mount(x.stx_mnt_id, device, "ext4");
  sys.Disk(device, "vdz", /*rotational=*/false);
  ScopedSystemFiles scoped(sys);
  const ReasonTexts texts{[](ItemOutcome o, int, int) { return "(item " + std::to_string(static_cast<int>(o)) + ")"; },
                          [](StorageRisk r) { return "(risk " + std::to_string(static_cast<int>(r)) + ")"; },
                          "Old copies:"};
  for (bool verbose : {false, true}) {
    WriteFile(dir / "a", Bytes(100, 1));
    WriteFile(dir / "b", Bytes(100, 2));
    CliCommand command;
    command.verbose = verbose;
    command.paths = {dir / "a", dir / "sub", dir / "gone", dir / "b", dir / "a"};
    char *out = nullptr, *err = nullptr;
    std::size_t out_size = 0, err_size = 0;
    CliStreams streams{::open_memstream(&out, &out_size), ::open_memstream(&err, &err_size), [] { return false; }};
    EXPECT_EQ(RunCliShred(command, texts, streams), 1);
    std::fclose(streams.out);
    std::fclose(streams.err);
    EXPECT_EQ(std::string(out), verbose ? "shredded: " + (dir / "a") + "\nshredded: " + (dir / "b") + "\n" : "");
    EXPECT_EQ(std::string(err), (dir / "sub") + " (a folder: use --folders)\n" + (dir / "gone") + " (item 6)\n" +
                                    "Old copies:\n" + (dir / "a") + " (risk 1)\n" + (dir / "b") + " (risk 1)\n");
    std::free(out);
    std::free(err);
    EXPECT_FALSE(Exists(dir / "a"));
  }
}

}  // namespace
}  // namespace velmora::testing
