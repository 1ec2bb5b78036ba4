// SPDX-License-Identifier: GPL-3.0-or-later
// Faults of the disk and the system during a run: a full disk part way
// through a write, a failing sync, a file that vanishes, a folder that
// appears, memory that runs out. The run always ends, every other item is
// still shredded, nothing outside the list changes, and no descriptor is
// left open.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <filesystem>
#include <map>
#include <new>
#include <string>
#include <vector>

#include "support/capture.h"
#include "support/checked_run.h"
#include "support/forced_names.h"
#include "support/loop_fs.h"
#include "support/tree_snapshot.h"
#include "tree/tree_shred.h"

namespace velmora::testing {
namespace {

TEST(Faults, FullDiskPartWayLeavesThatFileAndShredsTheOthers) {
  LoopFs fs;
  if (std::string why = fs.Mount(8); !why.empty()) GTEST_SKIP() << "skipped: " << why;
  TempDir report;
  // Big enough to need no new block: its overwrite cannot run out of space.
  WriteFile(fs / "roomy", RandomBytes(64 << 10, 1));
  // One byte that must grow to 26,440 at position 5.
  WriteFile(fs / "tiny", Bytes(1, 0x42));
  MakeDir(fs / "world");
  WriteFile(fs / "world/keep", RandomBytes(3000, 2));
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
  EXPECT_EQ(ItemsShredded(r), (std::vector<bool>{false, true}));
  EXPECT_EQ(r.errors, (std::vector<int>{ENOSPC, 0}));
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
    // The report, written first through the same seam, is not the file that fails.
    if (!IsReportFile(fd) && ++syncs == 1) return Fail(EIO);
    return ::fdatasync(fd);
  };
  ScopedSysCalls scope(calls);
  ShredRunResult r = RunWithChecks({{dir / "a", "a"}, {dir / "b", "b"}}, false, dir.path());
  EXPECT_EQ(ItemsShredded(r), (std::vector<bool>{false, true}));
  EXPECT_EQ(r.errors, (std::vector<int>{EIO, 0}));
  EXPECT_TRUE(Exists(dir / "a"));
  EXPECT_FALSE(Exists(dir / "b"));
}

// The next file of the list disappears while the first is being written.
TEST(Faults, FileThatVanishesDuringTheRunIsNoFailureAndLeavesNothing) {
  TempDir dir;
  WriteFile(dir / "a", Bytes(100, 1));
  WriteFile(dir / "b", Bytes(100, 2));
  WriteFile(dir / "c", Bytes(100, 3));
  const std::string victim = dir / "b";
  ScopedSysCalls scope(BeforeFirstWrite([victim] { ::unlink(victim.c_str()); }));
  ShredRunResult r = RunWithChecks({{dir / "a", "a"}, {dir / "b", "b"}, {dir / "c", "c"}}, false, dir.path());
  EXPECT_EQ(ItemsShredded(r), (std::vector<bool>{true, true, true}));
  for (const char* name : {"a", "b", "c"}) EXPECT_FALSE(Exists(dir / name));
}

TEST(Faults, FileThatVanishesInsideAFolderIsSkipped) {
  // A small folder, and one big enough to be shared out in chunks, where
  // files vanish from several of them.
  for (int files : {4, 400}) {
    TempDir dir;
    MakeDir(dir / "t");
    for (int f = 0; f < files; ++f) WriteFile(dir / ("t/f" + std::to_string(f)), Bytes(100, 1));
    const std::vector<std::string> vanishing =
        files == 4 ? std::vector<std::string>{"f0", "f3"}
                   : std::vector<std::string>{"f0", "f3", "f131", "f132", "f260", "f399"};
    const std::string folder = dir / "t";
    // Whichever file is written first, the others' fates vary: remove some
    // that may not have been reached yet. Writes come from several threads.
    ScopedSysCalls scope(BeforeFirstWrite([&] {
      for (const std::string& name : vanishing) ::unlink((folder + "/" + name).c_str());
    }));
    ShredRunResult r = RunWithChecks({{dir / "t", dir / "t"}}, true, dir.path());
    EXPECT_EQ(ItemsShredded(r), std::vector<bool>{true}) << files;
    EXPECT_FALSE(Exists(dir / "t")) << files;
  }
}

// Removed by someone else after its overwrite, before its removal: nothing
// is left of it, so nothing stays for it.
TEST(Faults, FileRemovedInsideAFolderDuringTheSyncIsNoFailure) {
  TempDir dir;
  MakeDir(dir / "t");
  WriteFile(dir / "t/a", Bytes(100, 1));
  WriteFile(dir / "t/b", Bytes(100, 2));
  const std::string victim = dir / "t/b";
  ScopedSysCalls scope(BeforeSyncfs(1, [victim] { ::unlink(victim.c_str()); }));
  EXPECT_EQ(ItemsShredded(RunWithChecks({{dir / "t", dir / "t"}}, true, dir.path())), std::vector<bool>{true});
  EXPECT_FALSE(Exists(dir / "t"));
}

TEST(Faults, FolderThatAppearsDuringTheWalkIsNeverRemovedUnshredded) {
  TempDir dir;
  MakeDirs({dir / "t", dir / "t/sub"});
  WriteFile(dir / "t/a", Bytes(100, 1));
  WriteFile(dir / "t/sub/b", Bytes(100, 2));
  const std::string folder = dir / "t";
  ScopedSysCalls scope(BeforeFirstWrite([folder] {
    ::mkdir((folder + "/late").c_str(), 0755);
    WriteFile(folder + "/late/news", Bytes(77, 7));
  }));
  ShredRunResult r = RunWithChecks({{dir / "t", dir / "t"}}, true, dir.path());
  // Whatever the walk made of the newcomer, the originals are gone and a
  // file that was not overwritten was not removed either.
  EXPECT_FALSE(Exists(dir / "t/a"));
  EXPECT_FALSE(Exists(dir / "t/sub"));
  if (Exists(dir / "t")) {
    EXPECT_EQ(ItemsShredded(r), std::vector<bool>{false});
    EXPECT_EQ(ReadFile(dir / "t/late/news"), Bytes(77, 7));
  }
}

// Indexers and thumbnailers hold a file open for a moment: a lease refused
// a few times, then granted, is no reason to leave the file.
TEST(Faults, FileOpenElsewhereForAMomentIsShredded) {
  TempDir dir;
  WriteFile(dir / "f", Bytes(100, 1));
  static int refusals;
  refusals = 3;
  SysCalls calls = Sys();
  calls.setlease = [](int fd, int type) {
    if (refusals-- > 0) return Fail(EAGAIN);
    return ::fcntl(fd, F_SETLEASE, type);
  };
  ScopedSysCalls scope(calls);
  EXPECT_EQ(ItemsShredded(RunWithChecks({{dir / "f", "f"}}, false, dir.path())), std::vector<bool>{true});
  EXPECT_FALSE(Exists(dir / "f"));
}

// The listed folder cannot be opened (here: no descriptor left): it stays,
// and the reason is that, not some other.
TEST(Faults, ListedFolderThatCannotBeOpenedIsSaidSo) {
  TempDir dir;
  MakeDir(dir / "t");
  WriteFile(dir / "t/a", Bytes(100, 1));
  SysCalls calls = Sys();
  calls.openat = [](int dirfd, const char* path, int flags, mode_t mode) {
    if ((flags & O_DIRECTORY) && std::string(path) == "t") return Fail(EMFILE);
    return ::openat(dirfd, path, flags, mode);
  };
  ScopedSysCalls scope(calls);
  const ShredRunResult r = RunWithChecks({{dir / "t", dir / "t"}}, true, dir.path());
  EXPECT_EQ(r.outcomes, std::vector<ItemOutcome>{ItemOutcome::OpenFailed});
  EXPECT_EQ(r.errors, std::vector<int>{EMFILE});
  EXPECT_EQ(ReadFile(dir / "t/a"), Bytes(100, 1));
}

// A folder's mode, extended attributes and ACL, as `ls -l` and getfattr
// would show them.
std::string FolderMetadata(const std::string& path) {
  struct stat st;
  if (::lstat(path.c_str(), &st) != 0) return "missing";
  std::string out = "mode " + std::to_string(st.st_mode & 07777);
  std::string names(4096, '\0');
  const ssize_t size = ::llistxattr(path.c_str(), names.data(), names.size());
  names.resize(size > 0 ? static_cast<std::size_t>(size) : 0);
  std::vector<std::string> sorted;
  for (std::size_t at = 0; at < names.size(); at = names.find('\0', at) + 1) sorted.emplace_back(names.c_str() + at);
  std::sort(sorted.begin(), sorted.end());
  for (const std::string& name : sorted) {
    std::string value(4096, '\0');
    const ssize_t n = ::lgetxattr(path.c_str(), name.c_str(), value.data(), value.size());
    out += "; " + name + "=" + value.substr(0, n > 0 ? static_cast<std::size_t>(n) : 0);
  }
  return out;
}

// Gives `path` the attribute user.note and an ACL entry for nobody; false
// where the file system has neither.
bool GiveNoteAndAcl(const std::string& path) {
  // The kernel's form of "user::rwx user:nobody:r-x group::r-x mask::r-x other::---".
  struct Entry {
    std::uint16_t tag, perm;
    std::uint32_t id;
  };
  struct {
    std::uint32_t version = 2;
    Entry entries[5] = {{0x01, 7, ~0u}, {0x02, 5, 65534}, {0x04, 5, ~0u}, {0x10, 5, ~0u}, {0x20, 0, ~0u}};
  } acl;
  return ::setxattr(path.c_str(), "user.note", "hello", 5, 0) == 0 &&
         ::setxattr(path.c_str(), "system.posix_acl_access", &acl, sizeof acl, 0) == 0;
}

// Asks to stop from the first question inside the folder on (the run asks
// once before it).
class StopInside : public FixedHost {
 public:
  bool StopRequested() override { return ++questions_ > 1; }

