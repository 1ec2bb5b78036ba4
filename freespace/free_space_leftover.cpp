// SPDX-License-Identifier: GPL-3.0-or-later
#include "freespace/free_space_leftover.h"

#include <fcntl.h>

#include <algorithm>
#include <cerrno>

#include "engine/wipe_file.h"
#include "freespace/ext4_reserve.h"
#include "fs/entry_at.h"
#include "fs/entry_stat.h"
#include "fs/path_encoding.h"
#include "fs/path_text.h"
#include "fs/record_lines.h"
#include "fs/unique_fd.h"

namespace velmora {
namespace {

// "fill DEV INO PDEV PINO BSEC BNSEC PATH", as first written, or with
// "FSID RESERVE WAITS" before the path.
bool ParseFillLine(std::string_view line, FillIdentity& id) {
  std::vector<std::string_view> w;
  if (!SplitWords(line, w, 11) || (w.size() != 8 && w.size() != 11) || w[0] != "fill") return false;
  unsigned long long device = 0, inode = 0, parent_device = 0, parent_inode = 0;
  if (!ReadNumber(w[1], device) || !ReadNumber(w[2], inode) || !ReadNumber(w[3], parent_device) ||
      !ReadNumber(w[4], parent_inode) || !ReadNumber(w[5], id.birth_sec) || !ReadNumber(w[6], id.birth_nsec) ||
      id.birth_nsec >= 1000000000)
    return false;
  if (w.size() == 11 &&
      (!ReadNumber(w[7], id.fs_id) || !ReadNumber(w[8], id.ext4_reserve) || !ReadNumber(w[9], id.waits)))
    return false;
  id.device = static_cast<dev_t>(device);
  id.inode = static_cast<ino_t>(inode);
  id.parent_device = static_cast<dev_t>(parent_device);
  id.parent_inode = static_cast<ino_t>(parent_inode);
  return DecodePath(w.back(), id.path);
}

std::string Number(unsigned long long value) { return std::to_string(value); }

UniqueFd OpenFolder(const std::string& folder) {
  return UniqueFd(RetryOnEintr(
      [&] { return Sys().openat(AT_FDCWD, folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0); }));
}

// The folder `folder` the fill was made in, open, provided it is the
// recorded one; else invalid with `why`.
UniqueFd OpenRecordedParent(const FillIdentity& id, const std::string& folder, LeftoverFill& why) {
  UniqueFd parent = OpenFolder(folder);
  EntryStat in;
  // A folder that is not there may be on a disk that is not mounted now.
  why = errno == ENOENT ? LeftoverFill::Away : LeftoverFill::Kept;
  if (!parent.valid() || !StatFd(parent.get(), in)) return UniqueFd();
  why = LeftoverFill::NotOurs;
  if (in.st.st_dev != id.parent_device || in.st.st_ino != id.parent_inode) return UniqueFd();
  return parent;
}

}  // namespace

std::string FormatFillRecord(const std::vector<FillIdentity>& folders) {
  std::string out;
  const std::size_t skip = folders.size() > kMaxRecordEntries ? folders.size() - kMaxRecordEntries : 0;
  for (std::size_t i = skip; i < folders.size(); ++i) {
    const FillIdentity& id = folders[i];
    out += "fill " + Number(id.device) + " " + Number(id.inode) + " " + Number(id.parent_device) + " " +
           Number(id.parent_inode) + " " + std::to_string(id.birth_sec) + " " + Number(id.birth_nsec) + " " +
           Number(id.fs_id) + " " + Number(id.ext4_reserve) + " " + Number(id.waits) + " " + EncodePath(id.path) +
           "\n";
  }
  return out;
}

std::vector<FillIdentity> ParseFillRecord(const std::string& record) {
  std::vector<FillIdentity> folders;
  std::vector<std::string_view> lines;
  if (!RecordLines(record, lines)) return folders;
  for (std::string_view line : lines) {
    FillIdentity id;
    if (ParseFillLine(line, id)) folders.push_back(std::move(id));
  }
  return folders;
}

LeftoverFill RemoveLeftoverFill(const FillIdentity& id) {
  std::string folder, name;
  SplitPath(id.path, folder, name);
  if (!IsFillFolderName(name)) return LeftoverFill::NotOurs;
  LeftoverFill why = LeftoverFill::Kept;
  UniqueFd parent = OpenRecordedParent(id, folder, why);
  if (!parent.valid()) return why;
  EntryStat in;
  if (!StatFd(parent.get(), in)) return LeftoverFill::Kept;
  EntryStat seen;
  if (!StatAt(parent.get(), name, seen)) return errno == ENOENT ? LeftoverFill::Gone : LeftoverFill::Kept;
  // A link, a file, another folder, a mount over the name: another inode,
  // or not on the parent's mount.
  if (seen.st.st_dev != id.device || seen.st.st_ino != id.inode || IsOtherMount(seen, in.mount_id))
    return LeftoverFill::NotOurs;
  UniqueFd fill(OpenFolderAt(parent.get(), name));
  if (!fill.valid()) return LeftoverFill::Kept;
  EntryStat opened;
  if (!StatFd(fill.get(), opened) || !SameInode(opened.st, seen.st) || IsOtherMount(opened, in.mount_id))
    return LeftoverFill::NotOurs;
  // The same inode number may belong to a folder made since.
  FillIdentity now = id;
  ReadBirthTime(fill.get(), now);
  if (now.birth_sec != id.birth_sec || now.birth_nsec != id.birth_nsec) return LeftoverFill::NotOurs;
  return RemoveFillFolder(parent.get(), name, fill.get(), seen.st) ? LeftoverFill::Removed : LeftoverFill::Kept;
}

void FillKeeper::Remember(const FillIdentity& id) {
  std::vector<FillIdentity> folders = ParseFillRecord(store_.Read());
  folders.push_back(id);
  store_.Write(FormatFillRecord(folders));
}

void FillKeeper::Forget(const FillIdentity& id) {
  std::vector<FillIdentity> folders = ParseFillRecord(store_.Read());
  std::erase_if(folders, [&](const FillIdentity& other) { return other.SameFolder(id); });
  store_.Write(FormatFillRecord(folders));
}

void RestoreRecordedReserve(const FillIdentity& id) {
  if (id.ext4_reserve == 0 || Sys().geteuid() != 0) return;
  std::string folder, name;
  SplitPath(id.path, folder, name);
  UniqueFd parent = OpenFolder(folder);
  // Only the very file system: a device number is given again to the next
  // one mounted.
  struct stat st {};
  if (!parent.valid() || ::fstat(parent.get(), &st) != 0 || st.st_dev != id.device ||
      FileSystemId(parent.get()) != id.fs_id)
    return;
  UniqueFd file(Sys().open_ext4_reserve(parent.get(), O_RDWR));
  unsigned long long now = 0;
  if (file.valid() && ReadExt4Reserve(file.get(), now) && now < id.ext4_reserve)
    BestEffort(WriteExt4Reserve(file.get(), id.ext4_reserve));  // else ext4 computes it at the next mount
}

bool FillKeeper::RemoveLeftovers() {
  // A record beyond its bounds is dropped whole, nothing it names touched.
  const std::string before = store_.Read();
  std::vector<FillIdentity> kept;
  for (FillIdentity& id : ParseFillRecord(before)) {
    RestoreRecordedReserve(id);
    const LeftoverFill outcome = RemoveLeftoverFill(id);
    if (outcome == LeftoverFill::Kept || (outcome == LeftoverFill::Away && ++id.waits < kMaxFillWaits))
      kept.push_back(id);
  }
  const std::string after = FormatFillRecord(kept);
  if (after != before) store_.Write(after);
  return kept.empty();
}

}  // namespace velmora
