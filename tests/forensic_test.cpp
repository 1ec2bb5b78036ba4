// SPDX-License-Identifier: GPL-3.0-or-later
// Looking at the raw disk after a shred: on a real ext4 file system in an
// image file, no 64-byte window of any shredded secret and no shredded name
// may be found.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <optional>
#include <tuple>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include "freespace/ext4_reserve.h"
#include "freespace/free_space_wipe.h"
#include "fs/journal_scrub.h"
#include "fs/name_scrub.h"
#include "fs/remove_entry.h"
#include "fs/storage_class.h"
#include "platform/sys_calls.h"
#include "report/report_keeper.h"
#include "run/shred_run.h"
#include "support/capture.h"
#include "support/fake_fill_disk.h"
#include "support/fixed_host.h"
#include "support/forced_names.h"
#include "support/loop_fs.h"
#include "support/memory_record.h"
#include "support/raw_scan.h"
#include "support/temp_dir.h"
#include "support/worker_gate.h"
#include "tree/tree_shred.h"

namespace velmora::testing {
namespace {

// Names that cannot occur by chance in the image.
std::string UniqueName(const std::string& tag) { return "vlm" + tag + RandomName(16); }

struct Planted {
  SecretScanner scanner;
  std::vector<std::string> names;
  ShredList files;    // listed in file mode
  ShredList folders;  // listed in folder mode
  std::size_t secret_bytes = 0;

  // A report as it stood on the disk: every byte of it is a secret too.
  void Report(const std::string& path) {
    Bytes report = ReadFile(path);
    scanner.AddSecret(report);
    secret_bytes += report.size();
  }

  void Secret(const std::string& path, std::size_t size, unsigned seed) {
    Bytes secret = RandomBytes(size, seed);
    WriteFile(path, secret);
    scanner.AddSecret(secret);
    secret_bytes += size;
  }

