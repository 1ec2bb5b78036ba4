#include "shred/report_keeper.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <sstream>
#include <utility>

#include "platform/sys_calls.h"
#include "shred/entry_at.h"
#include "shred/fill_block.h"
#include "shred/name_scrub.h"
#include "shred/remove_entry.h"
#include "shred/report_location.h"
#include "shred/unique_fd.h"
#include "shred/wipe_file.h"

namespace velmora {
namespace {

// ---- The record ----------------------------------------------------------

bool PlainPathByte(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '/' || c == '.' ||
         c == '_' || c == '-';
}

std::string Encode(const std::string& path) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : path) {
    if (PlainPathByte(c)) {
      out += static_cast<char>(c);
    } else {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 15];
    }
  }
  return out;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool Decode(const std::string& text, std::string& path) {
  path.clear();
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') {
      if (!PlainPathByte(static_cast<unsigned char>(text[i]))) return false;
      path += text[i];
      continue;
    }
    if (i + 2 >= text.size()) return false;
    int high = HexValue(text[i + 1]), low = HexValue(text[i + 2]);
    if (high < 0 || low < 0) return false;
    path += static_cast<char>(high * 16 + low);
    i += 2;
  }
  return !path.empty() && path[0] == '/';
}

bool ParseLine(const std::string& line, ReportIdentity& id) {
  std::istringstream in(line);
  std::string kind, encoded, extra;
  unsigned long long device = 0, inode = 0;
  long long sec = 0, nsec = 0;
  if (!(in >> kind >> device >> inode)) return false;
  if (kind == "note") {
    if (!(in >> sec >> nsec) || nsec < 0 || nsec >= 1000000000) return false;
    id.in_place = true;
  } else if (kind != "temp") {
    return false;
  }
  if (!(in >> encoded) || (in >> extra) || !Decode(encoded, id.path)) return false;
  id.device = static_cast<dev_t>(device);
  id.inode = static_cast<ino_t>(inode);
  id.ctime_sec = sec;
  id.ctime_nsec = nsec;
  return true;
}

std::string JoinPath(const std::string& folder, const std::string& name) {
  return folder.empty() || folder.back() == '/' ? folder + name : folder + "/" + name;
}

// ---- One file of ours ----------------------------------------------------

// Any position covers a file whole; the shortest block is the cheapest.
const FillPattern& ReportPattern() {
  static const FillPattern pattern(*RepeatFactor(0));
  return pattern;
}

// Whether `st` is the very file `id` records: the same inode, still with one
// name (a second name is someone keeping it), and for a report in place the
// same change time (any rename, edit, chmod or link since changes it).
bool IsRecordedFile(const ReportIdentity& id, const struct stat& st) {
  if (!S_ISREG(st.st_mode) || st.st_dev != id.device || st.st_ino != id.inode || st.st_nlink != 1) return false;
  return !id.in_place || (st.st_ctim.tv_sec == id.ctime_sec && st.st_ctim.tv_nsec == id.ctime_nsec);
}

enum class OwnFile { Gone, NotOurs, Shredded, Kept };

bool SyncData(int fd) { return RetryOnEintr([fd] { return Sys().fdatasync(fd); }) == 0; }

// The overwrite engine's steps on one recorded file, each on the very inode
// recorded: look, open (checked to be what was looked at), overwrite, force
// to the disk, remove with the name scrubbed.
OwnFile ShredIfOurs(const ReportIdentity& id) {
  std::string folder, name;
  SplitPath(id.path, folder, name);
  UniqueFd dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!dir.valid()) return errno == ENOENT || errno == ENOTDIR ? OwnFile::Gone : OwnFile::Kept;
  struct stat seen;
  if (::fstatat(dir.get(), name.c_str(), &seen, AT_SYMLINK_NOFOLLOW) != 0)
    return errno == ENOENT ? OwnFile::Gone : OwnFile::Kept;
  if (!IsRecordedFile(id, seen)) return OwnFile::NotOurs;

  // The engine's one step, on the very inode looked at, with its one name.
  WipePolicy policy;
  policy.create_missing = false;
  policy.expected_inode = seen.st_ino;
  policy.expected_links = 1;
  struct stat st;
  WipeOutcome outcome = OverwriteAt(dir.get(), name, ReportPattern(), policy, st);
  if (outcome == WipeOutcome::Changed || outcome == WipeOutcome::OtherLinks) return OwnFile::NotOurs;
  if (outcome != WipeOutcome::Shredded) return OwnFile::Kept;
  if (!RemoveExpected(dir.get(), name, st, /*is_folder=*/false, RenameScrubsNamesOn(dir.get()))) return OwnFile::Kept;
  BestEffort(Sys().fsync(dir.get()));  // make the removal itself durable
  return OwnFile::Shredded;
}

// ---- Writing a new one ---------------------------------------------------

// A new private file under a random name: never an existing entry, never
// through a link.
UniqueFd CreateTemporary(int dirfd, std::string& name) {
  for (int attempt = 0; attempt < 16; ++attempt) {
    name = ".note-" + RandomName(10);
    int fd;
    do {
      fd = Sys().openat(dirfd, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC, 0600);
    } while (fd < 0 && errno == EINTR);
    if (fd >= 0 || errno != EEXIST) return UniqueFd(fd);
  }
  return UniqueFd();
}

