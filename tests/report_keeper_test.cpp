// SPDX-License-Identifier: GPL-3.0-or-later
// The report keeper: a new private file per report, the old one shredded,
// a foreign note.txt never touched, a killed session's report destroyed at
// the next start, and the report never in a system folder.
#include "report/report_keeper.h"

#include <gtest/gtest.h>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "run/shred_run.h"
#include "support/capture.h"
#include "support/fixed_host.h"
#include "support/memory_record.h"
#include "support/temp_dir.h"
#include "support/tree_snapshot.h"

namespace velmora::testing {
namespace {

// A record in a file, so a child process (a session that gets killed) and
// the next session share it.
class FileRecord : public ReportRecordStore {
 public:
  explicit FileRecord(std::string path) : path_(std::move(path)) {}
  std::string Read() override { return Exists(path_) ? ReadText(path_) : ""; }
  bool Write(const std::string& record) override {
    if (refuse) return false;
    WriteText(path_, record);
    return true;
  }
  bool refuse = false;  // a settings file that can no longer be written

 private:
  std::string path_;
};

std::vector<std::string> Names(const std::string& folder) {
  std::vector<std::string> names;
  if (DIR* d = ::opendir(folder.c_str())) {
    while (struct dirent* e = ::readdir(d))
      if (std::string(e->d_name) != "." && std::string(e->d_name) != "..") names.push_back(e->d_name);
    ::closedir(d);
  }
  std::sort(names.begin(), names.end());
  return names;
}

// A test name from a row's words: letters and digits, the rest "_".
std::string Words(const char* words) {
  std::string name = words;
  for (char& c : name)
    if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
  return name;
}
std::string RowName(const ::testing::TestParamInfo<const char*>& info) { return Words(info.param); }

std::string Repeat(const std::string& text, int times) {
  std::string out;
  for (int i = 0; i < times; ++i) out += text;
  return out;
}

struct stat Look(const std::string& path) {
  struct stat st {};
  ::lstat(path.c_str(), &st);
  return st;
}

const std::string kFirst = "Velmora\r\n07/12/2026\r\n09:41\r\n\r\n... /home/u/first-secret-name.pdf\r\n";
const std::string kSecond = "Velmora\r\n07/12/2026\r\n09:42\r\n\r\n... /home/u/second.txt\r\n";

class Keeper : public ::testing::Test {
 protected:
  Keeper() { MakeDir(dir / "prog"); }

  ReportPlaces Places(uid_t user = ::geteuid()) { return {dir / "prog", dir / "state/velmora", user}; }

  // What the engine leaves of a report of `text` just before its name goes.
  Bytes Cover(const std::string& text) { return ExpectedCover(0, text.size(), FsBlock(dir / "prog")); }

