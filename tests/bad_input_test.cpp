// SPDX-License-Identifier: GPL-3.0-or-later
// Bad input: links, special files, odd names, odd permissions, a file swapped
// for a link after listing. Each case checks the outcome and that nothing
// outside what was listed changed byte for byte.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include "engine/fill_block.h"
#include "run/shred_run.h"
#include "support/bind_mount.h"
#include "support/capture.h"
#include "support/fixed_host.h"
#include "support/report_in_folder.h"
#include "support/temp_dir.h"
#include "support/tree_snapshot.h"

namespace velmora::testing {
namespace {

class BadInput : public ::testing::Test {
 protected:
  BadInput() {
    MakeDirs({dir / "world", dir / "world/folder"});
    WriteFile(dir / "world/file", RandomBytes(5000, 1));
    WriteFile(dir / "world/folder/inner", RandomBytes(700, 2));
    MakeDir(dir / "listed");
  }

  std::vector<bool> Files(const std::vector<std::string>& paths) { return Run(paths, false); }
  std::vector<bool> Folders(const std::vector<std::string>& paths) { return Run(paths, true); }

  std::vector<bool> Run(const std::vector<std::string>& paths, bool folder_mode) {
    world_before = Snapshot(dir / "world");
    ShredList list;
    for (const std::string& p : paths) list.push_back({p, p});
    ShredOptions options;
    options.FolderMode = folder_mode;
    int fds = OpenDescriptorCount();
    ShredRunResult result = RunShred(AtPosition(options, 2), list, keeper, host);
    EXPECT_EQ(OpenDescriptorCount(), fds) << "descriptors leaked";
    outcomes = result.outcomes;
    kept = result.kept_inside;
    return ItemsShredded(result);
  }

  void ExpectWorldUnchanged() { EXPECT_EQ(Snapshot(dir / "world"), world_before); }