 private:
  std::atomic<int> questions_{0};
};

// A folder the run leaves behind keeps what it had: the mode the walk
// widened to empty it, its attributes and its ACL, however the run ended.
// One row per way a run ends with folders still there.
TEST(Faults, FoldersThatStayKeepTheirModesAttributesAndAcl) {
  enum class Fault { Stop, FailingSync, SubfolderNotRemoved, ListedFolderNotRemoved };
  const std::pair<const char*, Fault> rows[] = {
      {"stopped before the first file", Fault::Stop},
      {"the sync failed", Fault::FailingSync},
      {"a subfolder could not be removed", Fault::SubfolderNotRemoved},
      {"the listed folder could not be removed", Fault::ListedFolderNotRemoved}};
  for (const auto& [how, fault] : rows) {
    SCOPED_TRACE(how);
    TempDir dir;
    MakeDirs({dir / "t", dir / "t/sub"});
    WriteFile(dir / "t/sub/f", Bytes(100, 1));
    if (!GiveNoteAndAcl(dir / "t/sub") || !GiveNoteAndAcl(dir / "t"))
      GTEST_SKIP() << "skipped: no user attributes or ACLs here";
    ::chmod((dir / "t/sub").c_str(), 0500);
    const std::string before[] = {FolderMetadata(dir / "t"), FolderMetadata(dir / "t/sub")};
    // The folder whose entries fail to go: the listed folder's parent, or the
    // listed folder itself.
    static struct stat failing_in;
    ASSERT_EQ(::stat((fault == Fault::ListedFolderNotRemoved ? dir.path() : dir / "t").c_str(), &failing_in), 0);
    SysCalls calls = Sys();
    if (fault == Fault::FailingSync) calls.syncfs = [](int) { return Fail(EIO); };
    if (fault == Fault::SubfolderNotRemoved || fault == Fault::ListedFolderNotRemoved)
      calls.unlinkat = [](int dirfd, const char* path, int flags) {
        struct stat in;
        if ((flags & AT_REMOVEDIR) && ::fstat(dirfd, &in) == 0 && in.st_ino == failing_in.st_ino) return Fail(EIO);
        return ::unlinkat(dirfd, path, flags);
      };
    ScopedSysCalls scope(calls);
    StopInside stopping;
    FixedHost going_on;
    ShredOptions options;
    options.FolderMode = true;
    ReportInFolder keeper(dir.path());
    RunShred(AtPosition(options, 2), {{dir / "t", dir / "t"}}, keeper,
             fault == Fault::Stop ? static_cast<ShredRunHost&>(stopping) : going_on);
    EXPECT_EQ(FolderMetadata(dir / "t"), before[0]);
    if (fault != Fault::ListedFolderNotRemoved) {
      EXPECT_EQ(FolderMetadata(dir / "t/sub"), before[1]);
    }
  }
}

// Out of memory in the middle of a folder shred (a task of the walk's pool
// throws): the shred of that folder ends as a Stop ends it. What was not
// overwritten stays, under its own name and with its own bytes; what stays
// after its overwrite keeps its own name too; no descriptor stays open, not
// even those of the tasks dropped undone; the folder is never reported as
// shredded.
class OutOfMemory : public ::testing::Test {
 protected:
  OutOfMemory() {
    MakeDir(dir / "t");
    // A flat folder of several chunks, so the pool shares it out, and
    // folders still waiting for a thread when the failure comes.
    for (int f = 0; f < 300; ++f) Add("f" + std::to_string(f), f);
    for (int d = 0; d < 20; ++d) {
      MakeDir(dir / ("t/d" + std::to_string(d)));
      for (int f = 0; f < 3; ++f) Add("d" + std::to_string(d) + "/f" + std::to_string(f), 1000 + d * 10 + f);
    }
  }
  void Add(const std::string& name, int seed) {
    written[name] = RandomBytes(200, seed);
    WriteFile(dir / ("t/" + name), written[name]);
  }
  TreeShredResult Shred(unsigned threads, TreeNamesChoice names = HowTreeNamesGo) {
    TreeShredOptions options;
    options.threads = threads;
    options.tree_names = names;
    int fds = OpenDescriptorCount();
    TreeShredResult result = ShredTree(dir / "t", FillPattern(500), NoRunControl(), options);
    EXPECT_EQ(OpenDescriptorCount(), fds) << "descriptors leaked";
    return result;
  }
  // Every file left in the tree, checked to hold one of its own names.
  std::vector<std::string> Left() {
    std::vector<std::string> left;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(dir / "t")) {
      if (entry.is_directory()) continue;
      left.push_back(std::filesystem::relative(entry.path(), dir / "t"));
      EXPECT_TRUE(written.count(left.back())) << left.back() << " is not a name it had";
    }
    return left;
  }
  TempDir dir;
  std::map<std::string, Bytes> written;
};