  TempDir dir;
  MemoryRecord record;
  const std::string beside = dir / "prog/note.txt";
  const std::string in_state = dir / "state/velmora/note.txt";
};

TEST_F(Keeper, RunWritesTheExactReportBesideTheProgramAsAPrivateFileAndNothingElse) {
  ReportKeeper keeper(Places(), record);
  WriteFile(dir / "a.txt", Bytes(10, 1));
  FixedHost host;
  ShredRunResult result = RunShred(AtPosition(ShredOptions{}, 2), {{dir / "a.txt", "a.txt"}}, keeper, host);
  EXPECT_TRUE(result.report_written);
  EXPECT_EQ(ReadText(beside), ShreddedReport("Ones and Zeros", 3, {dir / "a.txt"}));
  EXPECT_EQ(Look(beside).st_mode & 0777, 0600u);
  EXPECT_EQ(Names(dir / "prog"), std::vector<std::string>{"note.txt"});
  EXPECT_FALSE(Exists(dir / "state"));
  EXPECT_EQ(keeper.Path(), beside);
  // The record knows the very file, change time included.
  std::vector<ReportIdentity> own = ParseReportRecord(record.text);
  ASSERT_EQ(own.size(), 1u);
  struct stat st = Look(beside);
  EXPECT_EQ(own[0], (ReportIdentity{beside, st.st_dev, st.st_ino, st.st_ctim.tv_sec, st.st_ctim.tv_nsec, true}));
}

TEST_F(Keeper, SecondReportReplacesTheFirstWhichIsOverwrittenBeforeItsNameGoes) {
  ReportKeeper keeper(Places(), record);
  ASSERT_TRUE(keeper.Write(kFirst));
  CaptureRemovals capture;
  ASSERT_TRUE(keeper.Write(kSecond));
  EXPECT_EQ(ReadText(beside), kSecond);
  EXPECT_EQ(Names(dir / "prog"), std::vector<std::string>{"note.txt"});
  ASSERT_EQ(capture.removed_files.size(), 1u);
  EXPECT_EQ(capture.removed_files[0], Cover(kFirst));
  EXPECT_EQ(ParseReportRecord(record.text).size(), 1u);
}

TEST_F(Keeper, EveryDeletionOverwritesTheReportAndAMissingOneIsNoFailure) {
  ReportKeeper keeper(Places(), record);
  ASSERT_TRUE(keeper.Write(kFirst));
  CaptureRemovals capture;
  EXPECT_TRUE(keeper.Delete());
  EXPECT_EQ(Names(dir / "prog"), std::vector<std::string>{});
  ASSERT_EQ(capture.removed_files.size(), 1u);
  EXPECT_EQ(capture.removed_files[0], Cover(kFirst));
  EXPECT_EQ(record.text, "");
  EXPECT_TRUE(keeper.Delete());
  EXPECT_EQ(capture.removals, 1);
}

// ---- A note.txt the program did not write ---------------------------------

// What stands at note.txt beside the program before Velmora ever ran.
class ForeignNote : public Keeper, public ::testing::WithParamInterface<const char*> {
 protected:
  void Plant() {
    WriteText(dir / "diary", "dear diary");
    const std::string kind = GetParam();
    if (kind == "plain file") WriteText(beside, "my own notes");
    if (kind == "hard link to a diary") {
      ASSERT_EQ(::link((dir / "diary").c_str(), beside.c_str()), 0);
    }
    if (kind == "symlink to a diary") {
      ASSERT_EQ(::symlink((dir / "diary").c_str(), beside.c_str()), 0);
    }
    if (kind == "dangling symlink") {
      ASSERT_EQ(::symlink((dir / "nowhere").c_str(), beside.c_str()), 0);
    }
    if (kind == "FIFO") {
      ASSERT_EQ(::mkfifo(beside.c_str(), 0644), 0);
    }
    if (kind == "folder") MakeDir(beside);
    if (kind.compare(0, 6, "record") == 0) PlantRecord(kind);
    ASSERT_TRUE(Exists(beside));
    prog_before = Snapshot(dir / "prog");
    inode_before = Look(beside).st_ino;
  }
  // A record that names, with its true identity, a file the keeper would
  // never have written (a settings file from another machine, a backup,
  // another program), beside the user's own note.txt.
  void PlantRecord(const std::string& kind) {
    WriteText(beside, "my own notes");
    if (kind == "record naming a diary") victim = dir / "diary";
    if (kind == "record naming a note txt in a folder below the program s") victim = dir / "prog/sub/note.txt";
    if (kind == "record naming another file beside the program") victim = dir / "prog/diary.txt";
    const bool kept_temporary = kind == "record naming a temporary file the user keeps under a second name";
    if (kept_temporary) victim = dir / "prog/.note-AbCdEfGhIj";
    if (victim == dir / "prog/sub/note.txt") MakeDir(dir / "prog/sub");
    if (victim != beside) WriteText(victim, "dear diary");
    if (kept_temporary) {
      ASSERT_EQ(::link(victim.c_str(), (dir / "kept.txt").c_str()), 0);
    }
    struct stat st = Look(victim);
    ReportIdentity id{victim, st.st_dev, st.st_ino, st.st_ctim.tv_sec, st.st_ctim.tv_nsec, true};
    if (kind == "record naming the user s note txt as a temporary file" || kept_temporary) id.in_place = false;
    if (kind == "record naming the user s note txt behind an encoded NUL") id.path += std::string("\0.x", 3);
    record.text = FormatReportRecord({id});
    if (kind == "record of nine entries naming the user s note txt") record.text = Repeat(record.text, 9);
    if (kind == "record over 64 KiB naming the user s note txt") record.text += std::string(64 * 1024, 'x') + "\n";
    if (kind == "record naming a temporary file whose inode the user s note txt took") {
      // Born at another instant: a killed session's file renamed into place
      // would carry the very birth time recorded.
      struct statx x;
      ASSERT_EQ(::statx(AT_FDCWD, beside.c_str(), 0, STATX_BTIME, &x), 0);
      ASSERT_TRUE(x.stx_mask & STATX_BTIME) << "this file system keeps no birth times";
      id = {dir / "prog/.note-AbCdEfGhIj", st.st_dev, st.st_ino, 0, 0, false, true, x.stx_btime.tv_sec,
            (x.stx_btime.tv_nsec + 1) % 1000000000};
      record.text = FormatReportRecord({id});
    }
  }
  void ExpectUntouched() {
    EXPECT_EQ(Snapshot(dir / "prog"), prog_before);
    EXPECT_EQ(Look(beside).st_ino, inode_before);
    EXPECT_EQ(ReadText(dir / "diary"), "dear diary");
    if (victim != beside) {
      EXPECT_EQ(ReadText(victim), "dear diary");
    }
    EXPECT_FALSE(Exists(dir / "nowhere"));
  }
  TreeSnapshot prog_before;
  ino_t inode_before = 0;
  std::string victim = beside;  // what a planted record names
};

TEST_P(ForeignNote, IsNeverWrittenNorDeletedAndTheReportGoesToTheStateFolder) {
  Plant();
  ReportKeeper keeper(Places(), record);
  EXPECT_TRUE(keeper.Delete());  // start
  ExpectUntouched();
  EXPECT_EQ(record.text, "") << "the record still names a file not the keeper's";
  EXPECT_EQ(keeper.Path(), in_state);
  {
    CaptureRemovals capture;
    ASSERT_TRUE(keeper.Write(kFirst));
    EXPECT_EQ(capture.removals, 0) << "a report was tried beside the program";
  }
  ASSERT_TRUE(keeper.Write(kSecond));
  ExpectUntouched();
  EXPECT_EQ(ReadText(in_state), kSecond);
  EXPECT_EQ(Names(dir / "state/velmora"), std::vector<std::string>{"note.txt"});
  EXPECT_EQ(Look(dir / "state/velmora").st_mode & 0777, 0700u);
  EXPECT_EQ(keeper.Path(), in_state);
  EXPECT_TRUE(keeper.Delete());  // exit
  ExpectUntouched();
  EXPECT_FALSE(Exists(in_state));
  ReportKeeper next_session(Places(), record);
  EXPECT_TRUE(next_session.Delete());
  ExpectUntouched();
}

INSTANTIATE_TEST_SUITE_P(EveryKind, ForeignNote,
                         ::testing::Values("plain file", "hard link to a diary", "symlink to a diary",
                                           "dangling symlink", "FIFO", "folder", "record naming a diary",
                                           "record naming a note txt in a folder below the program s",
                                           "record naming another file beside the program",
                                           "record naming the user s note txt as a temporary file",
                                           "record naming the user s note txt behind an encoded NUL",
                                           "record of nine entries naming the user s note txt",
                                           "record over 64 KiB naming the user s note txt",
                                           "record naming a temporary file whose inode the user s note txt took",
                                           "record naming a temporary file the user keeps under a second name"),
                         RowName);

// ---- A report of ours that someone changed after it was written -----------

class ChangedReport : public Keeper, public ::testing::WithParamInterface<const char*> {};

TEST_P(ChangedReport, IsNotOursAnyMoreAndIsLeftAsItIs) {
  ReportKeeper keeper(Places(), record);
  ASSERT_TRUE(keeper.Write(kFirst));
  const std::string change = GetParam();
  if (change == "kept under a second name") {
    ASSERT_EQ(::link(beside.c_str(), (dir / "kept.txt").c_str()), 0);
  }
  if (change == "replaced by the user's file") {
    ASSERT_EQ(::rename(beside.c_str(), (dir / "old").c_str()), 0);
    WriteText(beside, "the user's own");
  }
  if (change == "made read-only") {
    ASSERT_EQ(::chmod(beside.c_str(), 0400), 0);
  }
  auto before = Snapshot(dir / "prog");
  if (change == "kept under a second name as it is opened") {
    // Between the keeper's look at the file and its open for writing.
    static std::string keep_from, keep_as;
    keep_from = beside;
    keep_as = dir / "kept.txt";
    SysCalls calls = Sys();
    calls.openat = [](int dirfd, const char* path, int flags, mode_t mode) -> int {
      if ((flags & O_ACCMODE) == O_RDONLY) return ::openat(dirfd, path, flags, mode);  // its folder
      if (!keep_from.empty()) ::linkat(dirfd, path, AT_FDCWD, keep_as.c_str(), 0);
      keep_from.clear();
      return ::openat(dirfd, path, flags, mode);
    };
    ScopedSysCalls scope(calls);
    keeper.Delete();
    before = Snapshot(dir / "prog");
    EXPECT_EQ(Look(beside).st_nlink, 2u);
  } else {
    EXPECT_TRUE(keeper.Delete());
  }
  EXPECT_EQ(Snapshot(dir / "prog"), before);
  EXPECT_EQ(ReadText(beside), change == "replaced by the user's file" ? "the user's own" : kFirst);
  if (change.find("kept under a second name") == 0) {
    EXPECT_EQ(ReadText(dir / "kept.txt"), kFirst);
  }
  // The next report goes where it cannot meet that file.
  ASSERT_TRUE(keeper.Write(kSecond));
  EXPECT_EQ(Snapshot(dir / "prog"), before);
  EXPECT_EQ(ReadText(in_state), kSecond);
}

INSTANTIATE_TEST_SUITE_P(EveryChange, ChangedReport,
                         ::testing::Values("kept under a second name", "replaced by the user's file",
                                           "made read-only", "kept under a second name as it is opened"),
                         RowName);

// ---- A session that was killed ------------------------------------------

// The temporary name a report had before its rename.
std::string g_renamed_from;

// A child process writes a report and dies at the chosen moment; the next
// session, with the same record, must destroy what it left.
class KilledSession : public Keeper, public ::testing::WithParamInterface<const char*> {
 protected:
  void KillWhileWriting(FileRecord& file_record) {
    const std::string when = GetParam();
    pid_t child = ::fork();
    if (child == 0) {
      SysCalls calls = Sys();
      // Renaming into place is the first rename of a first report.
      if (when == "while its bytes are written")
        calls.pwrite = [](int, const void*, size_t, off_t) -> ssize_t { ::_exit(0); };
      if (when == "before its rename")
        calls.rename_noreplace = [](int, const char*, int, const char*) -> int { ::_exit(0); };
      if (when == "after its rename before the record is saved")
        calls.rename_noreplace = [](int olddirfd, const char* oldpath, int newdirfd, const char* newpath) -> int {
          ::renameat2(olddirfd, oldpath, newdirfd, newpath, RENAME_NOREPLACE);
          ::_exit(0);
        };
      // The folder's sync after the rename is the first fsync of a first report.
      if (when == "during the folder sync") calls.fsync = [](int) -> int { ::_exit(0); };
      if (when == "between its link and the removal of its temporary name") {
        // A file system without RENAME_NOREPLACE.
        calls.rename_noreplace = [](int, const char*, int, const char*) -> int { return Fail(EINVAL); };
        calls.linkat = [](int olddirfd, const char* oldpath, int newdirfd, const char* newpath, int flags) -> int {
          ::linkat(olddirfd, oldpath, newdirfd, newpath, flags);
          ::_exit(0);
        };
      }
      if (when == "after a failed folder sync and a power cut") {
        calls.fsync = [](int) -> int { return Fail(EIO); };
        calls.rename_noreplace = [](int olddirfd, const char* oldpath, int newdirfd, const char* newpath) -> int {
          g_renamed_from = oldpath;
          return ::renameat2(olddirfd, oldpath, newdirfd, newpath, RENAME_NOREPLACE);
        };
      }
      // The report's own sync is the first; the second is its overwrite's.
      if (when == "while it is overwritten at the way out")
        calls.fdatasync = [](int fd) -> int {
          static int syncs = 0;
          if (++syncs == 2) ::_exit(0);
          return ::fdatasync(fd);
        };
      // A first report's first removal is its own.
      if (when == "while it is removed at the way out")
        calls.unlinkat = [](int, const char*, int) -> int { ::_exit(0); };
      ScopedSysCalls scope(calls);
      ReportKeeper keeper(Places(), file_record);
      keeper.Write(kFirst);
      if (when == "while a second is written once the record cannot be stored") {
        // A full disk, or a settings file left to root by a run under sudo.
        file_record.refuse = true;
        SysCalls dying = Sys();
        dying.pwrite = [](int, const void*, size_t, off_t) -> ssize_t { ::_exit(0); };
        ScopedSysCalls dying_scope(dying);
        keeper.Write(kSecond);
      }
      if (when.find("at the way out") != std::string::npos) keeper.Delete();
      if (when == "after a failed folder sync and a power cut") {
        // The rename never reached the disk.
        ::rename(beside.c_str(), (dir / ("prog/" + g_renamed_from)).c_str());
      }
      ::_exit(0);  // no way out runs
    }
    int status = 0;
    ::waitpid(child, &status, 0);
  }
};

TEST_P(KilledSession, LeftoverIsShreddedAtTheNextStart) {
  FileRecord file_record(dir / "record");
  KillWhileWriting(file_record);
  const std::size_t names = Names(dir / "prog").size();  // two while linked into place
  ASSERT_GE(names, 1u);
  WriteText(dir / "prog/someone-elses.txt", "stays");

  CaptureRemovals capture;
  ReportKeeper next_session(Places(), file_record);
  EXPECT_TRUE(next_session.Delete());
  EXPECT_EQ(Names(dir / "prog"), std::vector<std::string>{"someone-elses.txt"});
  // One removal per name; the last name goes only once the data is covered.
  ASSERT_EQ(capture.removed_files.size(), names);
  EXPECT_EQ(capture.removed_files.back(), Cover(kFirst));
  EXPECT_EQ(file_record.Read(), "");
}

TEST_P(KilledSession, LeftoverTheUserKeptUnderASecondNameIsLeft) {
  FileRecord file_record(dir / "record");
  KillWhileWriting(file_record);
  std::vector<std::string> left = Names(dir / "prog");
  ASSERT_GE(left.size(), 1u);
  ASSERT_EQ(::link((dir / ("prog/" + left[0])).c_str(), (dir / "kept.txt").c_str()), 0);
  const std::string kept = ReadText(dir / "kept.txt");
  // Not even opened for writing: the keeper sees the second name first.
  static int opened_for_writing;
  opened_for_writing = 0;
  SysCalls calls = Sys();
  calls.openat = [](int dirfd, const char* path, int flags, mode_t mode) -> int {
    if ((flags & O_ACCMODE) != O_RDONLY) ++opened_for_writing;
    return ::openat(dirfd, path, flags, mode);
  };
  {
    ScopedSysCalls scope(calls);
    ReportKeeper next_session(Places(), file_record);
    next_session.Delete();
  }
  EXPECT_EQ(opened_for_writing, 0);
  EXPECT_EQ(Names(dir / "prog"), left);
  EXPECT_EQ(ReadText(dir / "kept.txt"), kept);
}

INSTANTIATE_TEST_SUITE_P(EveryMoment, KilledSession,
                         ::testing::Values("in place", "before its rename", "while its bytes are written",
                                           "after its rename before the record is saved", "during the folder sync",
                                           "between its link and the removal of its temporary name",
                                           "after a failed folder sync and a power cut",
                                           "while it is overwritten at the way out",
                                           "while it is removed at the way out",
                                           "while a second is written once the record cannot be stored"),
                         RowName);

// ---- Where it goes ---------------------------------------------------------

struct Place {
  const char* what;
  std::string program_folder;  // relative to the test's folder unless absolute
  bool other_user;
  bool beside;
};

class ReportPlace : public Keeper, public ::testing::WithParamInterface<Place> {};

TEST_P(ReportPlace, BesideTheProgramOnlyInAFolderOfTheUsersOwnOutsideTheSystem) {
  const Place& p = GetParam();
  MakeDir(dir / "sub");
  ASSERT_EQ(::symlink("/usr/bin", (dir / "link-to-usr-bin").c_str()), 0);
  ASSERT_EQ(::symlink((dir / "prog").c_str(), (dir / "link-to-prog").c_str()), 0);
  const std::string program = p.program_folder[0] == '/' ? p.program_folder : dir / p.program_folder;
  ReportPlaces places{program, dir / "state/velmora", ::geteuid() + (p.other_user ? 1 : 0)};
  ReportKeeper keeper(places, record);
  EXPECT_EQ(keeper.Path(), p.beside ? ReportPathIn(program) : in_state) << p.what;
  // Only folders of the test's own are written to.
  if (program.compare(0, dir.path().size(), dir.path()) != 0 || p.program_folder.find("link") != std::string::npos)
    return;
  auto before = Snapshot(program);
  ASSERT_TRUE(keeper.Write(kFirst));
  EXPECT_EQ(ReadText(p.beside ? ReportPathIn(program) : in_state), kFirst);
  if (!p.beside) {
    EXPECT_EQ(Snapshot(program), before);
  }
}

INSTANTIATE_TEST_SUITE_P(
    EveryPlace, ReportPlace,
    ::testing::Values(Place{"a build tree of the user's own", "prog", false, true},
                      Place{"a folder below it", "sub", false, true},
                      Place{"a link to a folder of the user s own", "link-to-prog", false, false},
                      Place{"a folder owned by someone else", "prog", true, false},
                      Place{"a link to /usr/bin", "link-to-usr-bin", false, false},
                      Place{"usr bin", "/usr/bin", false, false}, Place{"usr local bin", "/usr/local/bin", false, false},
                      Place{"opt", "/opt", false, false}, Place{"etc", "/etc", false, false},
                      Place{"the root folder", "/", false, false}),
    [](const auto& info) { return Words(info.param.what); });

// ---- Faults ----------------------------------------------------------------

TEST_F(Keeper, FailedWriteLeavesNoPartialFileAndNoStaleReport) {
  ReportKeeper keeper(Places(), record);
  ASSERT_TRUE(keeper.Write(kFirst));
  // The disk beside the program is full for the new report's bytes; the
  // state folder, on another disk, is not.
  {
    CaptureRemovals capture;
    ScopedSysCalls scope(DiskFullAtWrite(1));  // on top of the capture's seam
    ASSERT_TRUE(keeper.Write(kSecond));
    // The half-written file and the first report, each overwritten.
    EXPECT_EQ(capture.removed_files.size(), 2u);
  }
  EXPECT_EQ(ReadText(in_state), kSecond);
  EXPECT_EQ(Names(dir / "state/velmora"), std::vector<std::string>{"note.txt"});
  EXPECT_EQ(Names(dir / "prog"), std::vector<std::string>{});
  EXPECT_EQ(keeper.Path(), in_state);

  // No file can be made anywhere: no report at all, rather than the
  // previous run's passing for this one's.
  SysCalls no_new_files = Sys();
  no_new_files.openat = [](int dirfd, const char* path, int flags, mode_t mode) -> int {
    if (flags & O_CREAT) return Fail(ENOSPC);
    return ::openat(dirfd, path, flags, mode);
  };
  {
    ScopedSysCalls scope(no_new_files);
    EXPECT_FALSE(keeper.Write(kFirst));
  }
  EXPECT_EQ(Names(dir / "prog"), std::vector<std::string>{});
  EXPECT_EQ(Names(dir / "state/velmora"), std::vector<std::string>{});
  EXPECT_EQ(record.text, "");
}

// Some file systems refuse RENAME_NOREPLACE: a hard link stands in for it,
// and still never replaces what holds the name, even a file the user makes
// between the keeper's look and the rename.
TEST_F(Keeper, WithoutRenameNoReplaceTheReportStillNeverReplacesAnything) {
  static std::string plant_at;
  plant_at.clear();
  SysCalls calls = Sys();
  calls.rename_noreplace = [](int olddirfd, const char* oldpath, int newdirfd, const char* newpath) -> int {
    if (std::string(newpath) != "note.txt") return ::renameat2(olddirfd, oldpath, newdirfd, newpath, RENAME_NOREPLACE);
    if (!plant_at.empty()) WriteText(std::exchange(plant_at, ""), "the user's own");
    return Fail(EINVAL);
  };
  ScopedSysCalls scope(calls);
  ReportKeeper keeper(Places(), record);
  ASSERT_TRUE(keeper.Write(kFirst));
  EXPECT_EQ(ReadText(beside), kFirst);
  EXPECT_EQ(Names(dir / "prog"), std::vector<std::string>{"note.txt"});
  EXPECT_EQ(Look(beside).st_nlink, 1u);

  plant_at = beside;
  ASSERT_TRUE(keeper.Write(kSecond));
  EXPECT_EQ(ReadText(beside), "the user's own");
  EXPECT_EQ(Names(dir / "prog"), std::vector<std::string>{"note.txt"});
  EXPECT_EQ(ReadText(in_state), kSecond);
  EXPECT_TRUE(keeper.Delete());
  EXPECT_EQ(ReadText(beside), "the user's own");
}

TEST(ReportRecord, KeepsAnyPathAndDropsLinesItCannotRead) {
  std::vector<ReportIdentity> own = {{"/home/u/a b/100%\n\xff/note.txt", 2049, 77, 1700000000, 123456789, true},
                                     {"/s/.note-AbC", 2049, 78, 0, 0, false},
                                     {"/s/.note-AbCdEfGhIj", 2049, 79, 0, 0, false, true, 1700000000, 5}};
  std::string text = FormatReportRecord(own);
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 3);
  EXPECT_EQ(ParseReportRecord(text), own);
  EXPECT_EQ(ParseReportRecord("note 1 2 x 3 /a\ntemp 1 2 relative\nnote 1 2 3 4 /a extra\njunk\n"
                              "temp 1 2 /a%4\nnote 1 2 3 4 /a/note.txt%00.x\ntemp 1 2 /a%2F.note-AbCdEfGhIj\n"),
            std::vector<ReportIdentity>{});
  // Eight entries at most: the newest are written, and more is garbage.
  std::vector<ReportIdentity> nine;
  for (int i = 0; i < 9; ++i) nine.push_back({"/s/note.txt", 1, static_cast<ino_t>(i), 0, 0, true});
  EXPECT_EQ(ParseReportRecord(FormatReportRecord(nine)), std::vector<ReportIdentity>(nine.begin() + 1, nine.end()));
  EXPECT_EQ(ParseReportRecord(Repeat(FormatReportRecord({nine[0]}), 9)), std::vector<ReportIdentity>{});
  // The one temporary name the keeper gives, and nothing like it.
  EXPECT_TRUE(IsTemporaryReportName(NewTemporaryReportName()));
  for (const char* name : {".note-AbCdEfGhI", ".note-AbCdEfGhIjK", ".note-AbCdE.GhIj", "xnote-AbCdEfGhIj"})
    EXPECT_FALSE(IsTemporaryReportName(name)) << name;
}

}  // namespace
}  // namespace velmora::testing
