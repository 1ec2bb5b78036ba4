// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/wipe_file.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/xattr.h>

#include <limits>
#include <map>
#include <set>

#include "engine/fill_block.h"
#include "support/capture.h"
#include "support/temp_dir.h"
#include "support/wipe_at_position.h"
#include "tree/tree_shred.h"

namespace velmora::testing {
namespace {

using WipeFile = InTempDir;

TEST_F(WipeFile, TenByteFileGetsTheBlockThenPatternToAWholeBlock) {
  WriteFile(dir / "a", Bytes(10, 0x77));
  std::size_t fs_block = FsBlock(dir / "a");
  CaptureRemovals capture;
  EXPECT_EQ(WipeAtPosition(dir / "a", 0), WipeOutcome::Shredded);
  EXPECT_FALSE(Exists(dir / "a"));
  ASSERT_EQ(capture.removed_files.size(), 1u);
  EXPECT_EQ(capture.removed_files[0], ExpectedCover(0, 10, fs_block));
  Bytes first(capture.removed_files[0].begin(), capture.removed_files[0].begin() + 440);
  EXPECT_EQ(first, BuildFillBlock(0));
}

TEST_F(WipeFile, EveryOriginalByteOfA1MiBFileIsGoneBeforeDeletion) {
  const std::size_t size = (1 << 20) + 7;  // one byte past whole blocks, and then some
  Bytes secret = RandomBytes(size, 42);
  WriteFile(dir / "big", secret);
  std::size_t fs_block = FsBlock(dir / "big");
  for (int position : {2, 5}) {
    WriteFile(dir / "big", secret);
    CaptureRemovals capture;
    ASSERT_EQ(WipeAtPosition(dir / "big", position), WipeOutcome::Shredded);
    ASSERT_EQ(capture.removed_files.size(), 1u);
    const Bytes& seen = capture.removed_files[0];
    EXPECT_EQ(seen, ExpectedCover(position, size, fs_block)) << "position " << position;
    std::size_t same = 0;
    for (std::size_t i = 0; i < size; ++i) same += seen[i] == secret[i] && seen[i] != 0;
    // Only coincidences of the pattern with random bytes may match.
    EXPECT_LT(same, size / 64);
  }
}

// Each pass as the seam saw it: the bytes written since the last forced
// sync, and how many were written; a pass ends at the sync that forces it.
struct PassLedger {
  static inline std::vector<Bytes> passes;
  static inline std::vector<std::size_t> written;
  static inline Bytes current;
  static inline std::size_t current_written = 0;
  static int Forced(int fd, int (*sync)(int)) {
    if (current_written > 0) passes.push_back(std::move(current)), written.push_back(current_written);
    current = {}, current_written = 0;
    return sync(fd);
  }
  static SysCalls Calls() {
    passes.clear(), written.clear(), current.clear(), current_written = 0;
    SysCalls calls = Sys();
    calls.pwrite = [](int fd, const void* buf, size_t count, off_t offset) -> ssize_t {
      const auto at = static_cast<std::size_t>(offset);
      current.resize(std::max(current.size(), at + count));
      std::copy_n(static_cast<const std::uint8_t*>(buf), count, current.begin() + static_cast<std::ptrdiff_t>(at));
      current_written += count;
      return ::pwrite(fd, buf, count, offset);
    };
    calls.fdatasync = [](int fd) { return Forced(fd, ::fdatasync); };
    calls.fsync = [](int fd) { return Forced(fd, ::fsync); };
    return calls;
  }
};

// P passes, each over the whole file and each forced before the next; the
// last the fill, those before it 0xFF and 0x00 in turn, or random bytes
// that repeat no 4 KiB block within the pass.
TEST(WipeFilePasses, EachPassCoversTheFileAndIsForcedBeforeTheNext) {
  struct { int position; Technique technique; std::size_t size; } rows[] = {
      {0, Technique::RandomChars, 5000},            // "1": the fill only, whatever the technique
      {2, Technique::OnesAndZeros, 5000},           // "3": 0xFF, 0x00, the fill
      {3, Technique::OnesAndZeros, (2 << 20) + 7},  // "5", several writes a pass
      {2, Technique::RandomChars, (3 << 20) + 5},
  };
  for (const auto& row : rows) {
    TempDir dir;
    WriteFile(dir / "f", RandomBytes(row.size, 3));
    const Bytes fill = ExpectedCover(row.position, row.size, FsBlock(dir / "f"));
    {
      ScopedSysCalls ledger(PassLedger::Calls());
      ASSERT_EQ(velmora::WipeFile(dir / "f", *PlanForPosition(row.position, row.technique)), WipeOutcome::Shredded);
    }
    ASSERT_EQ(PassLedger::passes.size(), static_cast<std::size_t>(*PassCountAt(row.position))) << row.position;
    for (std::size_t k = 0; k < PassLedger::passes.size(); ++k) {
      const Bytes& pass = PassLedger::passes[k];
      ASSERT_EQ(pass.size(), fill.size()) << "pass " << k + 1 << " covers the file";
      EXPECT_EQ(PassLedger::written[k], fill.size()) << "pass " << k + 1 << " writes each byte once";
      if (k + 1 == PassLedger::passes.size()) {
        EXPECT_EQ(pass, fill);
      } else if (row.technique == Technique::OnesAndZeros) {
        EXPECT_EQ(pass, Bytes(pass.size(), k % 2 == 0 ? 0xFF : 0x00)) << "pass " << k + 1;
      } else {
        std::set<Bytes> blocks;
        for (std::size_t at = 0; at + 4096 <= pass.size(); at += 4096)
          EXPECT_TRUE(blocks.insert(Bytes(pass.begin() + static_cast<std::ptrdiff_t>(at),
                                          pass.begin() + static_cast<std::ptrdiff_t>(at + 4096))).second)
              << "block at " << at;
      }
    }
  }
}

TEST_F(WipeFile, MissingFileInExistingFolderIsCreatedFilledAndRemoved) {
  CaptureRemovals capture;
  EXPECT_EQ(WipeAtPosition(dir / "never", 2), WipeOutcome::Shredded);
  EXPECT_FALSE(Exists(dir / "never"));
  ASSERT_EQ(capture.removed_files.size(), 1u);
  EXPECT_EQ(capture.removed_files[0].size() % FsBlock(dir.path()), 0u);
}

TEST_F(WipeFile, MissingFolderTouchesNothing) {
  EXPECT_EQ(WipeAtPosition(dir / "no/such", 2), WipeOutcome::OpenFailed);
  EXPECT_FALSE(Exists(dir / "no"));
}

TEST_F(WipeFile, ReadOnlyFileKeepsItsContentsAndStays) {
  Bytes content = RandomBytes(5000, 3);
  WriteFile(dir / "ro", content, 0444);
  EXPECT_EQ(WipeAtPosition(dir / "ro", 2), WipeOutcome::ReadOnly);
  EXPECT_EQ(ReadFile(dir / "ro"), content);
}

TEST_F(WipeFile, SymbolicLinkIsLeftAndItsTargetUntouched) {
  Bytes content = RandomBytes(5000, 4);
  WriteFile(dir / "target", content);
  ASSERT_EQ(::symlink((dir / "target").c_str(), (dir / "link").c_str()), 0);
  EXPECT_EQ(WipeAtPosition(dir / "link", 2), WipeOutcome::Link);
  EXPECT_TRUE(Exists(dir / "link"));
  EXPECT_EQ(ReadFile(dir / "target"), content);
}

TEST_F(WipeFile, DanglingLinkIsNotFollowedToCreateItsTarget) {
  ASSERT_EQ(::symlink((dir / "nowhere").c_str(), (dir / "link").c_str()), 0);
  EXPECT_EQ(WipeAtPosition(dir / "link", 2), WipeOutcome::Link);
  EXPECT_FALSE(Exists(dir / "nowhere"));
  EXPECT_TRUE(Exists(dir / "link"));
}

TEST_F(WipeFile, FifoSocketDeviceAndFolderAreLeftWithoutBlocking) {
  ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0644), 0);
  int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  std::string sock_path = dir / "sock";
  ASSERT_LT(sock_path.size(), sizeof addr.sun_path);
  std::copy(sock_path.begin(), sock_path.end(), addr.sun_path);
  ASSERT_EQ(::bind(sock, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
  MakeDir(dir / "folder");

  EXPECT_EQ(WipeAtPosition(dir / "fifo", 2), WipeOutcome::NotRegularFile);
  EXPECT_EQ(WipeAtPosition(sock_path, 2), WipeOutcome::NotRegularFile);
  EXPECT_EQ(WipeAtPosition(dir / "folder", 2), WipeOutcome::NotRegularFile);
  EXPECT_EQ(WipeAtPosition("/dev/null", 2), WipeOutcome::NotRegularFile);
  EXPECT_TRUE(Exists(dir / "fifo"));
  EXPECT_TRUE(Exists(sock_path));
  EXPECT_TRUE(Exists(dir / "folder"));
  EXPECT_TRUE(Exists("/dev/null"));
  ::close(sock);
}

TEST_F(WipeFile, HardLinkInFileModeIsOverwrittenAsChosen) {
  WriteFile(dir / "a", Bytes(100, 9));
  ASSERT_EQ(::link((dir / "a").c_str(), (dir / "b").c_str()), 0);
  EXPECT_EQ(WipeAtPosition(dir / "a", 0), WipeOutcome::Shredded);
  EXPECT_FALSE(Exists(dir / "a"));
  Bytes other = ReadFile(dir / "b");
  EXPECT_EQ(Bytes(other.begin(), other.begin() + 440), BuildFillBlock(0));
}

TEST_F(WipeFile, SparseFileHolesStayHolesAndDataIsCovered) {
  const off_t far = off_t{1} << 32;  // 4 GiB: filling it would be a disaster
  {
    int fd = ::open((dir / "sparse").c_str(), O_WRONLY | O_CREAT, 0644);
    ASSERT_GE(fd, 0);
    Bytes secret = RandomBytes(8192, 5);
    ASSERT_EQ(::pwrite(fd, secret.data(), secret.size(), far), 8192);
    ::close(fd);
  }
  // Check the pattern at the far offset through a seam before removal.
  struct Seen { Bytes far_bytes; Bytes head; };
  static Seen seen;
  static off_t far_offset = far;
  SysCalls calls = Sys();
  calls.unlinkat = [](int dirfd, const char* path, int flags) {
    int fd = ::openat(dirfd, path, O_RDONLY);
    seen.far_bytes.assign(8192, 0);
    ::pread(fd, seen.far_bytes.data(), 8192, far_offset);
    seen.head.assign(440, 0);
    ::pread(fd, seen.head.data(), 440, 0);
    struct stat st;
    ::fstat(fd, &st);
    EXPECT_LT(st.st_blocks * 512, 1 << 20) << "holes were filled";
    ::close(fd);
    return ::unlinkat(dirfd, path, flags);
  };
  calls.setlease = [](int, int) { return 0; };  // the look above would break the engine's lease
  ScopedSysCalls scope(calls);
  ASSERT_EQ(WipeAtPosition(dir / "sparse", 0), WipeOutcome::Shredded);
  Bytes block = BuildFillBlock(0);
  EXPECT_EQ(seen.head, block);
  for (std::size_t i = 0; i < 8192; ++i) ASSERT_EQ(seen.far_bytes[i], block[(far + i) % 440]) << i;
}

// A write that fails part way, a sync that fails: the file stays, the
// descriptor is released.
TEST(WipeFileFaults, WriteFailingPartWayLeavesFileInPlaceAndReleasesDescriptor) {
  TempDir dir;
  Bytes secret = RandomBytes(3 << 20, 6);
  WriteFile(dir / "f", secret);
  ScopedSysCalls scope(DiskFullAtWrite(2));
  int before = OpenDescriptorCount();
  EXPECT_EQ(WipeAtPosition(dir / "f", 2), WipeOutcome::WriteFailed);
  EXPECT_EQ(OpenDescriptorCount(), before);
  ASSERT_TRUE(Exists(dir / "f"));
  Bytes now = ReadFile(dir / "f");
  ASSERT_EQ(now.size(), secret.size());
  EXPECT_EQ(Bytes(now.begin(), now.begin() + 10840), BuildFillBlock(200));
}

TEST(WipeFileFaults, FailedSyncKeepsTheFile) {
  TempDir dir;
  WriteFile(dir / "f", Bytes(100, 1));
  SysCalls calls = Sys();
  calls.fdatasync = [](int) { return Fail(EIO); };
  ScopedSysCalls scope(calls);
  int before = OpenDescriptorCount();
  EXPECT_EQ(WipeAtPosition(dir / "f", 0), WipeOutcome::SyncFailed);
  EXPECT_EQ(OpenDescriptorCount(), before);
  EXPECT_TRUE(Exists(dir / "f"));
}

TEST(WipeFileFaults, ShortWritesAndInterruptionsStillCoverEverything) {
  TempDir dir;
  WriteFile(dir / "f", RandomBytes(100000, 8));
  std::size_t fs_block = FsBlock(dir / "f");
  static int calls_made = 0;
  calls_made = 0;
  SysCalls calls = Sys();
  calls.pwrite = [](int fd, const void* buf, size_t count, off_t offset) -> ssize_t {
    if (++calls_made % 3 == 0) return Fail(EINTR);
    return ::pwrite(fd, buf, std::min<size_t>(count, 1000), offset);
  };
  ScopedSysCalls scope(calls);
  CaptureRemovals capture;
  ASSERT_EQ(WipeAtPosition(dir / "f", 1), WipeOutcome::Shredded);
  ASSERT_EQ(capture.removed_files.size(), 1u);
  EXPECT_EQ(capture.removed_files[0], ExpectedCover(1, 100000, fs_block));
}

TEST_F(WipeFile, NameIsScrubbedBeforeRemoval) {
  WriteFile(dir / "secret-name.txt", Bytes(10, 1));
  static std::vector<std::string> removed;
  removed.clear();
  SysCalls calls = Sys();
  calls.unlinkat = [](int dirfd, const char* path, int flags) {
    removed.push_back(path);
    return ::unlinkat(dirfd, path, flags);
  };
  ScopedSysCalls scope(calls);
  ASSERT_EQ(WipeAtPosition(dir / "secret-name.txt", 0), WipeOutcome::Shredded);
  ASSERT_EQ(removed.size(), 1u);
  EXPECT_NE(removed[0], "secret-name.txt");
  EXPECT_EQ(removed[0].size(), std::string("secret-name.txt").size());
}

// Bytes appended by someone else while the file is overwritten are covered
// too; a file that never stops growing keeps its name and is reported.
struct Appender {
  static int& Left() {
    static int left = 0;
    return left;
  }
  static std::string& Path() {
    static std::string path;
    return path;
  }
  static ssize_t Pwrite(int fd, const void* buf, size_t count, off_t offset) {
    if (Left() != 0) {
      if (Left() > 0) --Left();
      int other = ::open(Path().c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
      Bytes more(10000, 0x41);
      [[maybe_unused]] ssize_t n = ::write(other, more.data(), more.size());
      ::close(other);
    }
    return ::pwrite(fd, buf, count, offset);
  }
};

// In file mode the growth is covered before the file is closed; a folder
// shred covers it right before the removal, after its one sync.
TEST(WipeFileFaults, BytesAppendedWhileOverwritingAreCoveredTooOrTheFileIsKept) {
  for (bool folder_mode : {false, true}) {
    SCOPED_TRACE(folder_mode ? "folder mode" : "file mode");
    TempDir dir;
    MakeDir(dir / "t");
    const std::string f = dir / "t/f";
    WriteFile(f, Bytes(100, 1));
    std::size_t fs_block = FsBlock(f);
    Appender::Path() = f;
    SysCalls calls = Sys();
    calls.pwrite = Appender::Pwrite;
    // Where the file system offers leases, the appender's open would wait
    // for the shred to end (a writer already there keeps the file in use):
    // growth is what the engine can see where it offers none.
    calls.setlease = [](int, int) { return Fail(EINVAL); };
    ScopedSysCalls scope(calls);
    // Whether the shred took the file (and, in folder mode, its folder).
    auto shred = [&] {
      if (folder_mode) return ShredTree(dir / "t", FillPattern(0)).folder_removed;
      return WipeAtPosition(f, 0) == WipeOutcome::Shredded;
    };
    {
      Appender::Left() = 3;
      CaptureRemovals capture;
      ASSERT_TRUE(shred());
      ASSERT_EQ(capture.removed_files.size(), 1u);
      EXPECT_EQ(capture.removed_files[0], ExpectedCover(0, 100 + 3 * 10000, fs_block));
    }
    if (folder_mode) MakeDir(dir / "t");
    WriteFile(f, Bytes(100, 1));
    Appender::Left() = -1;  // for ever
    EXPECT_FALSE(shred());
    Appender::Left() = 0;
    EXPECT_TRUE(Exists(f));
  }
}

// Extended attributes (where a browser keeps a download's address) hold
// only zeros by the time the file is forced to the disk, and are gone.
TEST_F(WipeFile, ExtendedAttributeValuesAreZeroedBeforeTheSync) {
  WriteFile(dir / "f", Bytes(100, 1));
  const std::string small(40, 's'), big(3000, 'b');
  if (::setxattr((dir / "f").c_str(), "user.small", small.data(), small.size(), 0) != 0 ||
      ::setxattr((dir / "f").c_str(), "user.big", big.data(), big.size(), 0) != 0)
    GTEST_SKIP() << "skipped: no user extended attributes here";
  static std::map<std::string, std::string> at_sync;
  at_sync.clear();
  SysCalls calls = Sys();
  calls.fsync = [](int fd) {
    for (const char* name : {"user.small", "user.big"}) {
      std::string value(4096, '?');
      ssize_t n = ::fgetxattr(fd, name, value.data(), value.size());
      if (n >= 0) at_sync[name] = value.substr(0, static_cast<std::size_t>(n));
    }
    return ::fsync(fd);
  };
  ScopedSysCalls scope(calls);
  ASSERT_EQ(WipeAtPosition(dir / "f", 0), WipeOutcome::Shredded);
  EXPECT_EQ(at_sync["user.small"], std::string(40, '\0'));
  EXPECT_EQ(at_sync["user.big"], std::string(3000, '\0'));
  EXPECT_FALSE(Exists(dir / "f"));
}

// A file within one block of the largest size its file system allows: the
// rounding past its end cannot be written and is not needed; its own bytes
// are all covered and it is shredded.
TEST(WipeFileFaults, RoundingPastTheLargestFileSizeIsNotNeeded) {
  TempDir dir;
  WriteFile(dir / "f", RandomBytes(5000, 3));
  static constexpr off_t kLargest = 5010;
  SysCalls calls = Sys();
  calls.pwrite = [](int fd, const void* buf, size_t count, off_t offset) -> ssize_t {
    if (offset >= kLargest) return Fail(EFBIG);
    return ::pwrite(fd, buf, std::min<size_t>(count, static_cast<size_t>(kLargest - offset)), offset);
  };
  ScopedSysCalls scope(calls);
  CaptureRemovals capture;
  ASSERT_EQ(WipeAtPosition(dir / "f", 0), WipeOutcome::Shredded);
  ASSERT_EQ(capture.removed_files.size(), 1u);
  Bytes expected = ExpectedCover(0, 5000);
  expected.resize(kLargest);
  EXPECT_EQ(capture.removed_files[0], expected);
}

TEST_F(WipeFile, RoundingUpNeverOverflowsAtTheLargestFileSize) {
  constexpr off_t kMax = std::numeric_limits<off_t>::max();
  struct {
    off_t value, unit, rounded;
  } rows[] = {{0, 4096, 0},          {1, 4096, 4096},         {4096, 4096, 4096},
              {4097, 4096, 8192},    {kMax - 4094, 4096, kMax}, {kMax, 4096, kMax},
              {kMax - kMax % 4096, 4096, kMax - kMax % 4096}, {10, 0, 10}};
  for (const auto& row : rows) EXPECT_EQ(RoundUpToBlock(row.value, row.unit), row.rounded) << row.value;
}

}  // namespace
}  // namespace velmora::testing