TEST_F(OutOfMemory, DuringTheOverwriteWhatWasNotOverwrittenStaysAsItWas) {
  static std::atomic<bool> thrown;
  SysCalls calls = Sys();
  calls.openat = [](int dirfd, const char* path, int flags, mode_t mode) {
    if ((flags & O_WRONLY) && !thrown.exchange(true)) throw std::bad_alloc();
    return ::openat(dirfd, path, flags, mode);
  };
  ScopedSysCalls scope(calls);
  for (unsigned threads : {1u, 4u}) {
    thrown = false;
    TreeShredResult result = Shred(threads);
    EXPECT_EQ(result.outcome, ItemOutcome::SomethingInsideKept) << threads;
    EXPECT_FALSE(result.folder_removed);
    const std::vector<std::string> left = Left();
    EXPECT_FALSE(left.empty());
    // An overwritten file is removed, as after a Stop: whatever is left was
    // never written to.
    for (const std::string& name : left) EXPECT_EQ(ReadFile(dir / ("t/" + name)), written[name]) << name;
  }
}

TEST_F(OutOfMemory, DuringTheRemovalWhatIsLeftHasItsOwnName) {
  static std::atomic<int> unlinks;
  unlinks = 0;
  SysCalls calls = Sys();
  calls.unlinkat = [](int dirfd, const char* path, int flags) {
    if (flags == 0 && ++unlinks == 5) throw std::bad_alloc();
    return ::unlinkat(dirfd, path, flags);
  };
  ScopedSysCalls scope(calls);
  // Every entry is renamed first: each that stays must get its name back.
  TreeShredResult result = Shred(4, NamesRenamedEach);
  EXPECT_EQ(result.outcome, ItemOutcome::SomethingInsideKept);
  EXPECT_GE(result.left_behind, 1u);
  const std::vector<std::string> left = Left();
  EXPECT_FALSE(left.empty());
  for (const std::string& name : left) EXPECT_EQ(ReadFile(dir / ("t/" + name)), ExpectedCover(5, 200)) << name;
}

}  // namespace
}  // namespace velmora::testing