  // Secrets in extended attributes: a short one that fits in the inode, a
  // long one that needs a block of its own.
  void AttributeSecrets(const std::string& path, unsigned seed) {
    for (auto [name, size] : {std::pair{"user.origin", 64}, std::pair{"user.notes", 700}}) {
      Bytes secret = RandomBytes(static_cast<std::size_t>(size), seed++);
      ASSERT_EQ(::setxattr(path.c_str(), name, secret.data(), secret.size(), 0), 0) << name << " " << std::strerror(errno);
      scanner.AddSecret(secret);
      secret_bytes += secret.size();
    }
  }
};

// A sparse file: one secret extent far beyond the file system's own size.
void WriteSparseSecret(Planted& planted, const std::string& path, unsigned seed) {
  Bytes secret = RandomBytes(8192, seed);
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  ASSERT_EQ(::pwrite(fd, secret.data(), secret.size(), off_t{1} << 30), 8192);
  ::close(fd);
  planted.scanner.AddSecret(secret);
  planted.secret_bytes += secret.size();
}

void Plant(LoopFs& fs, Planted& p, unsigned seed, bool with_attributes = true) {
  const std::size_t sizes[] = {1, 3 << 10, 100 << 10, 8 << 20};
  for (std::size_t size : sizes) {
    std::string name = UniqueName("file");
    p.Secret(fs / name, size, seed++);
    p.names.push_back(name);
    p.files.push_back({fs / name, name});
  }
  std::string sparse = UniqueName("sparse");
  WriteSparseSecret(p, fs / sparse, seed++);
  p.names.push_back(sparse);
  p.files.push_back({fs / sparse, sparse});

  std::string top = UniqueName("dir"), sub = UniqueName("sub");
  MakeDirs({fs / top, fs / (top + "/" + sub)});
  p.names.insert(p.names.end(), {top, sub});
  for (std::size_t size : {std::size_t{1}, std::size_t{3 << 10}, std::size_t{100 << 10}, std::size_t{1 << 20}}) {
    std::string a = UniqueName("in"), b = UniqueName("deep");
    p.Secret(fs / (top + "/" + a), size, seed++);
    p.Secret(fs / (top + "/" + sub + "/" + b), size, seed++);
    p.names.insert(p.names.end(), {a, b});
  }
  p.folders.push_back({fs / top, fs / top});
  if (with_attributes) {
    p.AttributeSecrets(p.files.front().path, seed++ * 7);
    p.AttributeSecrets(fs / (top + "/" + sub), seed++ * 7);
  }
  ::sync();
}

TEST(Forensic, ControlTheScanFindsSecretsAndNamesThatWereNotShredded) {
  LoopFs fs;
  if (std::string why = fs.Mount(48); !why.empty()) GTEST_SKIP() << "skipped: " << why;
  Planted planted;
  Plant(fs, planted, 100);
  // A report that is merely unlinked leaves its bytes, paths and all.
  MakeDir(fs / "prog");
  MemoryRecord record;
  ReportKeeper report({fs / "prog", fs / "state"}, record);
  FixedHost host;
  ASSERT_TRUE(WriteReport(report, ShredOptions{}, planted.files, host));
  Bytes report_bytes = ReadFile(fs / "prog/note.txt");
  SecretScanner report_scan;
  report_scan.AddSecret(report_bytes);
  ::sync();
  ASSERT_EQ(::unlink((fs / "prog/note.txt").c_str()), 0);
  fs.Unmount();
  Bytes raw = fs.Raw();
  // The one-byte secrets have no 32-byte chunk; every other byte is there.
  EXPECT_GE(planted.scanner.FoundBytes(raw), planted.secret_bytes - (planted.secret_bytes % 32) - 3 * 32);
  for (const std::string& name : planted.names) EXPECT_GT(CountOccurrences(raw, name), 0u) << name;
  EXPECT_GE(report_scan.FoundBytes(raw), report_bytes.size() - report_bytes.size() % 32);
}

// What the storage under a loop image's file can promise.
StorageClass ImageStorage(const LoopFs& fs) {
  const int fd = ::open(fs.folder().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  StorageClass storage = ClassifyStorage(fd);
  ::close(fd);
  return storage;
}

struct ScanResult {
  std::size_t secret_bytes = 0;
  std::size_t names_outside_journal = 0;
  std::size_t names_in_journal = 0;
};

// Plants secrets, shreds them in file mode and in folder mode, unmounts and
// looks at the raw image.
ScanResult ShredAndScan(LoopFs& fs, int position, unsigned seed, bool with_attributes = true,
                        int technique = 0) {
  Planted planted;
  Plant(fs, planted, seed, with_attributes);
  // The program beside the data, on the same disk: its report, which names
  // every shredded path, lives there too.
  MakeDir(fs / "prog");
  MemoryRecord record;
  ReportKeeper report({fs / "prog", fs / "state"}, record);
  FixedHost host;
  ShredOptions options;
  options.OverwriteWith = kTechniques[static_cast<std::size_t>(technique)].name;
  ShredRunResult files = RunShred(AtPosition(options, position), planted.files, report, host);
  planted.Report(fs / "prog/note.txt");
  options.FolderMode = true;
  ShredRunResult folders = RunShred(AtPosition(options, position), planted.folders, report, host);
  planted.Report(fs / "prog/note.txt");
  EXPECT_EQ(ItemsShredded(files), std::vector<bool>(planted.files.size(), true));
  EXPECT_EQ(ItemsShredded(folders), std::vector<bool>{true});
  // ext4 on a loop device says what the file system under its image says:
  // nothing where that is memory or a spinning disk.
  const StorageClass beneath = ImageStorage(fs);
  EXPECT_EQ(files.storage, std::vector<StorageClass>(planted.files.size(), beneath));
  EXPECT_EQ(folders.storage, std::vector<StorageClass>{beneath});
  for (const ShredListItem& item : planted.files) EXPECT_FALSE(Exists(item.path));
  EXPECT_FALSE(Exists(planted.folders[0].path));
  // The user reads the result page for a while: the report reaches the disk.
  ::sync();
  EXPECT_TRUE(report.Delete());
  EXPECT_FALSE(Exists(fs / "prog/note.txt"));

  fs.Unmount();
  Bytes raw = fs.Raw();
  ScanResult result;
  result.secret_bytes = planted.scanner.FoundBytes(raw);
  // The journal is looked at apart, to say where a name survived.
  Bytes outside_journal = raw;
  Bytes journal;
  for (auto [offset, length] : fs.JournalRanges()) {
    journal.insert(journal.end(), raw.begin() + offset, raw.begin() + offset + length);
    std::fill(outside_journal.begin() + offset, outside_journal.begin() + offset + length, 0);
  }
  for (const std::string& name : planted.names) {
    result.names_outside_journal += CountOccurrences(outside_journal, name) > 0;
    result.names_in_journal += CountOccurrences(journal, name) > 0;
  }
  return result;
}

// Pass-count position, ext4 with or without its journal, and technique.
class ForensicAtPosition : public ::testing::TestWithParam<std::tuple<int, const char*, int>> {};

TEST_P(ForensicAtPosition, NoSecretByteAndNoNameSurvivesOnTheRawImage) {
  const auto [position, fs_type, technique] = GetParam();
  LoopFs fs;
  if (std::string why = fs.Mount(48, fs_type); !why.empty()) GTEST_SKIP() << "skipped: " << why;
  ScanResult found = ShredAndScan(fs, position, 1000 * (position + 1), true, technique);
  EXPECT_EQ(found.secret_bytes, 0u) << "secret bytes found on the raw image";
  EXPECT_EQ(found.names_outside_journal, 0u) << "names found in the file system's blocks";
  EXPECT_EQ(found.names_in_journal, 0u) << "names found in the journal";
}

INSTANTIATE_TEST_SUITE_P(EveryPassCount, ForensicAtPosition,
                         ::testing::Combine(::testing::Range(0, 6), ::testing::Values("ext4", "ext4-nojournal"),
                                            ::testing::Values(0)));
// "Random Chars" at "1" (the fill alone) and at "3" (two random passes first).
INSTANTIATE_TEST_SUITE_P(RandomChars, ForensicAtPosition,
                         ::testing::Combine(::testing::Values(0, 2), ::testing::Values("ext4", "ext4-nojournal"),
                                            ::testing::Values(1)));

// Without the privilege to checkpoint the journal (an ordinary user), the
// data is still gone and no name stays in any folder's blocks; a file system
// without a journal keeps no name at all. A journaled one keeps copies of
// old folder blocks in its journal until the journal wraps: that limit is
// measured here, not hidden.
TEST(ForensicUnprivileged, DataIsGoneAndOldNamesStayOnlyInTheJournal) {
  SysCalls calls = Sys();
  calls.checkpoint_journal = [](int, unsigned) { return Fail(EPERM); };
  ScopedSysCalls scope(calls);
  for (const char* fs_type : {"ext4-nojournal", "ext4"}) {
    LoopFs fs;
    if (std::string why = fs.Mount(48, fs_type); !why.empty()) GTEST_SKIP() << "skipped: " << why;
    // Attribute blocks are metadata: without the checkpoint, a journal keeps
    // old copies of them as it does of folder blocks.
    ScanResult found = ShredAndScan(fs, 2, 77, std::string(fs_type) == "ext4-nojournal");
    EXPECT_EQ(found.secret_bytes, 0u) << fs_type;
    EXPECT_EQ(found.names_outside_journal, 0u) << fs_type;
    if (std::string(fs_type) == "ext4-nojournal") {
      EXPECT_EQ(found.names_in_journal, 0u);
    }
    std::printf("%s without the journal checkpoint: %zu of 15 names in folder blocks, %zu in the journal\n", fs_type,
                found.names_outside_journal, found.names_in_journal);
    RecordProperty(std::string(fs_type) + "_names_left",
                   static_cast<int>(found.names_outside_journal + found.names_in_journal));
  }
}

// Taking names off the disk costs metadata work per entry: renaming each
// entry to a random name (and syncing) costs two calls, syncing the removals
// before the folders go costs one sync. For every file system type that can
// be mounted here, a folder of 20 files and a subfolder is shredded each way, from cheapest
// to dearest, and the names left anywhere on the raw image are counted: the
// engine picks the cheapest way that leaves (about) the fewest.
TEST(ForensicNames, EachFileSystemGetsTheCheapestWayThatLeavesFewestNames) {
  struct Kind {
    const char* type;
    std::size_t megabytes;
  };
  const TreeNamesChoice ways[] = {NamesLeftAlone, NamesSyncedBeforeFolders, NamesRenamedEach};
  for (Kind kind : {Kind{"ext4", 48}, Kind{"ext4-nojournal", 48}, Kind{"xfs", 320}, Kind{"btrfs", 128}}) {
    std::size_t left[3] = {0, 0, 0};
    TreeNames picked = TreeNames::RenameEach;
    std::string skipped;
    // A way must be one to rely on: it counts by the worse of two runs (now
    // and then the writeback of a folder block races a plain removal and
    // takes most names off by luck).
    for (int run = 0; run < 6 && skipped.empty(); ++run) {
      const int way = run / 2;
      LoopFs fs;
      if (std::string why = fs.Mount(kind.megabytes, kind.type); !why.empty()) {
        skipped = why;
        break;
      }
      std::string top = UniqueName("top");
      MakeDir(fs / top);
      std::vector<std::string> names{UniqueName("sub")};
      MakeDir(fs / (top + "/" + names.back()));
      for (int i = 0; i < 20; ++i) {
        names.push_back(UniqueName("n"));
        WriteFile(fs / (top + "/" + names.back()), RandomBytes(100, i));
      }
      ::sync();
      TreeShredOptions options;
      options.tree_names = ways[way];
      EXPECT_TRUE(ShredTree(fs / top, FillPattern(0), NoRunControl(), options).folder_removed) << kind.type;
      int root = ::open(fs.root().c_str(), O_RDONLY | O_DIRECTORY);
      picked = HowTreeNamesGo(root);
      CheckpointJournal(root, /*zero_out=*/true);  // as the end of every run does
      ::close(root);
      fs.Unmount();
      Bytes raw = fs.Raw();
      std::size_t found = 0;
      for (const std::string& name : names) found += CountOccurrences(raw, name) > 0;
      left[way] = std::max(left[way], found);
    }
    if (!skipped.empty()) {
      std::printf("%s: not measured (%s)\n", kind.type, skipped.c_str());
      continue;
    }
    std::printf("%s: of 21 names, %zu left after a plain removal, %zu after removing and syncing before the "
                "folders go, %zu after renaming each first\n",
                kind.type, left[0], left[1], left[2]);
    // A log keeps a name or two more or fewer from run to run: a dearer way
    // is worth its cost only if it takes off more than a fifth of them.
    const std::size_t good_enough = std::min({left[0], left[1], left[2]}) + 4;
    const TreeNames cheapest = left[0] <= good_enough   ? TreeNames::LeftAlone
                               : left[1] <= good_enough ? TreeNames::SyncBeforeFolders
                                                        : TreeNames::RenameEach;
    EXPECT_EQ(picked, cheapest) << kind.type;
  }
}

// Where the storage keeps old copies whatever the overwrite does, the run
// says so per item, and the raw image shows why: Btrfs writes the pattern
// to new blocks and leaves the secrets where they were. ext4 with
// data=journal writes data through its journal, where old copies stay
// unless the run may zero it (administrator rights). Plain ext4 says what
// the file system under the image says.
TEST(ForensicStorage, EachShreddedItemSaysWhatItsStorageMayKeep) {
  struct Kind {
    const char* type;
    std::size_t megabytes;
    bool may_zero_journal;
    std::optional<StorageRisk> risk;  // nothing: as the image's own storage
  };
  for (Kind kind : {Kind{"btrfs", 128, true, StorageRisk::CopyOnWrite},
                    Kind{"ext4-datajournal", 64, false, StorageRisk::DataJournal},
                    Kind{"ext4-datajournal", 64, true, std::nullopt}, Kind{"ext4", 48, true, std::nullopt}}) {
    SysCalls calls = Sys();
    if (!kind.may_zero_journal) calls.checkpoint_journal = [](int, unsigned) { return Fail(EPERM); };
    ScopedSysCalls scope(calls);
    LoopFs fs;
    if (std::string why = fs.Mount(kind.megabytes, kind.type); !why.empty()) {
      std::printf("%s: not measured (%s)\n", kind.type, why.c_str());
      continue;
    }
    const StorageClass expected = kind.risk ? StorageClass{*kind.risk, {}} : ImageStorage(fs);
    // Small secrets: a journal keeps them until it wraps, which a run of
    // megabytes would make it do.
    Planted planted;
    const std::string file = UniqueName("file"), top = UniqueName("dir"), inside = UniqueName("in");
    planted.Secret(fs / file, 3000, 501);
    planted.files.push_back({fs / file, file});
    MakeDir(fs / top);
    planted.Secret(fs / (top + "/" + inside), 3000, 502);
    planted.folders.push_back({fs / top, fs / top});
    ::sync();
    MakeDir(fs / "prog");
    MemoryRecord record;
    ReportKeeper report({fs / "prog", fs / "state"}, record);
    FixedHost host;
    ShredOptions options;
    ShredList listed = planted.files;
    listed.push_back({fs / "never-there", "never-there"});  // created, filled and removed: shredded too
    WriteFile(fs / "ro", RandomBytes(10, 1), 0444);
    listed.push_back({fs / "ro", "ro"});  // left: no line of its own
    ShredRunResult files = RunShred(AtPosition(options, 2), listed, report, host);
    options.FolderMode = true;
    ShredRunResult folders = RunShred(AtPosition(options, 2), planted.folders, report, host);
    std::vector<StorageClass> want(listed.size(), expected);
    want.back() = {};
    EXPECT_EQ(files.outcomes.back(), ItemOutcome::ReadOnly) << kind.type;
    EXPECT_EQ(files.storage, want) << kind.type;
    EXPECT_EQ(folders.storage, std::vector<StorageClass>{expected}) << kind.type;
    EXPECT_TRUE(report.Delete());
    fs.Unmount();
    const std::size_t left = planted.scanner.FoundBytes(fs.Raw());
    std::printf("%s%s: %zu of %zu secret bytes found on the raw image after the run\n", kind.type,
                kind.may_zero_journal ? "" : " without the journal checkpoint", left, planted.secret_bytes);
    // Each line is the truth: where one is shown, the old data is there.
    if (kind.risk) {
      EXPECT_GT(left, 0u) << kind.type << ": the old blocks were expected to stay";
    } else {
      EXPECT_EQ(left, 0u) << kind.type;
    }
  }
}

// ---- Free space ------------------------------------------------------------

// Files a user deleted with a plain `rm` long ago: no list reaches them, a
// free-space wipe does.
struct DeletedSecrets {
  SecretScanner scanner;
  std::size_t secret_bytes = 0;
  std::vector<std::pair<std::string, Bytes>> kept;  // other files, byte for byte

  void Plant(LoopFs& fs, unsigned seed) {
    MakeDir(fs / "keep");
    for (auto [name, size] : {std::pair{"keep/a", 100 << 10}, std::pair{"keep/b", 3 << 10},
                              std::pair{"big", 2 << 20}}) {
      Bytes bytes = RandomBytes(static_cast<std::size_t>(size), seed++);
      WriteFile(fs / name, bytes);
      kept.emplace_back(fs / name, bytes);
    }
    for (std::size_t size : {std::size_t{4} << 20, std::size_t{3} << 10}) {
      std::string path = fs / UniqueName("gone");
      Bytes secret = RandomBytes(size, seed++);
      WriteFile(path, secret);
      scanner.AddSecret(secret);
      secret_bytes += size;
      ::sync();
      EXPECT_EQ(::unlink(path.c_str()), 0);  // what `rm` does: nothing more
    }
    ::sync();
  }
  void ExpectKeptUnchanged() const {
    for (const auto& [path, bytes] : kept) EXPECT_EQ(ReadFile(path), bytes) << path;
  }
};

std::uint64_t FreeBlocksOf(const std::string& path, std::uint64_t* block = nullptr) {
  struct statvfs fs {};
  EXPECT_EQ(::statvfs(path.c_str(), &fs), 0);
  if (block) *block = fs.f_frsize;
  return fs.f_bfree;
}

// The free blocks of the file system at `path` once its background work is
// done: XFS frees the blocks (and inode chunks) of removed files seconds
// later, and a read-only remount waits for that work, as the user's next
// look at the disk a moment later would find it done.
std::uint64_t SettledFreeBlocksOf(const std::string& path, std::uint64_t* block = nullptr) {
  ::sync();
  for (const char* mode : {"remount,ro", "remount,rw"})
    EXPECT_EQ(std::system(("mount -o " + std::string(mode) + " '" + path + "'").c_str()), 0) << mode;
  return FreeBlocksOf(path, block);
}

struct FreeSpaceKind {
  const char* type;
  std::size_t megabytes;  // XFS will not make a file system under 300 MiB
};

class ForensicFreeSpace : public ::testing::TestWithParam<FreeSpaceKind> {};

TEST_P(ForensicFreeSpace, SecretDeletedWithUnlinkIsGoneAndTheRestIsAsBefore) {
  LoopFs fs;
  if (std::string why = fs.Mount(GetParam().megabytes, GetParam().type); !why.empty())
    GTEST_SKIP() << "skipped: " << why;
  DeletedSecrets planted;
  planted.Plant(fs, 500);
  std::uint64_t block = 0;
  const std::uint64_t free_before = SettledFreeBlocksOf(fs.root(), &block);

  FreeSpaceResult result;
  {
    FreeSpaceTarget target = PrepareFreeSpaceWipe(fs.root());
    ASSERT_EQ(target.refusal, FreeSpaceRefusal::None);
    EXPECT_EQ(target.mount_point, fs.root());
    result = WipeFreeSpace(target, NoRunControl(), {.privileged = true});
  }
  EXPECT_EQ(result.end, FreeSpaceEnd::Wiped);
  EXPECT_TRUE(result.fill_removed);
  EXPECT_FALSE(HoldsFillFolder(fs.root()));
  EXPECT_GE(result.overwritten, result.free_at_start * 9 / 10);
  const std::uint64_t free_after = SettledFreeBlocksOf(fs.root());
  EXPECT_LE(free_before > free_after ? free_before - free_after : free_after - free_before, 16u)
      << "free blocks before " << free_before << ", after " << free_after;
  planted.ExpectKeptUnchanged();

  fs.Unmount();
  // Only the blocks the file system held back from every writer can still
  // hold a byte of the secret; the box says how much that was.
  const std::size_t survived = planted.scanner.FoundBytes(fs.Raw());
  std::printf("%s: %llu of %llu free bytes overwritten, %llu held back by the file system; %zu of %zu secret "
              "bytes survive\n",
              GetParam().type, static_cast<unsigned long long>(result.overwritten),
              static_cast<unsigned long long>(free_before * block),
              static_cast<unsigned long long>(result.held_back), survived, planted.secret_bytes);
  RecordProperty("secret_bytes_surviving", static_cast<int>(survived));
  EXPECT_LE(survived, result.held_back) << "bytes of the deleted secret outside what was held back";
  // ext4's reserve is filled; what XFS holds back is discarded, and the
  // loop device discards by punching holes in the image: it reads as zeros.
  if (result.held_back > 64 << 10) {
    EXPECT_TRUE(result.free_discarded);
  }
  if (result.free_discarded) {
    EXPECT_EQ(survived, 0u) << "bytes of the deleted secret survive a discard";
  }
  // XFS keeps 5 % of the whole file system (7 % of this one's free space),
  // which only a discard reaches; ext4's reserve is filled.
  EXPECT_LE(result.held_back, free_before * block / (GetParam().type == std::string("xfs") ? 10 : 1000))
      << "more held back than a file system's own reserve";
}

INSTANTIATE_TEST_SUITE_P(FileSystems, ForensicFreeSpace,
                         ::testing::Values(FreeSpaceKind{"ext4", 64}, FreeSpaceKind{"ext4-nojournal", 64},
                                           FreeSpaceKind{"xfs", 320}),
                         [](const auto& row_info) {
                           std::string name = row_info.param.type;
                           std::replace(name.begin(), name.end(), '-', '_');
                           return name;
                         });

// An ordinary user fills what is theirs: on ext4, the blocks kept for the
// administrator (5 % by default) stay as they were, and whatever of the
// secret lies in them survives. The box says so; this measures how much.
TEST(ForensicFreeSpaceUnprivileged, TheReserveIsNotReachedAndTheBoxSaysSo) {
  LoopFs fs;
  if (std::string why = fs.Mount(64, "ext4"); !why.empty()) GTEST_SKIP() << "skipped: " << why;
  DeletedSecrets planted;
  planted.Plant(fs, 900);
  MakeDir(fs / "open", 0777);
  ASSERT_EQ(::chmod((fs / "open").c_str(), 0777), 0);
  // The image's own temporary folder is private: let nobody pass through.
  const std::string above = fs.root().substr(0, fs.root().rfind('/'));
  ASSERT_EQ(::chmod(above.c_str(), 0711), 0);
  const std::uint64_t free_before = FreeBlocksOf(fs.root());

  // The engine in a process of its own that is nobody.
  int pipe_fds[2];
  ASSERT_EQ(::pipe(pipe_fds), 0);
  pid_t child = ::fork();
  if (child == 0) {
    ::close(pipe_fds[0]);
    if (::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(3);
    FreeSpaceTarget target = PrepareFreeSpaceWipe(fs / "open");
    if (target.refusal != FreeSpaceRefusal::None) ::_exit(4);
    FreeSpaceResult r = WipeFreeSpace(target, NoRunControl());
    ssize_t n = ::write(pipe_fds[1], &r, sizeof r);
    ::_exit(n == static_cast<ssize_t>(sizeof r) ? 0 : 5);
  }
  ::close(pipe_fds[1]);
  FreeSpaceResult result;
  ssize_t got = ::read(pipe_fds[0], &result, sizeof result);
  ::close(pipe_fds[0]);
  int status = 0;
  ::waitpid(child, &status, 0);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "child status " << status;
  ASSERT_EQ(got, static_cast<ssize_t>(sizeof result));
  EXPECT_EQ(result.end, FreeSpaceEnd::ReservedNotReached);
  EXPECT_TRUE(result.fill_removed);
  EXPECT_FALSE(HoldsFillFolder(fs / "open"));
  const std::uint64_t free_after = FreeBlocksOf(fs.root());
  EXPECT_LE(free_before > free_after ? free_before - free_after : free_after - free_before, 16u);
  planted.ExpectKeptUnchanged();

  fs.Unmount();
  const std::size_t survived = planted.scanner.FoundBytes(fs.Raw());
  std::printf("an ordinary user on ext4 with 5%% reserved: %zu of %zu secret bytes survive\n", survived,
              planted.secret_bytes);
  RecordProperty("secret_bytes_surviving_unprivileged", static_cast<int>(survived));
  // At most what the reserve can hold.
  EXPECT_LE(survived, (std::size_t{64} << 20) / 20);
}

// Btrfs lists a folder as it was when opened: the fill must still go.
TEST(ForensicFreeSpaceBtrfs, TheFillIsGoneAfterwards) {
  LoopFs fs;
  if (std::string why = fs.Mount(128, "btrfs"); !why.empty()) GTEST_SKIP() << "skipped: " << why;
  FreeSpaceTarget target = PrepareFreeSpaceWipe(fs.root());
  const FreeSpaceResult result = WipeFreeSpace(target, NoRunControl(), {.privileged = true});
  EXPECT_EQ(result.end, FreeSpaceEnd::Wiped);
  EXPECT_TRUE(result.fill_removed);
  EXPECT_FALSE(HoldsFillFolder(fs.root()));
}

// Killed while ext4's reserve is lowered: the watchdog puts it back.
TEST(ForensicFreeSpaceKilled, Ext4sReserveIsBackAfterSigkill) {
  LoopFs fs;
  if (std::string why = fs.Mount(64, "ext4"); !why.empty()) GTEST_SKIP() << "skipped: " << why;
  const int root = ::open(fs.root().c_str(), O_RDONLY | O_DIRECTORY);
  unsigned long long saved = 0, now = 0;
  ASSERT_TRUE(Ext4ReserveOf(root, saved));
  ASSERT_GT(saved, 0u);
  pid_t child = ::fork();
  if (child == 0) {
    SysCalls calls = Sys();
    calls.pwrite = [](int fd, const void* buf, size_t count, off_t at) -> ssize_t {
      const ssize_t done = ::pwrite(fd, buf, count, at);
      if (PathOfFd(fd).starts_with("/sys/fs/ext4/") && count == 2 && std::memcmp(buf, "0\n", 2) == 0) ::raise(SIGKILL);
      return done;
    };
    ScopedSysCalls seam(calls);
    FreeSpaceTarget target = PrepareFreeSpaceWipe(fs.root());
    WipeFreeSpace(target, NoRunControl(), {.privileged = true});
    ::_exit(0);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << "not killed while lowered";
  for (int i = 0; i < 1000 && (!Ext4ReserveOf(root, now) || now != saved); ++i) ::usleep(10000);
  EXPECT_EQ(now, saved);
  ::close(root);
}

}  // namespace
}  // namespace velmora::testing
