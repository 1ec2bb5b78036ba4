// SPDX-License-Identifier: GPL-3.0-or-later
// Races with someone else during a run: whatever is swapped in between our
// look at a name and what we do to it is never written, renamed or removed.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <utility>

#include "support/bind_mount.h"
#include "support/capture.h"
#include "support/checked_run.h"

namespace velmora::testing {
namespace {

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
      const bool report = IsReportName(path);
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
  Bytes decoy = RandomBytes(5000, 11);
  SysCalls calls = Sys();
  BindMounts mounts;
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
    if (rc == 0 && scrubbed.empty() && !IsReportName(from)) scrubbed = to;  // not the report's move
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
  calls = BeforeSyncfs(
      1,
      [this] {
        ::rename((dir / "listed/t").c_str(), (dir / "listed/moved").c_str());
        MakeDir(dir / "listed/t");
      },
      calls);
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
    std::string landed;
    calls = BeforeSyncfs(
        2,
        [this, &landed] {
          // Onto the name "a" has now, or where it was if it is gone already.
          landed = t + "/a";
          for (const auto& entry : std::filesystem::directory_iterator(t)) landed = entry.path().string();
          ::rename((dir / "world/fifo").c_str(), landed.c_str());
        },
        calls);
    EXPECT_EQ(Run(t, true).outcomes, std::vector<ItemOutcome>{outcome});
    ASSERT_FALSE(landed.empty());
    struct stat st;
    ASSERT_EQ(::lstat(landed.c_str(), &st), 0) << "the FIFO was removed";
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
    EXPECT_TRUE(Exists(t));
  }
}

}  // namespace
}  // namespace velmora::testing
