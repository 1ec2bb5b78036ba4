// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/report_keeper.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <cerrno>
#include <utility>

#include "engine/fill_pattern.h"
#include "engine/wipe_file.h"
#include "fs/name_scrub.h"
#include "fs/path_text.h"
#include "fs/remove_entry.h"
#include "fs/unique_fd.h"
#include "platform/sys_calls.h"
#include "report/report_location.h"

namespace velmora {
namespace {

// Whether the record's entry names one of the keeper's own files: note.txt
// (once renamed into place) or a temporary name (before), directly inside
// one of the folders the keeper would use now. Whatever else a record says
// (a settings file from another machine, a backup, another program) is
// dropped unread: inode numbers are reused, so an identity alone proves
// nothing about a file the keeper would never have written.
bool NamesOwnReport(const ReportIdentity& id, const std::vector<std::string>& folders) {
  for (const std::string& folder : folders) {
    const std::string prefix = JoinPath(folder, "");
    if (id.path.size() <= prefix.size() || id.path.compare(0, prefix.size(), prefix) != 0) continue;
    const std::string name = id.path.substr(prefix.size());
    // The state folder may lie below the program's.
    if (id.in_place ? name == kReportFileName : IsTemporaryReportName(name)) return true;
  }
  return false;
}

// A folder of the keeper's, never through a link planted at its name.
int OpenReportFolder(const std::string& folder) {
  return RetryOnEintr([&] {
    return Sys().openat(AT_FDCWD, folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC, 0);
  });
}

// ---- One file of ours ----------------------------------------------------

// What the keeper knows a file by. statx, unlike fstat, gives the birth
// time, where the file system keeps one: the one thing that survives a
// rename unchanged and that another file of the same inode number lacks.
struct Look {
  struct stat st {};
  bool has_birth = false;
  std::int64_t birth_sec = 0;
  std::int64_t birth_nsec = 0;
};

bool Convert(int rc, const struct statx& x, Look& out) {
  if (rc != 0) return false;
  out.st = {};
  out.st.st_dev = makedev(x.stx_dev_major, x.stx_dev_minor);
  out.st.st_ino = x.stx_ino;
  out.st.st_mode = x.stx_mode;
  out.st.st_nlink = x.stx_nlink;
  out.st.st_ctim.tv_sec = x.stx_ctime.tv_sec;
  out.st.st_ctim.tv_nsec = x.stx_ctime.tv_nsec;
  out.has_birth = (x.stx_mask & STATX_BTIME) != 0;
  out.birth_sec = out.has_birth ? x.stx_btime.tv_sec : 0;
  out.birth_nsec = out.has_birth ? x.stx_btime.tv_nsec : 0;
  return true;
}

constexpr unsigned kLookMask = STATX_TYPE | STATX_MODE | STATX_NLINK | STATX_INO | STATX_CTIME | STATX_BTIME;

// `name` in `dirfd`, never through a link. False with errno set.
bool LookAt(int dirfd, const char* name, Look& out) {
  struct statx x;
  return Convert(Sys().statx(dirfd, name, AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT, kLookMask, &x), x, out);
}

bool LookAtFd(int fd, Look& out) {
  struct statx x;
  return Convert(Sys().statx(fd, "", AT_EMPTY_PATH | AT_SYMLINK_NOFOLLOW, kLookMask, &x), x, out);
}

// A temporary file of ours, recorded before a byte of it is written.
ReportIdentity TemporaryIdentity(const std::string& path, const Look& look) {
  ReportIdentity id{path, look.st.st_dev, look.st.st_ino};
  id.has_birth = look.has_birth;
  id.birth_sec = look.birth_sec;
  id.birth_nsec = look.birth_nsec;
  return id;
}

// One pass of any position covers a file whole; the shortest block is the
// cheapest.
const PassPlan& ReportPattern() {
  static const PassPlan pattern(*PatternForPosition(0));
  return pattern;
}

bool IsInode(const ReportIdentity& id, const Look& look) {
  return S_ISREG(look.st.st_mode) && look.st.st_dev == id.device && look.st.st_ino == id.inode;
}

// Whether `look` is the very file `id` records: the same inode, still with
// one name (a second name is someone keeping it), and for a report in place
// the same change time (any rename, edit, chmod or link since changes it).
bool IsRecordedFile(const ReportIdentity& id, const Look& look) {
  if (!IsInode(id, look) || look.st.st_nlink != 1) return false;
  return !id.in_place || (look.st.st_ctim.tv_sec == id.ctime_sec && look.st.st_ctim.tv_nsec == id.ctime_nsec);
}

// Whether `look`, a note.txt, is the temporary file `id` records, renamed
// into place by a session that died before it could record the rename: the
// same inode, born at the same instant, with one name.
bool IsRenamedReport(const ReportIdentity& id, const Look& look) {
  return !id.in_place && id.has_birth && look.has_birth && IsInode(id, look) && look.st.st_nlink == 1 &&
         look.birth_sec == id.birth_sec && look.birth_nsec == id.birth_nsec;
}

// Where RENAME_NOREPLACE is missing, the report is linked to note.txt and
// then loses its temporary name. A session that died in between left the
// one inode under both names, both ours: the temporary name goes, as that
// session would have done, and `look` becomes the note.txt that stays.
bool DropSecondName(int dirfd, const ReportIdentity& id, const std::string& name, Look& look) {
  Look note;
  if (id.in_place || !IsInode(id, look) || look.st.st_nlink != 2 || !LookAt(dirfd, kReportFileName, note) ||
      !IsInode(id, note))
    return false;
  if (Sys().unlinkat(dirfd, name.c_str(), 0) != 0 || !LookAt(dirfd, kReportFileName, look)) return false;
  return IsInode(id, look) && look.st.st_nlink == 1;
}

enum class OwnFile { Gone, NotOurs, Shredded, Kept };

bool SyncData(int fd) { return RetryOnEintr([fd] { return Sys().fdatasync(fd); }) == 0; }

// Which entry of `dirfd` is the file `id` records, looked at in `seen`: the
// recorded name, or note.txt where a temporary file was renamed into place or
// left there under two names. Nothing when found; otherwise what became of it.
std::optional<OwnFile> FindOwnFile(int dirfd, const ReportIdentity& id, std::string& name, Look& seen) {
  if (!LookAt(dirfd, name.c_str(), seen)) {
    if (errno != ENOENT) return OwnFile::Kept;
    // A temporary file that is gone may have been renamed into place.
    if (id.in_place) return OwnFile::Gone;
    if (!LookAt(dirfd, kReportFileName, seen)) return errno == ENOENT ? OwnFile::Gone : OwnFile::Kept;
    if (!IsRenamedReport(id, seen)) return OwnFile::Gone;  // whatever holds that name is not this file
    name = kReportFileName;
  } else if (!IsRecordedFile(id, seen)) {
    if (!DropSecondName(dirfd, id, name, seen)) return OwnFile::NotOurs;
    name = kReportFileName;
  }
  return std::nullopt;
}

// A report in place gives up its name before it is overwritten, its new
// identity recorded through `moving` first. Refused where RENAME_NOREPLACE
// is missing: it is then shredded under its name.
bool TakeTemporaryName(int dirfd, const std::string& folder, const Look& seen,
                       const std::function<bool(const ReportIdentity&)>& moving, std::string& name) {
  const std::string temporary = NewTemporaryReportName();
  if (!moving(TemporaryIdentity(JoinPath(folder, temporary), seen)) ||
      Sys().rename_noreplace(dirfd, name.c_str(), dirfd, temporary.c_str()) != 0)
    return false;
  name = temporary;
  return true;
}

// The engine's one step, on the very inode looked at, with its one name;
// then the name goes. A file someone turns out to keep gets `own_name` back.
OwnFile OverwriteAndRemove(int dirfd, const std::string& name, const std::string& own_name, ino_t inode,
                           bool scrub) {
  WipePolicy policy;
  policy.create_missing = false;
  policy.expected_inode = inode;
  policy.expected_links = 1;
  struct stat st;
  WipeOutcome outcome = OverwriteAt(dirfd, name, ReportPattern(), policy, st);
  if (outcome == WipeOutcome::Changed || outcome == WipeOutcome::OtherLinks) {
    // Someone keeps it after all: it gets its own name back, if still free.
    if (name != own_name) BestEffort(Sys().rename_noreplace(dirfd, name.c_str(), dirfd, own_name.c_str()));
    return OwnFile::NotOurs;
  }
  if (outcome != WipeOutcome::Shredded) return OwnFile::Kept;
  if (!RemoveExpected(dirfd, name, st, /*is_folder=*/false, scrub)) return OwnFile::Kept;
  // Makes the removal itself durable; the file is gone either way, and a
  // folder that cannot be synced now gives us nothing better to do.
  BestEffort(Sys().fsync(dirfd));
  return OwnFile::Shredded;
}

// The overwrite engine's steps on one recorded file, each on the very inode
// recorded: look, open (checked to be what was looked at), overwrite, force
// to the disk, remove. A report in place first takes a new temporary name,
// its identity recorded through `moving` before the rename: once overwritten
// its change time is no longer the recorded one, and a session killed while
// it is shredded must leave a file the next start still knows. Where that
// identity cannot be stored (`moving` says false), the report keeps its name
// and is shredded under it, known to the record as it was.
OwnFile ShredIfOurs(const ReportIdentity& id, const std::function<bool(const ReportIdentity&)>& moving) {
  std::string folder, name;
  SplitPath(id.path, folder, name);
  UniqueFd dir(OpenReportFolder(folder));
  if (!dir.valid()) return errno == ENOENT || errno == ENOTDIR || errno == ELOOP ? OwnFile::Gone : OwnFile::Kept;
  Look seen;
  if (const std::optional<OwnFile> gone_or_kept = FindOwnFile(dir.get(), id, name, seen)) return *gone_or_kept;

  // The temporary name says nothing: it needs no scrubbing.
  bool scrub = RenameScrubsNamesOn(dir.get());
  const std::string own_name = name;
  if (name == kReportFileName && TakeTemporaryName(dir.get(), folder, seen, moving, name)) scrub = false;
  return OverwriteAndRemove(dir.get(), name, own_name, seen.st.st_ino, scrub);
}

// ---- Writing a new one ---------------------------------------------------

// A new private file under a random name: never an existing entry, never
// through a link.
UniqueFd CreateTemporary(int dirfd, std::string& name) {
  for (int attempt = 0; attempt < 16; ++attempt) {
    name = NewTemporaryReportName();
    int fd = RetryOnEintr([&] {
      return Sys().openat(dirfd, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC, 0600);
    });
    if (fd >= 0 || errno != EEXIST) return UniqueFd(fd);
  }
  return UniqueFd();
}

bool WriteAll(int fd, const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = RetryOnEintr(
        [&] { return Sys().pwrite(fd, bytes.data() + done, bytes.size() - done, static_cast<off_t>(done)); });
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

// Gives the new file the report's name, never replacing whatever holds it.
bool MoveInPlace(int dirfd, const std::string& temporary) {
  if (Sys().rename_noreplace(dirfd, temporary.c_str(), dirfd, kReportFileName) == 0) return true;
  if (errno != EINVAL && errno != ENOSYS) return false;
  // A file system without RENAME_NOREPLACE: a new hard link never replaces
  // an entry either.
  if (Sys().linkat(dirfd, temporary.c_str(), dirfd, kReportFileName, 0) != 0) return false;
  return Sys().unlinkat(dirfd, temporary.c_str(), 0) == 0;
}

}  // namespace

ReportKeeper::ReportKeeper(ReportPlaces places, ReportRecordStore& record)
    : places_(std::move(places)), record_(record) {}

void ReportKeeper::Load() {
  if (loaded_) return;
  loaded_ = true;
  saved_ = record_.Read();
  const std::vector<std::string> folders = ReportFolders(places_.program_folder, places_.state_folder, places_.user);
  for (ReportIdentity& id : ParseReportRecord(saved_))
    if (NamesOwnReport(id, folders)) own_.push_back(std::move(id));
}

bool ReportKeeper::Save() {
  std::vector<ReportIdentity> all = own_;
  if (pending_) all.push_back(*pending_);
  std::string text = FormatReportRecord(all);
  if (text == saved_) return true;
  if (!record_.Write(text)) return false;
  saved_ = text;
  return true;
}

bool ReportKeeper::HoldsForeignReport(int dirfd) {
  Look look;
  if (!LookAt(dirfd, kReportFileName, look)) return errno != ENOENT;
  for (const ReportIdentity& id : own_)
    if (id.in_place && IsRecordedFile(id, look)) return false;
  return true;
}

bool ReportKeeper::ShredOwnIf(const std::function<bool(const ReportIdentity&)>& which) {
  bool all_gone = true;
  const std::size_t listed = own_.size();
  std::vector<bool> gone(listed, false);
  for (std::size_t i = 0; i < listed; ++i) {
    if (!which(own_[i])) continue;
    const ReportIdentity id = own_[i];
    const std::size_t moved_at = own_.size();
    // Known under both names while it moves: whichever it has when a
    // session dies, the next start finds it.
    OwnFile outcome = ShredIfOurs(id, [&](const ReportIdentity& moved) {
      own_.push_back(moved);
      gone.push_back(false);
      return Save();
    });
    if (outcome == OwnFile::Kept) {
      all_gone = false;  // tried again at the next way out or start
      continue;
    }
    for (std::size_t j = moved_at; j < own_.size(); ++j) gone[j] = true;
    gone[i] = true;
  }
  std::vector<ReportIdentity> kept;
  for (std::size_t i = 0; i < own_.size(); ++i)
    if (!gone[i]) kept.push_back(std::move(own_[i]));
  own_ = std::move(kept);
  Save();
  return all_gone;
}

bool ReportKeeper::Write(const std::string& bytes) {
  Load();
  for (const std::string& folder : ReportFolders(places_.program_folder, places_.state_folder, places_.user))
    if (WriteIn(folder, bytes)) return true;
  // No new report: the previous one must not pass for this run's.
  ShredOwnIf([](const ReportIdentity&) { return true; });
  return false;
}

bool ReportKeeper::WriteIn(const std::string& folder, const std::string& bytes) {
  if (folder == places_.state_folder && !MakePrivateFolders(folder)) return false;
  UniqueFd dir(OpenReportFolder(folder));
  if (!dir.valid() || HoldsForeignReport(dir.get())) return false;
  std::string temporary;
  UniqueFd fd = CreateRecordedTemporary(dir.get(), folder, temporary);
  if (!fd.valid()) return false;

  bool ok = WriteAndMoveInPlace(dir.get(), fd.get(), temporary, bytes);
  Look now;
  bool name_durable = false;
  if (ok) {
    // The name, before the record says it is there.
    name_durable = RetryOnEintr([&] { return Sys().fsync(dir.get()); }) == 0;
    ok = LookAtFd(fd.get(), now);
  }
  ReportIdentity written = *std::exchange(pending_, std::nullopt);
  if (!ok) {
    // Shredded right below, whatever its close says.
    BestEffort(fd.Close());
    own_.push_back(written);
    ShredOwnIf([&](const ReportIdentity& id) { return id == written; });
    return false;
  }
  RecordInPlace(folder, written, name_durable, now.st);
  return fd.Close();
}

UniqueFd ReportKeeper::CreateRecordedTemporary(int dirfd, const std::string& folder, std::string& temporary) {
  UniqueFd fd = CreateTemporary(dirfd, temporary);
  if (!fd.valid()) return fd;
  Look created;
  if (!LookAtFd(fd.get(), created)) {
    BestEffort(Sys().unlinkat(dirfd, temporary.c_str(), 0));  // empty, under a random name
    return UniqueFd();
  }
  // Recorded before a byte is written, birth time included: a session
  // killed from here on, even right after the rename below, leaves a file
  // the next start knows as its own.
  pending_ = TemporaryIdentity(JoinPath(folder, temporary), created);
  if (!Save()) {
    // A settings file that cannot be written (a full disk, one left to
    // another user): a session killed from here on would leave a report no
    // start knows. No report, rather than one that may outlive the session.
    pending_.reset();
    BestEffort(Sys().unlinkat(dirfd, temporary.c_str(), 0));  // still empty
    return UniqueFd();
  }
  return fd;
}

bool ReportKeeper::WriteAndMoveInPlace(int dirfd, int fd, const std::string& temporary, const std::string& bytes) {
  if (!WriteAll(fd, bytes) || !SyncData(fd)) return false;
  // The previous report first, so the new one can take its name without
  // replacing anything.
  ShredOwnIf([](const ReportIdentity& id) { return id.in_place; });
  return MoveInPlace(dirfd, temporary);
}

void ReportKeeper::RecordInPlace(const std::string& folder, const ReportIdentity& written, bool name_durable,
                                 const struct stat& now) {
  // A rename that may not have reached the disk can come undone in a crash:
  // the record then keeps knowing the file by its temporary name too.
  if (!name_durable) own_.push_back(written);
  // Its change time now stays as it is until someone else changes the file.
  ReportIdentity in_place{ReportPathIn(folder), written.device, written.inode, now.st_ctim.tv_sec,
                          now.st_ctim.tv_nsec, true};
  own_.push_back(in_place);
  Save();
}

bool ReportKeeper::Delete() {
  Load();
  return ShredOwnIf([](const ReportIdentity&) { return true; });
}

std::string ReportKeeper::Path() {
  Load();
  for (auto it = own_.rbegin(); it != own_.rend(); ++it)
    if (it->in_place) return it->path;
  for (const std::string& folder : ReportFolders(places_.program_folder, places_.state_folder, places_.user)) {
    UniqueFd dir(OpenReportFolder(folder));
    // A folder not made yet takes the next report; one reached through a
    // link never does.
    if (!dir.valid() && errno != ENOENT) continue;
    if (!dir.valid() || !HoldsForeignReport(dir.get())) return ReportPathIn(folder);
  }
  return {};
}

}  // namespace velmora
