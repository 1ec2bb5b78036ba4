// SPDX-License-Identifier: GPL-3.0-or-later
// Faults during a run: a full disk part way through a write, a failing sync,
// a file that vanishes, a folder that appears. The run always ends, every
// other item is still shredded, nothing outside the list changes, and no
// descriptor is left open.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string_view>
#include <utility>

#include "shred/shred_run.h"
#include "support/bind_mount.h"
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
  static std::atomic<bool> done;
  folder = dir / "t";
  done = false;
  SysCalls calls = Sys();
  calls.pwrite = [](int fd, const void* buf, size_t n, off_t at) {
    // Whichever file is written first, the others' fates vary: remove one
    // that may not have been reached yet. Writes come from several threads.
    if (!done.exchange(true)) {
      ::unlink((folder + "/d").c_str());
      ::unlink((folder + "/a").c_str());
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
  static std::atomic<bool> done;
  folder = dir / "t";
  done = false;
  SysCalls calls = Sys();
  calls.pwrite = [](int fd, const void* buf, size_t n, off_t at) {
    if (!done.exchange(true)) {
      ::mkdir((folder + "/late").c_str(), 0755);
      WriteFile(folder + "/late/news", Bytes(77, 7));
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

// Swaps by someone else between our look at a name and what we do to it.
// Each row makes one swap through the system-call seam at the worst moment;
// whatever was swapped in is never written, renamed or removed, and the item
// is not reported as shredded.
class Races : public ::testing::Test {
 protected:
  Races() {
    MakeDir(dir / "world");
    WriteFile(dir / "world/decoy", decoy);
    MakeDir(dir / "listed");
    Hook() = nullptr;
    calls.openat = [](int dirfd, const char* path, int flags, mode_t mode) {
      // The report, written first through the same seam, is not the file raced for.
      const bool report = std::string_view(path).ends_with("/note.txt");
      if ((flags & O_WRONLY) && !report && Hook()) std::exchange(Hook(), nullptr)(path);
      return ::openat(dirfd, path, flags, mode);
    };
  }
  // Runs once, at the moment the hooked call is made, with its name.
  static std::function<void(const char*)>& Hook() {
    static std::function<void(const char*)> hook;
    return hook;
  }
  ShredRunResult Run(const std::string& path, bool folder_mode) {
    ScopedSysCalls scope(calls);
    return RunWithChecks({{path, path}}, folder_mode, dir.path());
  }

  TempDir dir;
  Bytes decoy = testing::RandomBytes(5000, 11);
  SysCalls calls = Sys();
  testing::BindMounts mounts;
};

TEST_F(Races, RegularFileSwappedInBetweenTheLookAndTheOpenIsNotWritten) {
  WriteFile(dir / "listed/f", Bytes(100, 1));
  Hook() = [this](const char*) { ::rename((dir / "world/decoy").c_str(), (dir / "listed/f").c_str()); };
  EXPECT_EQ(Run(dir / "listed/f", false).outcomes, std::vector<ItemOutcome>{ItemOutcome::Changed});
  EXPECT_EQ(ReadFile(dir / "listed/f"), decoy);
}

TEST_F(Races, FileMountedOverTheNameBetweenTheLookAndTheOpenIsNotWritten) {
  WriteFile(dir / "listed/f", Bytes(100, 1));
  std::string why;
  Hook() = [&](const char*) { why = mounts.Bind(dir / "world/decoy", dir / "listed/f"); };
  ShredRunResult r = Run(dir / "listed/f", false);
  if (!why.empty()) GTEST_SKIP() << "skipped: " << why;
  EXPECT_EQ(r.outcomes, std::vector<ItemOutcome>{ItemOutcome::MountPoint});
  EXPECT_EQ(ReadFile(dir / "world/decoy"), decoy);
}

TEST_F(Races, FileRenamedOntoTheScrubNameBeforeTheRemovalIsKept) {
  WriteFile(dir / "listed/f", Bytes(100, 1));
  static std::string scrubbed;
  static std::function<void()> swap;
  scrubbed.clear();
  swap = [this] { ::rename((dir / "world/decoy").c_str(), (dir / "listed/" + scrubbed).c_str()); };
  calls.renameat = [](int from_dir, const char* from, int to_dir, const char* to) {
    int rc = ::renameat2(from_dir, from, to_dir, to, RENAME_NOREPLACE);
    if (rc == 0 && scrubbed.empty()) scrubbed = to;
    return rc;
  };
  calls.fsync = [](int fd) {
    if (!scrubbed.empty() && swap) std::exchange(swap, nullptr)();
    return ::fsync(fd);
  };
  EXPECT_EQ(Run(dir / "listed/f", false).outcomes, std::vector<ItemOutcome>{ItemOutcome::RemoveFailed});
  ASSERT_FALSE(scrubbed.empty());
  EXPECT_EQ(ReadFile(dir / "listed/" + scrubbed), decoy);
}

TEST_F(Races, FolderExchangedOntoTheListedNameDuringTheRunIsNotRemoved) {
  MakeDir(dir / "listed/t");
  WriteFile(dir / "listed/t/a", Bytes(100, 1));
  static std::function<void()> swap;
  swap = [this] {
    ::rename((dir / "listed/t").c_str(), (dir / "listed/moved").c_str());
    MakeDir(dir / "listed/t");
  };
  calls.syncfs = [](int fd) {
    if (swap) std::exchange(swap, nullptr)();
    return ::syncfs(fd);
  };
  EXPECT_EQ(Run(dir / "listed/t", true).outcomes, std::vector<ItemOutcome>{ItemOutcome::RemoveFailed});
  EXPECT_TRUE(Exists(dir / "listed/t"));
  EXPECT_FALSE(Exists(dir / "listed/moved/a"));
}

// On a kernel that zeroes removed names the entries go before the second
// sync; on an older one they are renamed before it. Either way, what lands
// in the folder during that sync stays, and so does the folder: as something
// it keeps when the landing took a name it knew, as a folder that could not
// be removed when it took one already gone.
TEST_F(Races, SpecialFileRenamedOntoAScrubNameDuringTheSyncIsKept) {
  const std::pair<const char*, ItemOutcome> rows[] = {{"5.10.0", ItemOutcome::SomethingInsideKept},
                                                      {"6.18.0", ItemOutcome::RemoveFailed}};
  for (auto [kernel, outcome] : rows) {
    SCOPED_TRACE(kernel);
    static std::string t;
    t = dir / (std::string("listed/") + kernel);
    MakeDir(t);
    WriteFile(t + "/a", Bytes(100, 1));
    ASSERT_EQ(::mkfifo((dir / "world/fifo").c_str(), 0600), 0);
    static const char* release;
    release = kernel;
    calls.uname = [](struct utsname* out) {
      int rc = ::uname(out);
      std::snprintf(out->release, sizeof out->release, "%s", release);
      return rc;
    };
    static std::function<void()> swap;
    static int syncs;
    syncs = 0;
    static std::string landed;
    landed.clear();
    swap = [this] {
      // Onto the name "a" has now, or where it was if it is gone already.
      landed = t + "/a";
      for (const auto& entry : std::filesystem::directory_iterator(t)) landed = entry.path().string();
      ::rename((dir / "world/fifo").c_str(), landed.c_str());
    };
    calls.syncfs = [](int fd) {
      if (++syncs == 2 && swap) std::exchange(swap, nullptr)();
      return ::syncfs(fd);
    };
    EXPECT_EQ(Run(t, true).outcomes, std::vector<ItemOutcome>{outcome});
    ASSERT_FALSE(landed.empty());
    struct stat st;
    ASSERT_EQ(::lstat(landed.c_str(), &st), 0) << "the FIFO was removed";
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
    EXPECT_TRUE(Exists(t));
  }
}

}  // namespace
}  // namespace velmora
