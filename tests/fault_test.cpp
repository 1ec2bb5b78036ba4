// Faults during a run: a full disk part way through a write, a failing sync,
// a file that vanishes, a folder that appears. The run always ends, every
// other item is still shredded, nothing outside the list changes, and no
// descriptor is left open.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "shred/shred_run.h"
#include "support/fixed_host.h"
#include "support/loop_fs.h"
#include "support/temp_dir.h"
#include "support/tree_snapshot.h"

namespace velmora {
namespace {

using testing::Bytes;
using testing::Exists;
using testing::MakeDir;
using testing::ReadFile;
using testing::Snapshot;
using testing::TempDir;
using testing::WriteFile;

ShredRunResult RunWithChecks(const ShredList& list, bool folder_mode, const std::string& report_folder) {
  testing::FixedHost host;
  ShredOptions options;
  options.FolderMode = folder_mode;
  int fds = testing::OpenDescriptorCount();
  ShredRunResult result = RunShred(options, list, 5, report_folder + "/note.txt", host);
  EXPECT_EQ(testing::OpenDescriptorCount(), fds) << "descriptors leaked";
  return result;
}

TEST(Faults, FullDiskPartWayLeavesThatFileAndShredsTheOthers) {
  testing::LoopFs fs;
  if (std::string why = fs.Mount(8); !why.empty()) GTEST_SKIP() << "skipped: " << why;
  TempDir report;
  // Big enough to need no new block: its overwrite cannot run out of space.
  WriteFile(fs / "roomy", testing::RandomBytes(64 << 10, 1));
  // One byte that must grow to 26,440 at position 5.
  WriteFile(fs / "tiny", Bytes(1, 0x42));
  MakeDir(fs / "world");
  WriteFile(fs / "world/keep", testing::RandomBytes(3000, 2));
  // Fill the file system to the last block.
  std::string filler = fs / "filler";
  int fd = ::open(filler.c_str(), O_WRONLY | O_CREAT, 0644);
  std::vector<char> chunk(64 << 10, 'f');
  while (::write(fd, chunk.data(), chunk.size()) > 0) {
  }
  char one = 'f';
  while (::write(fd, &one, 1) > 0) {
  }
  ::close(fd);
  auto world = Snapshot(fs / "world");
  ShredRunResult r = RunWithChecks({{fs / "tiny", "tiny"}, {fs / "roomy", "roomy"}}, false, report.path());
  EXPECT_EQ(r.item_shredded, (std::vector<bool>{false, true}));
  EXPECT_TRUE(Exists(fs / "tiny"));
  EXPECT_FALSE(Exists(fs / "roomy"));
  EXPECT_EQ(Snapshot(fs / "world"), world);
}

TEST(Faults, FailingSyncKeepsThatFileAndTheRunGoesOn) {
  TempDir dir;
  WriteFile(dir / "a", Bytes(100, 1));
  WriteFile(dir / "b", Bytes(100, 2));
  static int syncs = 0;
  syncs = 0;
  SysCalls calls = Sys();
  calls.fdatasync = [](int fd) {
    if (++syncs == 1) {
      errno = EIO;
      return -1;
    }
    return ::fdatasync(fd);
  };
  ScopedSysCalls scope(calls);
  ShredRunResult r = RunWithChecks({{dir / "a", "a"}, {dir / "b", "b"}}, false, dir.path());
  EXPECT_EQ(r.item_shredded, (std::vector<bool>{false, true}));
  EXPECT_TRUE(Exists(dir / "a"));
  EXPECT_FALSE(Exists(dir / "b"));
}

// The next file of the list disappears while the first is being written.
TEST(Faults, FileThatVanishesDuringTheRunIsNoFailureAndLeavesNothing) {
  TempDir dir;
  WriteFile(dir / "a", Bytes(100, 1));
  WriteFile(dir / "b", Bytes(100, 2));
  WriteFile(dir / "c", Bytes(100, 3));
  static std::string victim;
  victim = dir / "b";
  SysCalls calls = Sys();
  calls.pwrite = [](int fd, const void* buf, size_t n, off_t at) {
    if (!victim.empty()) {
      ::unlink(victim.c_str());
      victim.clear();
    }
    return ::pwrite(fd, buf, n, at);
  };
  ScopedSysCalls scope(calls);
  ShredRunResult r = RunWithChecks({{dir / "a", "a"}, {dir / "b", "b"}, {dir / "c", "c"}}, false, dir.path());
  EXPECT_EQ(r.item_shredded, (std::vector<bool>{true, true, true}));
  for (const char* name : {"a", "b", "c"}) EXPECT_FALSE(Exists(dir / name));
}

TEST(Faults, FileThatVanishesInsideAFolderIsSkipped) {
  TempDir dir;
  MakeDir(dir / "t");
  for (const char* name : {"a", "b", "c", "d"}) WriteFile(dir / (std::string("t/") + name), Bytes(100, 1));
  static std::string folder;
  folder = dir / "t";
  SysCalls calls = Sys();
  calls.pwrite = [](int fd, const void* buf, size_t n, off_t at) {
    // Whichever file is written first, the others' fates vary: remove one
    // that may not have been reached yet.
    if (!folder.empty()) {
      ::unlink((folder + "/d").c_str());
      ::unlink((folder + "/a").c_str());
      folder.clear();
    }
    return ::pwrite(fd, buf, n, at);
  };
  ScopedSysCalls scope(calls);
  ShredRunResult r = RunWithChecks({{dir / "t", dir / "t"}}, true, dir.path());
  EXPECT_EQ(r.item_shredded, std::vector<bool>{true});
  EXPECT_FALSE(Exists(dir / "t"));
}

TEST(Faults, FolderThatAppearsDuringTheWalkIsNeverRemovedUnshredded) {
  TempDir dir;
  MakeDir(dir / "t");
  MakeDir(dir / "t/sub");
  WriteFile(dir / "t/a", Bytes(100, 1));
  WriteFile(dir / "t/sub/b", Bytes(100, 2));
  static std::string folder;
  folder = dir / "t";
  SysCalls calls = Sys();
  calls.pwrite = [](int fd, const void* buf, size_t n, off_t at) {
    if (!folder.empty()) {
      ::mkdir((folder + "/late").c_str(), 0755);
      WriteFile(folder + "/late/news", Bytes(77, 7));
      folder.clear();
    }
    return ::pwrite(fd, buf, n, at);
  };
  ScopedSysCalls scope(calls);
  ShredRunResult r = RunWithChecks({{dir / "t", dir / "t"}}, true, dir.path());
  // Whatever the walk made of the newcomer, the originals are gone and a
  // file that was not overwritten was not removed either.
  EXPECT_FALSE(Exists(dir / "t/a"));
  EXPECT_FALSE(Exists(dir / "t/sub"));
  if (Exists(dir / "t")) {
    EXPECT_EQ(r.item_shredded, std::vector<bool>{false});
    EXPECT_EQ(ReadFile(dir / "t/late/news"), Bytes(77, 7));
  }
}

}  // namespace
}  // namespace velmora
