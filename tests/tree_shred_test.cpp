// SPDX-License-Identifier: GPL-3.0-or-later
#include "shred/tree_shred.h"

#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

#include "shred/fill_block.h"
#include "support/capture.h"
#include "support/temp_dir.h"
#include "support/tree_snapshot.h"

namespace velmora {
namespace {

using testing::Bytes;
using testing::CaptureRemovals;
using testing::Exists;
using testing::MakeDir;
using testing::ReadFile;
using testing::TempDir;
using testing::WriteFile;

bool StartsWithBlock(const Bytes& bytes, int n) {
  Bytes block = BuildFillBlock(n);
  return bytes.size() >= block.size() && std::equal(block.begin(), block.end(), bytes.begin());
}

TEST(ShredTree, EveryFileIsOverwrittenThenTheTreeIsGone) {
  TempDir dir;
  MakeDir(dir / "t");
  MakeDir(dir / "t/a");
  MakeDir(dir / "t/a/b");
  WriteFile(dir / "t/one", testing::RandomBytes(100, 1));
  WriteFile(dir / "t/a/two", testing::RandomBytes(9000, 2));
  WriteFile(dir / "t/a/b/three", testing::RandomBytes(1, 3));
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
  MakeDir(dir / "t");
  MakeDir(dir / "t/ro");
  WriteFile(dir / "t/ro/file", testing::RandomBytes(500, 1), 0444);
  WriteFile(dir / "t/plain-ro", testing::RandomBytes(500, 2), 0400);
  ::chmod((dir / "t/ro").c_str(), 0555);
  MakeDir(dir / "t/unreadable");
  WriteFile(dir / "t/unreadable/f", testing::RandomBytes(50, 3));
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
  Bytes kept = testing::RandomBytes(4000, 7);
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
  Bytes kept = testing::RandomBytes(100, 1);
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
  MakeDir(dir / "t");
  MakeDir(dir / "t/keep");
  MakeDir(dir / "t/go");
  WriteFile(dir / "t/keep/stuck", Bytes(100, 1));
  WriteFile(dir / "t/go/fine", Bytes(100, 2));
  static std::string stuck_name = "stuck";
  SysCalls calls = Sys();
  calls.openat = [](int dirfd, const char* path, int flags, mode_t mode) {
    if (path == stuck_name && (flags & O_WRONLY)) {
      errno = EBUSY;
      return -1;
    }
    return ::openat(dirfd, path, flags, mode);
  };
  ScopedSysCalls scope(calls);
  int before = testing::OpenDescriptorCount();
  TreeShredResult result = ShredTree(dir / "t", FillPattern(0));
  EXPECT_EQ(testing::OpenDescriptorCount(), before);
  EXPECT_FALSE(result.folder_removed);
  EXPECT_EQ(ReadFile(dir / "t/keep/stuck"), Bytes(100, 1));
  EXPECT_FALSE(Exists(dir / "t/go"));
}

TEST(ShredTree, FailedFileSystemSyncRemovesNothing) {
  TempDir dir;
  MakeDir(dir / "t");
  WriteFile(dir / "t/f", Bytes(100, 2));
  SysCalls calls = Sys();
  calls.syncfs = [](int) {
    errno = EIO;
    return -1;
  };
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
  int before = testing::OpenDescriptorCount();
  TreeShredResult result = ShredTree(dir / "t", FillPattern(0));
  EXPECT_EQ(testing::OpenDescriptorCount(), before);
  EXPECT_EQ(result.files_overwritten, 6u);
  EXPECT_TRUE(result.folder_removed);
  EXPECT_FALSE(Exists(dir / "t"));
}

// The pool of threads changes nothing but the time: the same tree shredded
// by one thread and by four leaves the same bytes in every removed file, the
// same outcome, and the same things, under the same names, on the disk.
TEST(ShredTree, OneThreadAndFourGiveTheSameResult) {
  struct Run {
    TreeShredResult result;
    std::vector<Bytes> removed;
    testing::TreeSnapshot left;
  };
  auto shred_with = [](unsigned threads) {
    TempDir dir;
    MakeDir(dir / "t");
    for (int d = 0; d < 6; ++d) {
      std::string folder = dir / ("t/d" + std::to_string(d));
      MakeDir(folder);
      MakeDir(folder + "/inner");
      for (int f = 0; f < 5; ++f)
        WriteFile(folder + "/f" + std::to_string(f), testing::RandomBytes(100 + 1500 * f, d * 10 + f), 0644);
      WriteFile(folder + "/inner/ro", testing::RandomBytes(5000, d), 0400);
      ::symlink("../f0", (folder + "/inner/link").c_str());
      ::mkfifo((folder + "/fifo").c_str(), 0600);
    }
    ::link((dir / "t/d0/f1").c_str(), (dir / "t/d5/inner/pair").c_str());
    // One file that cannot be opened for writing stays, with its folders.
    WriteFile(dir / "t/d3/inner/stuck", Bytes(10, 1));
    SysCalls calls = Sys();
    calls.openat = [](int dirfd, const char* path, int flags, mode_t mode) {
      if ((flags & O_WRONLY) && std::string(path) == "stuck") {
        errno = EACCES;
        return -1;
      }
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
    run.left = testing::Snapshot(dir / "t");
    return run;
  };
  Run one = shred_with(1), four = shred_with(4);
  EXPECT_EQ(one.result.outcome, ItemOutcome::SomethingInsideKept);
  EXPECT_EQ(four.result.outcome, one.result.outcome);
  EXPECT_EQ(four.result.files_overwritten, one.result.files_overwritten);
  EXPECT_EQ(one.result.files_overwritten, 6u * 6);  // the pair counts once
  EXPECT_EQ(four.removed, one.removed);
  EXPECT_EQ(four.left, one.left);
  EXPECT_EQ(one.left.size(), 4u) << "t, d3, d3/inner and d3/inner/stuck";
}

}  // namespace
}  // namespace velmora