  TempDir dir;
  TempDir report;
  ReportInFolder keeper{report.path()};
  FixedHost host;
  TreeSnapshot world_before;
  std::vector<ItemOutcome> outcomes;  // of the last run
  std::vector<KeptInside> kept;       // of the last run
  BindMounts mounts;
};

#define BIND_OR_SKIP(source, target) \
  if (std::string why = mounts.Bind(source, target); !why.empty()) GTEST_SKIP() << "skipped: " << why

// Another mount inside a listed folder is never entered, written, renamed or
// removed, from the same file system or another; the folders above it stay
// with their own names.
TEST_F(BadInput, FolderOfTheSameFileSystemMountedInsideIsNeverEntered) {
  MakeDirs({dir / "listed/t", dir / "listed/t/sub", dir / "listed/t/sub/bound"});
  WriteFile(dir / "listed/t/mine", Bytes(100, 1));
  // A folder mounted onto itself: same inode, but a mount all the same.
  MakeDir(dir / "listed/t/self");
  WriteFile(dir / "listed/t/self/kept", Bytes(100, 2));
  ASSERT_EQ(::mkfifo((dir / "listed/t/self/fifo").c_str(), 0600), 0);
  BIND_OR_SKIP(dir / "world", dir / "listed/t/sub/bound");
  BIND_OR_SKIP(dir / "listed/t/self", dir / "listed/t/self");
  ::chmod((dir / "listed/t/self").c_str(), 0555);
  EXPECT_EQ(Folders({dir / "listed/t"}), std::vector<bool>{false});
  EXPECT_EQ(outcomes, std::vector<ItemOutcome>{ItemOutcome::SomethingInsideKept});
  EXPECT_EQ(kept, (std::vector<KeptInside>{{0, dir / "listed/t/self", ItemOutcome::MountPoint, 0},
                                           {0, dir / "listed/t/sub/bound", ItemOutcome::MountPoint, 0}}));
  ExpectWorldUnchanged();
  EXPECT_TRUE(Exists(dir / "listed/t/sub/bound/file"));
  EXPECT_EQ(ReadFile(dir / "listed/t/self/kept"), Bytes(100, 2));
  EXPECT_TRUE(Exists(dir / "listed/t/self/fifo"));
  struct stat self;
  ASSERT_EQ(::stat((dir / "listed/t/self").c_str(), &self), 0);
  EXPECT_EQ(self.st_mode & 07777, 0555u) << "a mounted folder's mode was changed";
  EXPECT_FALSE(Exists(dir / "listed/t/mine"));
}

TEST_F(BadInput, FileMountedInsideAFolderOrOnTheListIsNeverWritten) {
  MakeDir(dir / "listed/t");
  WriteFile(dir / "listed/t/bound", {});
  WriteFile(dir / "listed/bound", {});
  // Read-only, so that forcing it writable would show as well.
  ::chmod((dir / "world/file").c_str(), 0444);
  BIND_OR_SKIP(dir / "world/file", dir / "listed/t/bound");
  BIND_OR_SKIP(dir / "world/folder/inner", dir / "listed/bound");
  EXPECT_EQ(Folders({dir / "listed/t"}), std::vector<bool>{false});
  EXPECT_EQ(kept, (std::vector<KeptInside>{{0, dir / "listed/t/bound", ItemOutcome::MountPoint, 0}}));
  ExpectWorldUnchanged();
  EXPECT_EQ(Files({dir / "listed/bound"}), std::vector<bool>{false});
  EXPECT_EQ(outcomes, std::vector<ItemOutcome>{ItemOutcome::MountPoint});
  ExpectWorldUnchanged();
  EXPECT_TRUE(Exists(dir / "listed/t/bound"));
}

TEST_F(BadInput, ListedFolderThatBecameAMountRootAfterListingIsLeftUntouched) {
  MakeDir(dir / "listed/empty");
  BIND_OR_SKIP(dir / "world", dir / "listed/empty");
  EXPECT_EQ(Folders({dir / "listed/empty"}), std::vector<bool>{false});
  EXPECT_EQ(outcomes, std::vector<ItemOutcome>{ItemOutcome::MountPoint});
  ExpectWorldUnchanged();
}

// Two names of one file, both inside the folder: the data is the user's
// alone, whatever name comes first, and none of it survives.
TEST_F(BadInput, HardLinkPairInsideAFolderIsOverwrittenThenBothNamesGo) {
  MakeDirs({dir / "listed/t", dir / "listed/t/deep"});
  WriteFile(dir / "listed/t/a", Bytes(3000, 0x5a));
  ASSERT_EQ(::link((dir / "listed/t/a").c_str(), (dir / "listed/t/deep/b").c_str()), 0);
  CaptureRemovals capture;
  EXPECT_EQ(Folders({dir / "listed/t"}), std::vector<bool>{true});
  EXPECT_FALSE(Exists(dir / "listed/t"));
  ASSERT_EQ(capture.removed_files.size(), 2u);
  for (const Bytes& seen : capture.removed_files)
    EXPECT_EQ(std::count(seen.begin(), seen.end(), 0x5a), 0) << "original bytes survived";
}

// A folder that keeps anything keeps its own name and its own mode.
TEST_F(BadInput, FolderKeepingAnImmutableFolderKeepsItsNameAndMode) {
  MakeDirs({dir / "listed/t", dir / "listed/t/ro", dir / "listed/t/ro/frozen"});
  WriteFile(dir / "listed/t/gone", Bytes(100, 1));
  WriteFile(dir / "listed/t/ro/gone", Bytes(100, 1));
  if (!SetImmutable(dir / "listed/t/ro/frozen", true)) GTEST_SKIP() << "skipped: cannot set the immutable flag here";
  ::chmod((dir / "listed/t/ro").c_str(), 0500);
  ::chmod((dir / "listed/t").c_str(), 0555);
  EXPECT_EQ(Folders({dir / "listed/t"}), std::vector<bool>{false});
  SetImmutable(dir / "listed/t/ro/frozen", false);
  EXPECT_EQ(outcomes, std::vector<ItemOutcome>{ItemOutcome::SomethingInsideKept});
  for (auto [path, mode] : {std::pair{"listed/t", 0555u}, std::pair{"listed/t/ro", 0500u}}) {
    struct stat st;
    ASSERT_EQ(::stat((dir / path).c_str(), &st), 0) << path;
    EXPECT_EQ(st.st_mode & 07777, mode) << path;
  }
  EXPECT_TRUE(Exists(dir / "listed/t/ro/frozen"));
  EXPECT_EQ(Snapshot(dir / "listed").size(), 4u) << "listed, t, t/ro and t/ro/frozen, under their own names";
}

// A file another program has open (still writing it, or reading it) is
// left byte for byte and said to be: its writes would outlive ours. In a
// folder the rest goes, and the folder stays for that file.
TEST_F(BadInput, FileAnotherProgramHasOpenIsLeftUntouchedInBothModes) {
  WriteFile(dir / "listed/read", Bytes(3000, 1));
  MakeDir(dir / "listed/t");
  WriteFile(dir / "listed/t/written", Bytes(3000, 2));
  WriteFile(dir / "listed/t/free", Bytes(3000, 3));
  const int reader = ::open((dir / "listed/read").c_str(), O_RDONLY | O_CLOEXEC);
  const int writer = ::open((dir / "listed/t/written").c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
  ASSERT_GE(reader, 0);
  ASSERT_GE(writer, 0);
  EXPECT_EQ(Files({dir / "listed/read"}), std::vector<bool>{false});
  EXPECT_EQ(outcomes, std::vector<ItemOutcome>{ItemOutcome::InUse});
  EXPECT_EQ(Folders({dir / "listed/t"}), std::vector<bool>{false});
  EXPECT_EQ(outcomes, std::vector<ItemOutcome>{ItemOutcome::InUse});
  ::close(reader);
  ::close(writer);
  EXPECT_EQ(ReadFile(dir / "listed/read"), Bytes(3000, 1));
  EXPECT_EQ(ReadFile(dir / "listed/t/written"), Bytes(3000, 2));
  EXPECT_FALSE(Exists(dir / "listed/t/free"));
  ExpectWorldUnchanged();
}

// A program being run cannot be written (the kernel says so): it is left,
// named as in use, not as a file that could not be opened.
TEST_F(BadInput, ProgramBeingRunIsLeftAsInUse) {
  ASSERT_EQ(std::system(("cp /bin/sleep '" + dir / "listed/running" + "'").c_str()), 0);
  const Bytes program = ReadFile(dir / "listed/running");
  const pid_t child = ::fork();
  if (child == 0) {
    const std::string path = dir / "listed/running";
    ::execl(path.c_str(), path.c_str(), "60", static_cast<char*>(nullptr));
    ::_exit(127);
  }
  // Running once its own file is open for execution: wait for that.
  const std::string exe = "/proc/" + std::to_string(child) + "/exe";
  char target[4096];
  for (int i = 0; i < 5000; ++i) {
    const ssize_t n = ::readlink(exe.c_str(), target, sizeof target - 1);
    if (n > 0 && std::string(target, static_cast<std::size_t>(n)) == dir / "listed/running") break;
    ::usleep(1000);
  }
  EXPECT_EQ(Files({dir / "listed/running"}), std::vector<bool>{false});
  EXPECT_EQ(outcomes, std::vector<ItemOutcome>{ItemOutcome::InUse});
  ::kill(child, SIGKILL);
  ::waitpid(child, nullptr, 0);
  EXPECT_EQ(ReadFile(dir / "listed/running"), program);
}

TEST_F(BadInput, LinkToAFileOrAFolderOnTheListIsLeftAndNotFollowed) {
  ASSERT_EQ(::symlink((dir / "world/file").c_str(), (dir / "listed/to-file").c_str()), 0);
  ASSERT_EQ(::symlink((dir / "world/folder").c_str(), (dir / "listed/to-folder").c_str()), 0);
  EXPECT_EQ(Files({dir / "listed/to-file", dir / "listed/to-folder"}), (std::vector<bool>{false, false}));
  ExpectWorldUnchanged();
  EXPECT_EQ(Folders({dir / "listed/to-folder", dir / "listed/to-file"}), (std::vector<bool>{false, false}));
  ExpectWorldUnchanged();
  EXPECT_TRUE(Exists(dir / "listed/to-file"));
  EXPECT_TRUE(Exists(dir / "listed/to-folder"));
}

TEST_F(BadInput, LinksInsideAListedFolderGoAsLinks) {
  MakeDir(dir / "listed/t");
  ASSERT_EQ(::symlink((dir / "world/file").c_str(), (dir / "listed/t/to-file").c_str()), 0);
  ASSERT_EQ(::symlink((dir / "world/folder").c_str(), (dir / "listed/t/to-folder").c_str()), 0);
  ASSERT_EQ(::symlink("../../world/file", (dir / "listed/t/relative").c_str()), 0);
  EXPECT_EQ(Folders({dir / "listed/t"}), std::vector<bool>{true});
  ExpectWorldUnchanged();
  EXPECT_FALSE(Exists(dir / "listed/t"));
}

TEST_F(BadInput, HardLinkIsOverwrittenInFileModeButOnlyRemovedInsideAFolder) {
  ASSERT_EQ(::link((dir / "world/file").c_str(), (dir / "listed/hard").c_str()), 0);
  world_before = Snapshot(dir / "world");
  MakeDir(dir / "listed/t");
  WriteFile(dir / "listed/other", Bytes(300, 3));
  ASSERT_EQ(::link((dir / "listed/other").c_str(), (dir / "listed/t/hard").c_str()), 0);
  EXPECT_EQ(Folders({dir / "listed/t"}), std::vector<bool>{true});
  EXPECT_EQ(ReadFile(dir / "listed/other"), Bytes(300, 3));
  // In file mode the user chose this very file: its data goes, under every name.
  EXPECT_EQ(Files({dir / "listed/hard"}), std::vector<bool>{true});
  Bytes after = ReadFile(dir / "world/file");
  Bytes block = BuildFillBlock(200);
  EXPECT_TRUE(std::equal(block.begin(), block.end(), after.begin()));
}

TEST_F(BadInput, FifoSocketDeviceAndAFolderInFileModeAreLeftWithoutBlocking) {
  ASSERT_EQ(::mkfifo((dir / "listed/fifo").c_str(), 0600), 0);
  int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  std::string sock_path = dir / "listed/sock";
  std::copy(sock_path.begin(), sock_path.end(), addr.sun_path);
  ASSERT_EQ(::bind(sock, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
  MakeDir(dir / "listed/folder");
  EXPECT_EQ(Files({dir / "listed/fifo", sock_path, "/dev/null", dir / "listed/folder"}),
            (std::vector<bool>{false, false, false, false}));
  struct stat st;
  ASSERT_EQ(::stat("/dev/null", &st), 0);
  EXPECT_TRUE(S_ISCHR(st.st_mode));
  EXPECT_TRUE(Exists(dir / "listed/fifo"));
  EXPECT_TRUE(Exists(sock_path));
  EXPECT_TRUE(Exists(dir / "listed/folder"));
  ExpectWorldUnchanged();
  ::close(sock);
}

TEST_F(BadInput, SpecialFilesInsideAFolderAreRemovedNeverOpened) {
  MakeDir(dir / "listed/t");
  ASSERT_EQ(::mkfifo((dir / "listed/t/fifo").c_str(), 0600), 0);
  EXPECT_EQ(Folders({dir / "listed/t"}), std::vector<bool>{true});
  EXPECT_FALSE(Exists(dir / "listed/t"));
}

TEST_F(BadInput, MissingFileIsCreatedFilledAndRemovedMissingFolderIsNothing) {
  EXPECT_EQ(Files({dir / "listed/never-was"}), std::vector<bool>{true});
  EXPECT_FALSE(Exists(dir / "listed/never-was"));
  EXPECT_EQ(Files({dir / "listed/no-folder/file"}), std::vector<bool>{false});
  EXPECT_EQ(Folders({dir / "listed/no-folder"}), std::vector<bool>{false});
  EXPECT_FALSE(Exists(dir / "listed/no-folder"));
  ExpectWorldUnchanged();
}

TEST_F(BadInput, ReadOnlyFileStaysInFileModeAndGoesInsideAFolder) {
  WriteFile(dir / "listed/ro", Bytes(50, 4), 0444);
  EXPECT_EQ(Files({dir / "listed/ro"}), std::vector<bool>{false});
  EXPECT_EQ(ReadFile(dir / "listed/ro"), Bytes(50, 4));
  MakeDirs({dir / "listed/t", dir / "listed/t/ro-sub"});
  WriteFile(dir / "listed/t/ro-sub/ro", Bytes(50, 5), 0400);
  ::chmod((dir / "listed/t/ro-sub").c_str(), 0500);
  MakeDir(dir / "listed/t/unreadable");
  WriteFile(dir / "listed/t/unreadable/f", Bytes(50, 6));
  ::chmod((dir / "listed/t/unreadable").c_str(), 0);
  EXPECT_EQ(Folders({dir / "listed/t"}), std::vector<bool>{true});
  EXPECT_FALSE(Exists(dir / "listed/t"));
  ExpectWorldUnchanged();
}

TEST_F(BadInput, OddNamesAreShreddedInBothModes) {
  const std::vector<std::string> names = {"with spaces.txt", "new\nline", "-rf", "--", "bad\xff\xfe.bin",
                                          std::string(255, 'n')};
  std::vector<std::string> paths;
  MakeDir(dir / "listed/t");
  for (const std::string& name : names) {
    WriteFile(dir / ("listed/" + name), Bytes(100, 7));
    WriteFile(dir / ("listed/t/" + name), Bytes(100, 8));
    paths.push_back(dir / ("listed/" + name));
  }
  EXPECT_EQ(Files(paths), std::vector<bool>(names.size(), true));
  EXPECT_EQ(Folders({dir / "listed/t"}), std::vector<bool>{true});
  EXPECT_EQ(Snapshot(dir / "listed").size(), 1u) << "only the folder itself is left";
  ExpectWorldUnchanged();
}

TEST_F(BadInput, FileSwappedForALinkAfterListingIsNotWrittenThrough) {
  WriteFile(dir / "listed/f", Bytes(100, 9));
  std::string listed = dir / "listed/f";
  ::unlink(listed.c_str());
  ASSERT_EQ(::symlink((dir / "world/file").c_str(), listed.c_str()), 0);
  EXPECT_EQ(Files({listed}), std::vector<bool>{false});
  ExpectWorldUnchanged();
}

// As an ordinary user the read-only and unreadable folders need their modes
// changed before anything can be removed; root would not notice.
TEST_F(BadInput, OrdinaryUserForcesReadOnlyAndUnreadableFoldersAway) {
  if (::geteuid() != 0) GTEST_SKIP() << "skipped: needs root to act as another user";
  const uid_t nobody = 65534;
  ::chmod(dir.path().c_str(), 0755);
  MakeDirs({dir / "user", dir / "user/t", dir / "user/t/ro"});
  WriteFile(dir / "user/t/ro/f", Bytes(100, 1), 0400);
  MakeDir(dir / "user/t/locked");
  WriteFile(dir / "user/t/locked/g", Bytes(100, 2), 0600);
  std::string chown = "chown -R 65534:65534 '" + dir / "user" + "'";
  ASSERT_EQ(std::system(chown.c_str()), 0);
  ::chmod((dir / "user/t/ro").c_str(), 0500);
  ::chmod((dir / "user/t/locked").c_str(), 0);
  pid_t child = ::fork();
  if (child == 0) {
    if (::setgid(nobody) != 0 || ::setuid(nobody) != 0) ::_exit(2);
    FixedHost host;
    ShredOptions options;
    options.FolderMode = true;
    ReportInFolder users_report(dir / "user");
    ShredRunResult r = RunShred(AtPosition(options, 2), {{dir / "user/t", dir / "user/t"}}, users_report, host);
    ::_exit(ItemsShredded(r) == std::vector<bool>{true} ? 0 : 1);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_FALSE(Exists(dir / "user/t"));
}

}  // namespace
}  // namespace velmora::testing