bool WriteAll(int fd, const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = Sys().pwrite(fd, bytes.data() + done, bytes.size() - done, static_cast<off_t>(done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

// Gives the new file the report's name, never replacing whatever holds it.
bool MoveInPlace(int dirfd, const std::string& temporary) {
  if (Sys().renameat(dirfd, temporary.c_str(), dirfd, kReportFileName) == 0) return true;
  if (errno != EINVAL && errno != ENOSYS) return false;
  // A file system without RENAME_NOREPLACE: a new hard link never replaces
  // an entry either.
  if (::linkat(dirfd, temporary.c_str(), dirfd, kReportFileName, 0) != 0) return false;
  return Sys().unlinkat(dirfd, temporary.c_str(), 0) == 0;
}

}  // namespace

std::string FormatReportRecord(const std::vector<ReportIdentity>& files) {
  std::string out;
  for (const ReportIdentity& id : files) {
    out += id.in_place ? "note " : "temp ";
    out += std::to_string(static_cast<unsigned long long>(id.device)) + " " +
           std::to_string(static_cast<unsigned long long>(id.inode)) + " ";
    if (id.in_place) out += std::to_string(id.ctime_sec) + " " + std::to_string(id.ctime_nsec) + " ";
    out += Encode(id.path) + "\n";
  }
  return out;
}

std::vector<ReportIdentity> ParseReportRecord(const std::string& record) {
  std::vector<ReportIdentity> files;
  std::istringstream in(record);
  for (std::string line; std::getline(in, line);) {
    ReportIdentity id;
    if (ParseLine(line, id)) files.push_back(id);
  }
  return files;
}

ReportKeeper::ReportKeeper(ReportPlaces places, ReportRecordStore& record)
    : places_(std::move(places)), record_(record) {}

void ReportKeeper::Load() {
  if (loaded_) return;
  loaded_ = true;
  saved_ = record_.Read();
  own_ = ParseReportRecord(saved_);
}

void ReportKeeper::Save() {
  std::vector<ReportIdentity> all = own_;
  if (pending_) all.push_back(*pending_);
  std::string text = FormatReportRecord(all);
  if (text == saved_) return;
  record_.Write(text);
  saved_ = text;
}

bool ReportKeeper::HoldsForeignReport(int dirfd) {
  struct stat st;
  if (::fstatat(dirfd, kReportFileName, &st, AT_SYMLINK_NOFOLLOW) != 0) return errno != ENOENT;
  for (const ReportIdentity& id : own_)
    if (id.in_place && IsRecordedFile(id, st)) return false;
  return true;
}

bool ReportKeeper::ShredOwnIf(const std::function<bool(const ReportIdentity&)>& which) {
  bool all_gone = true;
  for (auto it = own_.begin(); it != own_.end();) {
    if (!which(*it)) {
      ++it;
      continue;
    }
    if (ShredIfOurs(*it) == OwnFile::Kept) {
      all_gone = false;  // tried again at the next way out or start
      ++it;
    } else {
      it = own_.erase(it);
    }
  }
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
  UniqueFd dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!dir.valid() || HoldsForeignReport(dir.get())) return false;

  std::string temporary;
  UniqueFd fd = CreateTemporary(dir.get(), temporary);
  if (!fd.valid()) return false;
  struct stat st;
  if (::fstat(fd.get(), &st) != 0) {
    BestEffort(Sys().unlinkat(dir.get(), temporary.c_str(), 0));  // empty, under a random name
    return false;
  }
  // Recorded before a byte is written: a session killed from here on leaves
  // a file the next start knows as its own.
  pending_ = ReportIdentity{JoinPath(folder, temporary), st.st_dev, st.st_ino};
  Save();

  bool ok = WriteAll(fd.get(), bytes) && SyncData(fd.get());
  if (ok) {
    // The previous report first, so the new one can take its name without
    // replacing anything.
    ShredOwnIf([](const ReportIdentity& id) { return id.in_place; });
    ok = MoveInPlace(dir.get(), temporary);
  }
  struct stat now;
  if (ok) {
    pending_->path = ReportPathIn(folder);
    BestEffort(Sys().fsync(dir.get()));  // the name, before the record says it is there
    ok = ::fstat(fd.get(), &now) == 0;
  }
  ReportIdentity written = *std::exchange(pending_, std::nullopt);
  if (!ok) {
    fd.Close();
    own_.push_back(written);
    ShredOwnIf([&](const ReportIdentity& id) { return id == written; });
    return false;
  }
  // Its change time now stays as it is until someone else changes the file.
  written.in_place = true;
  written.ctime_sec = now.st_ctim.tv_sec;
  written.ctime_nsec = now.st_ctim.tv_nsec;
  own_.push_back(written);
  Save();
  return fd.Close();
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
    UniqueFd dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!dir.valid() || !HoldsForeignReport(dir.get())) return ReportPathIn(folder);
  }
  return {};
}

}  // namespace velmora
