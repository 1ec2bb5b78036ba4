// SPDX-License-Identifier: GPL-3.0-or-later
// Faults during a run: a full disk part way through a write, a failing sync,
// a file that vanishes, a folder that appears. The run always ends, every
// other item is still shredded, nothing outside the list changes, and no
// descriptor is left open.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/utsname.h>
#include <sys/xattr.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <map>
#include <new>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "freespace/free_space_leftover.h"
#include "run/shred_run.h"
#include "support/bind_mount.h"
#include "support/capture.h"
#include "support/fake_fill_disk.h"
#include "support/fixed_host.h"
#include "support/forced_names.h"
#include "support/loop_fs.h"
#include "support/memory_record.h"
#include "support/report_in_folder.h"
#include "support/temp_dir.h"
#include "support/tree_snapshot.h"
#include "tree/tree_shred.h"

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
  testing::ReportInFolder keeper(report_folder);
  int fds = testing::OpenDescriptorCount();
  ShredRunResult result = RunShred(options, list, 5, keeper, host);
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
    // The report, written first through the same seam, is not the file that fails.
    if (!testing::IsReportFile(fd) && ++syncs == 1) {
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
  // A small folder, and one big enough to be shared out in chunks, where
  // files vanish from several of them.
  static std::vector<std::string> vanishing;
  for (int files : {4, 400}) {
    TempDir dir;
    MakeDir(dir / "t");
    for (int f = 0; f < files; ++f) WriteFile(dir / ("t/f" + std::to_string(f)), Bytes(100, 1));
    vanishing = files == 4 ? std::vector<std::string>{"f0", "f3"}
                           : std::vector<std::string>{"f0", "f3", "f131", "f132", "f260", "f399"};
    static std::string folder;
    static std::atomic<bool> done;
    folder = dir / "t";
    done = false;
    SysCalls calls = Sys();
    calls.pwrite = [](int fd, const void* buf, size_t n, off_t at) {
      // Whichever file is written first, the others' fates vary: remove some
      // that may not have been reached yet. Writes come from several threads.
      if (!done.exchange(true))
        for (const std::string& name : vanishing) ::unlink((folder + "/" + name).c_str());
      return ::pwrite(fd, buf, n, at);
    };
    ScopedSysCalls scope(calls);
    ShredRunResult r = RunWithChecks({{dir / "t", dir / "t"}}, true, dir.path());
    EXPECT_EQ(r.item_shredded, std::vector<bool>{true}) << files;
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
  static std::string victim;
  victim = dir / "t/b";
  SysCalls calls = Sys();
  calls.syncfs = [](int fd) {
    ::unlink(victim.c_str());
    return ::syncfs(fd);
  };
  ScopedSysCalls scope(calls);
  EXPECT_EQ(RunWithChecks({{dir / "t", dir / "t"}}, true, dir.path()).item_shredded, std::vector<bool>{true});
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

// Indexers and thumbnailers hold a file open for a moment: a lease refused
// a few times, then granted, is no reason to leave the file.
TEST(Faults, FileOpenElsewhereForAMomentIsShredded) {
  TempDir dir;
  WriteFile(dir / "f", Bytes(100, 1));
  static int refusals;
  refusals = 3;
  SysCalls calls = Sys();
  calls.setlease = [](int fd, int type) {
    if (refusals-- > 0) {
      errno = EAGAIN;
      return -1;
    }
    return ::fcntl(fd, F_SETLEASE, type);
  };
  ScopedSysCalls scope(calls);
  EXPECT_EQ(RunWithChecks({{dir / "f", "f"}}, false, dir.path()).item_shredded, std::vector<bool>{true});
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
    if ((flags & O_DIRECTORY) && std::string(path) == "t") {
      errno = EMFILE;
      return -1;
    }
    return ::openat(dirfd, path, flags, mode);
  };
  ScopedSysCalls scope(calls);
  EXPECT_EQ(RunWithChecks({{dir / "t", dir / "t"}}, true, dir.path()).outcomes,
            std::vector<ItemOutcome>{ItemOutcome::OpenFailed});
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
class StopInside : public testing::FixedHost {
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
  const std::pair<const char*, Fault> rows[] = {{"stopped before the first file", Fault::Stop},
                                                {"the sync failed", Fault::FailingSync},
                                                {"a subfolder could not be removed", Fault::SubfolderNotRemoved},
                                                {"the listed folder could not be removed", Fault::ListedFolderNotRemoved}};
  for (const auto& [how, fault] : rows) {
    SCOPED_TRACE(how);
    TempDir dir;
    MakeDir(dir / "t");
    MakeDir(dir / "t/sub");
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
    if (fault == Fault::FailingSync)
      calls.syncfs = [](int) {
        errno = EIO;
        return -1;
      };
    if (fault == Fault::SubfolderNotRemoved || fault == Fault::ListedFolderNotRemoved)
      calls.unlinkat = [](int dirfd, const char* path, int flags) {
        struct stat in;
        if ((flags & AT_REMOVEDIR) && ::fstat(dirfd, &in) == 0 && in.st_ino == failing_in.st_ino) {
          errno = EIO;
          return -1;
        }
        return ::unlinkat(dirfd, path, flags);
      };
    ScopedSysCalls scope(calls);
    StopInside stopping;
    testing::FixedHost going_on;
    ShredOptions options;
    options.FolderMode = true;
    testing::ReportInFolder keeper(dir.path());
    RunShred(options, {{dir / "t", dir / "t"}}, 2, keeper,
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
    written[name] = testing::RandomBytes(200, seed);
    WriteFile(dir / ("t/" + name), written[name]);
  }
  TreeShredResult Shred(unsigned threads, TreeNamesChoice names = HowTreeNamesGo) {
    TreeShredOptions options;
    options.threads = threads;
    options.tree_names = names;
    int fds = testing::OpenDescriptorCount();
    TreeShredResult result = ShredTree(dir / "t", FillPattern(500), NoRunControl(), options);
    EXPECT_EQ(testing::OpenDescriptorCount(), fds) << "descriptors leaked";
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
  TreeShredResult result = Shred(4, testing::NamesRenamedEach);
  EXPECT_EQ(result.outcome, ItemOutcome::SomethingInsideKept);
  EXPECT_GE(result.left_behind, 1u);
  const std::vector<std::string> left = Left();
  EXPECT_FALSE(left.empty());
  for (const std::string& name : left) EXPECT_EQ(ReadFile(dir / ("t/" + name)), testing::ExpectedCover(5, 200)) << name;
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
      const bool report = testing::IsReportName(path);
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

// In file mode another program that opens the file after its overwrite
// waits until the name is gone (asked not to wait, it is told to come back).
TEST_F(Races, ProgramOpeningTheFileBeforeItsRemovalWaitsUntilTheNameIsGone) {
  WriteFile(dir / "listed/f", Bytes(100, 1));
  static int refused_with;
  static bool asked;
  refused_with = 0;
  asked = false;
  calls.unlinkat = [](int dirfd, const char* path, int flags) {
    if (!std::exchange(asked, true)) {
      const int other = ::openat(dirfd, path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
      refused_with = other < 0 ? errno : 0;
      if (other >= 0) ::close(other);
    }
    return ::unlinkat(dirfd, path, flags);
  };
  EXPECT_EQ(Run(dir / "listed/f", false).outcomes, std::vector<ItemOutcome>{ItemOutcome::Shredded});
  EXPECT_TRUE(asked);
  EXPECT_EQ(refused_with, EWOULDBLOCK);
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
  calls.rename_noreplace = [](int from_dir, const char* from, int to_dir, const char* to) {
    int rc = ::renameat2(from_dir, from, to_dir, to, RENAME_NOREPLACE);
    if (rc == 0 && scrubbed.empty() && !testing::IsReportName(from)) scrubbed = to;  // not the report's move
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

// ---- Free-space wipe -----------------------------------------------------

// A RunControl whose Stop is pressed at its nth question (0: never).
class StopAt : public RunControl {
 public:
  explicit StopAt(int nth) : nth_(nth) {}
  bool StopRequested() override { return nth_ > 0 && ++asked_ >= nth_; }

 private:
  int nth_, asked_ = 0;
};

bool HoldsFillFolder(const std::string& folder) {
  for (const auto& entry : std::filesystem::directory_iterator(folder))
    if (IsFillFolderName(entry.path().filename().string())) return true;
  return false;
}

constexpr std::uint64_t kMiB = 1 << 20;

struct FreeSpaceFault {
  const char* name;
  std::uint64_t capacity;
  std::function<void(testing::FakeFillDisk&)> arrange;
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
  WriteFile(dir / "world/keep", testing::RandomBytes(3000, 2));
  WriteFile(dir / "beside", testing::RandomBytes(100, 3));
  auto before = Snapshot(dir.path());
  const int fds = testing::OpenDescriptorCount();
  FreeSpaceResult result;
  std::uint64_t ext4_reserve_before = 0, ext4_reserve_after = 0;
  {
    testing::FakeFillDisk disk(row.capacity);
    if (row.arrange) row.arrange(disk);
    FreeSpaceTarget target = PrepareFreeSpaceWipe(dir.path());
    ASSERT_EQ(target.refusal, FreeSpaceRefusal::None);
    StopAt control(row.stop_at);
    ext4_reserve_before = disk.ext4_reserve_now();
    result = WipeFreeSpace(target, control, {.privileged = row.privileged});
    ext4_reserve_after = disk.ext4_reserve_now();
  }
  EXPECT_EQ(testing::OpenDescriptorCount(), fds) << "descriptors leaked";
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
    ::testing::Values(
        FreeSpaceFault{"NoSpaceAtTheFirstWrite", 0, nullptr, 0, true, FreeSpaceEnd::Wiped, 0, 0},
        FreeSpaceFault{"FullPartWayThroughTheFirstFile", 3 * kMiB + 5000, nullptr, 0, true, FreeSpaceEnd::Wiped,
                       3 * kMiB + 5000, 0},
        FreeSpaceFault{"WriteErrorInTheMiddle", 8 * kMiB, [](auto& d) { d.FailWriteAfter(2 * kMiB); }, 0, true,
                       FreeSpaceEnd::WriteFailed, 0, 0},
        FreeSpaceFault{"FailedSync", kMiB, [](auto& d) { d.FailSync(); }, 0, true, FreeSpaceEnd::SyncFailed, 0, 0},
        FreeSpaceFault{"StopBeforeTheFirstFile", 3 * kMiB, nullptr, 1, true, FreeSpaceEnd::Stopped, 0, 0},
        FreeSpaceFault{"StopInTheMiddleOfAFile", 3 * kMiB, nullptr, 3, true, FreeSpaceEnd::Stopped, 0, 0},
        // The 1 GiB file asks five times (before it and each MiB), then
        // finds the disk full: Stop before the first smaller file.
        FreeSpaceFault{"StopAtTheSmallerFiles", 3 * kMiB + 5000, nullptr, 6, true, FreeSpaceEnd::Stopped,
                       3 * kMiB + 5000, 0},
        FreeSpaceFault{"OrdinaryUserDoesNotReachTheReserve", kMiB, [](auto& d) { d.Reserve(64 << 10); }, 0, false,
                       FreeSpaceEnd::ReservedNotReached, kMiB, 0},
        FreeSpaceFault{"WhatTheFileSystemHoldsBackIsSaid", kMiB, [](auto& d) { d.Reserve(64 << 10); }, 0, true,
                       FreeSpaceEnd::Wiped, kMiB, 64 << 10},
        // ext4's own reserve is filled too, by the administrator only, and
        // put back however the fill ends.
        FreeSpaceFault{"TheAdministratorFillsExt4sReserve", kMiB, [](auto& d) { d.Ext4Reserve(16); }, 0, true,
                       FreeSpaceEnd::Wiped, kMiB + (64 << 10), 0},
        FreeSpaceFault{"WriteErrorInExt4sReserve", kMiB,
                       [](auto& d) {
                         d.Ext4Reserve(16);
                         d.FailWriteAfter(kMiB + 8192);
                       },
                       0, true, FreeSpaceEnd::WriteFailed, kMiB, 0},
        FreeSpaceFault{"OrdinaryUserLeavesExt4sReserve", kMiB, [](auto& d) { d.Ext4Reserve(16); }, 0, false,
                       FreeSpaceEnd::Wiped, kMiB, 0},
        // Btrfs: a folder opened before the fill was written lists none of it.
        FreeSpaceFault{"AListingThatHidesNewEntries", 3 * kMiB + 5000, [](auto& d) { d.HideNewEntries(); }, 0, true,
                       FreeSpaceEnd::Wiped, 3 * kMiB + 5000, 0}),
    [](const auto& row_info) { return std::string(row_info.param.name); });

// A session killed at any step of the fill leaves a fill (a full disk) that
// the next start removes, through the identity recorded before the first
// byte; and nothing else.
class FreeSpaceKilled : public ::testing::TestWithParam<const char*> {};

TEST_P(FreeSpaceKilled, TheNextStartRemovesTheFillAndNothingElse) {
  TempDir dir;
  MakeDir(dir / "world");
  WriteFile(dir / "world/keep", testing::RandomBytes(3000, 2));
  auto before = Snapshot(dir.path());
  TempDir sys;  // ext4's reserve file, outside the folder
  const std::string reserve = sys / "reserved_clusters";
  testing::MemoryRecord record;
  FillKeeper keeper(record);
  {
    FreeSpaceTarget target = PrepareFreeSpaceWipe(dir.path());
    ASSERT_EQ(target.refusal, FreeSpaceRefusal::None);
    keeper.Remember(target.identity);
    static std::string kill_at;
    kill_at = GetParam();
    pid_t child = ::fork();
    if (child == 0) {
      testing::FakeFillDisk disk(3 * kMiB + 5000);
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
  for (int i = 0; i < 1000 && testing::ReadText(reserve) != "16\n"; ++i) ::usleep(10000);
  EXPECT_EQ(testing::ReadText(reserve), "16\n");
  // The next start.
  FillKeeper next(record);
  EXPECT_TRUE(next.RemoveLeftovers());
  EXPECT_EQ(record.text, "");
  EXPECT_FALSE(HoldsFillFolder(dir.path()));
  EXPECT_EQ(Snapshot(dir.path()), before);
}

INSTANTIATE_TEST_SUITE_P(EveryStep, FreeSpaceKilled,
                         ::testing::Values(testing::FakeFillDisk::kWrite, testing::FakeFillDisk::kSync,
                                           "lowered", testing::FakeFillDisk::kRemove,
                                           testing::FakeFillDisk::kSyncFs));

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
    WriteFile(fill + "/fill-00000000", testing::RandomBytes(100, 1));
  }
  const std::string kept = GetParam().change(dir / "in", fill);
  auto before = Snapshot(kept);
  EXPECT_EQ(RemoveLeftoverFill(id), GetParam().outcome);
  EXPECT_EQ(Snapshot(kept), before);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, FreeSpaceLeftovers,
    ::testing::Values(
        LeftoverCase{"FolderMadeAnewUnderItsName",
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
                       ::rename((old + fill.substr(parent.size())).c_str(), fill.c_str());
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
                     LeftoverFill::Kept}),
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
  testing::FakeFillDisk disk(kMiB);
  disk.Ext4Reserve(16, sys / "reserved_clusters");
  FreeSpaceTarget target = PrepareFreeSpaceWipe(dir.path());
  ASSERT_EQ(target.identity.ext4_reserve, 16u);
  WriteFile(target.identity.path + "/fill-00000000", Bytes(10, 1));
  testing::WriteText(sys / "reserved_clusters", "0\n");  // lowered when the program died
  FillIdentity id = target.identity;
  id.fs_id ^= row.other_fs ? 1 : 0;
  if (row.away) id.path += ".away/" + id.path.substr(id.path.rfind('/') + 1);
  testing::MemoryRecord record;
  for (int i = 0; i < row.copies; ++i) record.text += FormatFillRecord({id});
  record.text += std::string(row.padding, ' ');
  for (int i = 0; i < row.starts; ++i) FillKeeper(record).RemoveLeftovers();
  id.waits = static_cast<unsigned>(row.starts);
  EXPECT_EQ(Exists(target.identity.path), row.fill_stays);
  EXPECT_EQ(record.text, row.kept ? FormatFillRecord({id}) : "");
  EXPECT_EQ(testing::ReadText(sys / "reserved_clusters"), row.reserve_after);
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
}  // namespace velmora
