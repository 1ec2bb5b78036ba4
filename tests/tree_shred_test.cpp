// SPDX-License-Identifier: GPL-3.0-or-later
#include "tree/tree_shred.h"

#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>

#include "engine/fill_block.h"
#include "support/capture.h"
#include "support/temp_dir.h"
#include "support/tree_snapshot.h"
#include "tree/work_pool.h"

namespace velmora::testing {
namespace {

bool StartsWithBlock(const Bytes& bytes, int n) {
  Bytes block = BuildFillBlock(n);
  return bytes.size() >= block.size() && std::equal(block.begin(), block.end(), bytes.begin());
}

TEST(ShredTree, EveryFileIsOverwrittenThenTheTreeIsGone) {
  TempDir dir;
  MakeDirs({dir / "t", dir / "t/a", dir / "t/a/b"});
  WriteFile(dir / "t/one", RandomBytes(100, 1));
  WriteFile(dir / "t/a/two", RandomBytes(9000, 2));
  WriteFile(dir / "t/a/b/three", RandomBytes(1, 3));
  WriteFile(dir / "t/a/b/empty", {});
  CaptureRemovals capture;
  TreeShredResult result = ShredTree(dir / "t", FillPattern(200));
  EXPECT_TRUE(result.folder_removed);
  EXPECT_EQ(result.files_overwritten, 4u);
  EXPECT_EQ(result.left_behind, 0u);
  EXPECT_FALSE(Exists(dir / "t"));
  ASSERT_EQ(capture.removed_files.size(), 4u);
  for (const Bytes& seen : capture.removed_files) EXPECT_TRUE(StartsWithBlock(seen, 200));
}

TEST(ShredTree, ReadOnlyFilesAndFoldersAreForcedAway) {
  TempDir dir;
  MakeDirs({dir / "t", dir / "t/ro"});
  WriteFile(dir / "t/ro/file", RandomBytes(500, 1), 0444);
  WriteFile(dir / "t/plain-ro", RandomBytes(500, 2), 0400);
  ::chmod((dir / "t/ro").c_str(), 0555);
  MakeDir(dir / "t/unreadable");
  WriteFile(dir / "t/unreadable/f", RandomBytes(50, 3));
  ::chmod((dir / "t/unreadable").c_str(), 0);
  CaptureRemovals capture;
  TreeShredResult result = ShredTree(dir / "t", FillPattern(0));
  EXPECT_TRUE(result.folder_removed);
  EXPECT_FALSE(Exists(dir / "t"));
  ASSERT_EQ(capture.removed_files.size(), 3u);
  for (const Bytes& seen : capture.removed_files) EXPECT_TRUE(StartsWithBlock(seen, 0));
}

TEST(ShredTree, LinksInsideAreRemovedButTheirTargetsOutsideAreUntouched) {
  TempDir dir;
  MakeDir(dir / "outside");
  Bytes kept = RandomBytes(4000, 7);
  WriteFile(dir / "outside/file", kept);
  WriteFile(dir / "outside/hard", kept);
  MakeDir(dir / "t");
  ASSERT_EQ(::symlink((dir / "outside/file").c_str(), (dir / "t/to-file").c_str()), 0);
  ASSERT_EQ(::symlink((dir / "outside").c_str(), (dir / "t/to-folder").c_str()), 0);
  ASSERT_EQ(::link((dir / "outside/hard").c_str(), (dir / "t/hardlink").c_str()), 0);
  ASSERT_EQ(::mkfifo((dir / "t/fifo").c_str(), 0600), 0);
  TreeShredResult result = ShredTree(dir / "t", FillPattern(200));
  EXPECT_TRUE(result.folder_removed);
  EXPECT_EQ(result.files_overwritten, 0u);
  EXPECT_FALSE(Exists(dir / "t"));
  EXPECT_EQ(ReadFile(dir / "outside/file"), kept);
  EXPECT_EQ(ReadFile(dir / "outside/hard"), kept);
  struct stat st;
  ASSERT_EQ(::stat((dir / "outside/hard").c_str(), &st), 0);
  EXPECT_EQ(st.st_nlink, 1u);
}

TEST(ShredTree, ListedFolderThatIsALinkIsLeftAlone) {
  TempDir dir;
  MakeDir(dir / "real");
  Bytes kept = RandomBytes(100, 1);
  WriteFile(dir / "real/f", kept);
  ASSERT_EQ(::symlink((dir / "real").c_str(), (dir / "link").c_str()), 0);
  TreeShredResult result = ShredTree(dir / "link", FillPattern(0));
  EXPECT_FALSE(result.folder_removed);
  EXPECT_TRUE(Exists(dir / "link"));
  EXPECT_EQ(ReadFile(dir / "real/f"), kept);
}

TEST(ShredTree, MissingFolderOrAFileIsNoFolder) {
  TempDir dir;
  EXPECT_FALSE(ShredTree(dir / "missing", FillPattern(0)).folder_removed);
  WriteFile(dir / "file", Bytes(3, 3));
  EXPECT_FALSE(ShredTree(dir / "file", FillPattern(0)).folder_removed);
  EXPECT_EQ(ReadFile(dir / "file"), Bytes(3, 3));
}

TEST(ShredTree, AFileThatCannotBeOverwrittenStaysWithItsFoldersAndTheRestGoes) {
  TempDir dir;
  MakeDirs({dir / "t", dir / "t/keep", dir / "t/go"});
  WriteFile(dir / "t/keep/stuck", Bytes(100, 1));
  WriteFile(dir / "t/go/fine", Bytes(100, 2));
  static std::string stuck_name = "stuck";
  SysCalls calls = Sys();
  calls.openat = [](int dirfd, const char* path, int flags, mode_t mode) {
    if (path == stuck_name && (flags & O_WRONLY)) return Fail(EBUSY);
    return ::openat(dirfd, path, flags, mode);
  };
  ScopedSysCalls scope(calls);
  int before = OpenDescriptorCount();
  TreeShredResult result = ShredTree(dir / "t", FillPattern(0));
  EXPECT_EQ(OpenDescriptorCount(), before);
  EXPECT_FALSE(result.folder_removed);
  EXPECT_EQ(ReadFile(dir / "t/keep/stuck"), Bytes(100, 1));
  EXPECT_FALSE(Exists(dir / "t/go"));
}

TEST(ShredTree, FailedFileSystemSyncRemovesNothing) {
  TempDir dir;
  MakeDir(dir / "t");
  WriteFile(dir / "t/f", Bytes(100, 2));
  SysCalls calls = Sys();
  calls.syncfs = [](int) { return Fail(EIO); };
  ScopedSysCalls scope(calls);
  EXPECT_FALSE(ShredTree(dir / "t", FillPattern(0)).folder_removed);
  ASSERT_TRUE(Exists(dir / "t/f"));
  EXPECT_TRUE(StartsWithBlock(ReadFile(dir / "t/f"), 0));
}

TEST(ShredTree, TreeDeeperThanPathMaxIsShreddedWithFewDescriptors) {
  TempDir dir;
  MakeDir(dir / "t");
  // 300 levels of 20-character names: about 6,300 bytes of path.
  int fd = ::open((dir / "t").c_str(), O_RDONLY | O_DIRECTORY);
  const std::string level(20, 'd');
  for (int i = 0; i < 300; ++i) {
    ASSERT_EQ(::mkdirat(fd, level.c_str(), 0755), 0);
    int next = ::openat(fd, level.c_str(), O_RDONLY | O_DIRECTORY);
    if (i % 50 == 0) {
      int f = ::openat(fd, "file", O_WRONLY | O_CREAT, 0644);
      ASSERT_EQ(::write(f, "secret", 6), 6);
      ::close(f);
    }
    ::close(fd);
    fd = next;
  }
  ::close(fd);
  int before = OpenDescriptorCount();
  TreeShredResult result = ShredTree(dir / "t", FillPattern(0));
  EXPECT_EQ(OpenDescriptorCount(), before);
  EXPECT_EQ(result.files_overwritten, 6u);
  EXPECT_TRUE(result.folder_removed);
  EXPECT_FALSE(Exists(dir / "t"));
}

// The pool of threads changes nothing but the time: the same tree shredded
// by one thread and by four (or 8, 16, 32, or with no thread to be had but
// the caller's) leaves the same bytes in every removed file, the same
// outcome, and the same things, under the same names, on the disk. So does a
// flat folder big enough to be shared out among the threads in chunks.
TEST(ShredTree, OneThreadAndFourGiveTheSameResult) {
  struct Run {
    TreeShredResult result;
    std::vector<Bytes> removed;
    TreeSnapshot left;
  };
  auto make_tree = [](const TempDir& dir) {
    for (int d = 0; d < 6; ++d) {
      std::string folder = dir / ("t/d" + std::to_string(d));
      MakeDirs({folder, folder + "/inner"});
      for (int f = 0; f < 5; ++f)
        WriteFile(folder + "/f" + std::to_string(f), RandomBytes(100 + 1500 * f, d * 10 + f), 0644);
      WriteFile(folder + "/inner/ro", RandomBytes(5000, d), 0400);
      ::symlink("../f0", (folder + "/inner/link").c_str());
      ::mkfifo((folder + "/fifo").c_str(), 0600);
    }
    ::link((dir / "t/d0/f1").c_str(), (dir / "t/d5/inner/pair").c_str());
    WriteFile(dir / "t/d3/inner/stuck", Bytes(10, 1));
  };
  // Three chunks and a bit, with every kind of entry among them.
  auto make_flat = [](const TempDir& dir) {
    for (int f = 0; f < 400; ++f)
      WriteFile(dir / ("t/f" + std::to_string(f)), RandomBytes(1 + 37 * f, f), f % 50 == 0 ? 0400 : 0644);
    for (int l = 0; l < 10; ++l) ::symlink("f0", (dir / ("t/l" + std::to_string(l))).c_str());
    ::mkfifo((dir / "t/fifo").c_str(), 0600);
    ::link((dir / "t/f7").c_str(), (dir / "t/pair").c_str());
    WriteFile(dir / "t/stuck", Bytes(10, 1));
  };
  auto shred_with = [&](unsigned threads, bool flat) {
    TempDir dir;
    MakeDir(dir / "t");
    flat ? make_flat(dir) : make_tree(dir);
    // One file that cannot be opened for writing stays, with its folders.
    SysCalls calls = Sys();
    calls.openat = [](int dirfd, const char* path, int flags, mode_t mode) {
      if ((flags & O_WRONLY) && std::string(path) == "stuck") return Fail(EACCES);
      return ::openat(dirfd, path, flags, mode);
    };
    ScopedSysCalls scope(calls);
    Run run;
    CaptureRemovals capture;
    TreeShredOptions options;
    options.threads = threads;
    run.result = ShredTree(dir / "t", FillPattern(100), NoRunControl(), options);
    run.removed = capture.removed_files;
    std::sort(run.removed.begin(), run.removed.end());
    run.left = Snapshot(dir / "t");
    return run;
  };
  const auto no_thread = [](std::function<void()>) -> std::thread {
    throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
  };
  for (const bool flat : {false, true}) {
    SCOPED_TRACE(flat ? "flat" : "tree");
    Run one = shred_with(1, flat);
    EXPECT_EQ(one.result.outcome, ItemOutcome::SomethingInsideKept);
    EXPECT_EQ(one.result.files_overwritten, flat ? 400u : 6u * 6);  // the pair counts once
    EXPECT_EQ(one.left.size(), flat ? 2u : 4u) << "t and stuck (and d3, d3/inner in the tree)";
    for (unsigned threads : {4u, 8u, 16u, 32u, 0u}) {
      std::optional<ScopedThreadStarter> starting;
      if (threads == 0) starting.emplace(no_thread);  // asks for the default, gets the caller's thread
      Run many = shred_with(threads, flat);
      EXPECT_EQ(many.result.outcome, one.result.outcome) << threads;
      EXPECT_EQ(many.result.files_overwritten, one.result.files_overwritten) << threads;
      EXPECT_EQ(many.removed, one.removed) << threads;
      EXPECT_EQ(many.left, one.left) << threads;
    }
  }
}

// A control that records what the shred tells of itself, from any thread.
class RecordingControl : public RunControl {
 public:
  std::function<bool()> stop = [] { return false; };
  bool StopRequested() override { return stop(); }
  void FolderProgress(const std::string& item, const FolderStatus& status) override {
    std::lock_guard<std::mutex> lock(mutex);
    items.push_back(item);
    statuses.push_back(status);
  }
  std::mutex mutex;
  std::vector<std::string> items;
  std::vector<FolderStatus> statuses;
};

// Stop while the files are overwritten: the files done so far go, the file
// in hand stays partly overwritten under its name and is named by its path
// inside the folder, the files not reached stay untouched with their
// folders. The root's own files go first, then its subfolders.
TEST(ShredTree, StopBetweenTwoWritesLeavesTheFileInHandPartlyOverwrittenAndTheRestUntouched) {
  TempDir dir;
  MakeDirs({dir / "t", dir / "t/sub", dir / "t/sub/deeper"});
  WriteFile(dir / "t/first", RandomBytes(3000, 1));
  const Bytes big = RandomBytes((4 << 20) + 7, 2);
  WriteFile(dir / "t/sub/big", big);
  WriteFile(dir / "t/sub/deeper/last", RandomBytes(3000, 3));
  static std::atomic<bool> big_begun{false};
  big_begun = false;
  SysCalls calls = Sys();
  calls.pwrite = [](int fd, const void* buf, size_t count, off_t offset) -> ssize_t {
    ssize_t done = ::pwrite(fd, buf, count, offset);
    if (offset == (1 << 20)) big_begun = true;  // the second chunk of "big"
    return done;
  };
  ScopedSysCalls scope(calls);
  RecordingControl control;
  control.stop = [] { return big_begun.load(); };
  TreeShredOptions options;
  options.threads = 1;
  CaptureRemovals capture;
  TreeShredResult result = ShredTree(dir / "t", FillPattern(200), control, options);
  EXPECT_EQ(result.outcome, ItemOutcome::StoppedBeforeFinished);
  EXPECT_EQ(result.partly_overwritten, std::vector<std::string>{"sub/big"});
  EXPECT_FALSE(Exists(dir / "t/first"));
  ASSERT_EQ(capture.removed_files.size(), 1u);
  EXPECT_TRUE(StartsWithBlock(capture.removed_files[0], 200));
  const Bytes now = ReadFile(dir / "t/sub/big");
  ASSERT_EQ(now.size(), big.size());
  const std::size_t written = 2 << 20;
  const Bytes cover = ExpectedCover(2, written);
  EXPECT_TRUE(std::equal(cover.begin(), cover.end(), now.begin()));
  EXPECT_TRUE(std::equal(now.begin() + written, now.end(), big.begin() + written));
  EXPECT_EQ(ReadFile(dir / "t/sub/deeper/last"), RandomBytes(3000, 3));
  // Stopped, it never says it removes: the window says it stops.
  for (const FolderStatus& status : control.statuses) EXPECT_NE(status.phase, FolderPhase::Removing);
}

// What the window shows of a folder shred: files counted as the syncs that
// pace the writeback return (one per batch, never one per file), the total
// once every folder is read, then the sync, then the removals counted up
// to every entry; Stop is off from the sync on.
TEST(ShredTree, TellsItsPhasesAndCountsAndPacesWithOneSyncPerBatch) {
  TempDir dir;
  MakeDirs({dir / "t", dir / "t/sub"});
  // Three files of 40 MiB, allocated but written only in the counting seam
  // below: more than one window, at no cost.
  for (std::string name : {"t/a", "t/b", "t/sub/c"}) {
    int fd = ::open((dir / name).c_str(), O_WRONLY | O_CREAT, 0644);
    ASSERT_GE(fd, 0);
    const int allocated = ::posix_fallocate(fd, 0, 40 << 20);
    ::close(fd);
    if (allocated != 0) GTEST_SKIP() << "skipped: no fallocate here";
  }
  WriteFile(dir / "t/sub/small", Bytes(10, 1));
  static std::atomic<int> syncs{0};
  syncs = 0;
  SysCalls calls = Sys();
  calls.pwrite = [](int, const void*, size_t count, off_t) { return static_cast<ssize_t>(count); };
  calls.syncfs = [](int fd) {
    ++syncs;
    return ::syncfs(fd);
  };
  ScopedSysCalls scope(calls);
  RecordingControl control;
  TreeShredOptions options;
  options.threads = 1;
  TreeShredResult result = ShredTree(dir / "t", FillPattern(200), control, options);
  ASSERT_EQ(result.outcome, ItemOutcome::Shredded);
  ASSERT_FALSE(control.statuses.empty());
  for (const std::string& item : control.items) EXPECT_EQ(item, dir / "t");

  // In order: overwriting, forcing, removing; never back.
  std::size_t forcing = 0, removing = 0;
  for (std::size_t i = 0; i < control.statuses.size(); ++i) {
    const FolderStatus& status = control.statuses[i];
    if (i > 0) {
      EXPECT_GE(status.phase, control.statuses[i - 1].phase);
    }
    if (status.phase == FolderPhase::Forcing && forcing == 0) forcing = i;
    if (status.phase == FolderPhase::Removing && removing == 0) removing = i;
    EXPECT_EQ(status.stoppable, status.phase == FolderPhase::Overwriting) << i;
  }
  ASSERT_GT(forcing, 0u);
  ASSERT_GT(removing, forcing);
  // A batch synced while overwriting counts its files; the total is there.
  bool counted = false, totalled = false;
  for (std::size_t i = 0; i < forcing; ++i) {
    const FolderStatus& status = control.statuses[i];
    EXPECT_LE(status.overwritten, status.done);
    if (status.total != 0) {
      EXPECT_EQ(status.total, 4u);
    }
    totalled |= status.total == 4;
    counted |= status.overwritten > 0;
  }
  EXPECT_TRUE(totalled);
  EXPECT_TRUE(counted) << "no batch synced while overwriting";
  // 120 MiB in batches of at most 64 MiB: one or two syncs of a batch, then
  // the shred's own, and the one before the folders go.
  EXPECT_GE(syncs, 3);
  EXPECT_LE(syncs, 4);
  // Four files, the subfolder and the folder itself.
  std::uint64_t last = 0;
  for (std::size_t i = removing; i < control.statuses.size(); ++i) {
    EXPECT_EQ(control.statuses[i].total, 6u);
    EXPECT_GE(control.statuses[i].done, last);
    last = control.statuses[i].done;
  }
  EXPECT_EQ(control.statuses[removing].done, 0u);
  EXPECT_EQ(last, 6u);
}

}  // namespace
}  // namespace velmora::testing
