// SPDX-License-Identifier: GPL-3.0-or-later
#include "freespace/free_space_leftover.h"

#include <fcntl.h>

#include <algorithm>
#include <cerrno>
#include <sstream>

#include "engine/wipe_file.h"
#include "fs/entry_at.h"
#include "fs/entry_stat.h"
#include "fs/path_encoding.h"
#include "fs/path_text.h"
#include "fs/unique_fd.h"

namespace velmora {

std::string FormatFillRecord(const std::vector<FillIdentity>& folders) {
  std::string out;
  for (const FillIdentity& id : folders) {
    out += "fill " + std::to_string(static_cast<unsigned long long>(id.device)) + " " +
           std::to_string(static_cast<unsigned long long>(id.inode)) + " " +
           std::to_string(static_cast<unsigned long long>(id.parent_device)) + " " +
           std::to_string(static_cast<unsigned long long>(id.parent_inode)) + " " + std::to_string(id.birth_sec) +
           " " + std::to_string(id.birth_nsec) + " " + EncodePath(id.path) + "\n";
  }
  return out;
}

std::vector<FillIdentity> ParseFillRecord(const std::string& record) {
  std::vector<FillIdentity> folders;
  std::istringstream lines(record);
  for (std::string line; std::getline(lines, line);) {
    std::istringstream in(line);
    std::string kind, encoded, extra;
    unsigned long long device = 0, inode = 0, parent_device = 0, parent_inode = 0;
    long long birth_sec = 0;
    unsigned long birth_nsec = 0;
    FillIdentity id;
    if (!(in >> kind >> device >> inode >> parent_device >> parent_inode >> birth_sec >> birth_nsec >> encoded) ||
        kind != "fill" || birth_nsec >= 1000000000 || (in >> extra) || !DecodePath(encoded, id.path))
      continue;
    id.birth_sec = birth_sec;
    id.birth_nsec = static_cast<std::uint32_t>(birth_nsec);
    id.device = static_cast<dev_t>(device);
    id.inode = static_cast<ino_t>(inode);
    id.parent_device = static_cast<dev_t>(parent_device);
    id.parent_inode = static_cast<ino_t>(parent_inode);
    folders.push_back(id);
  }
  return folders;
}

LeftoverFill RemoveLeftoverFill(const FillIdentity& id) {
  std::string folder, name;
  SplitPath(id.path, folder, name);
  if (!IsFillFolderName(name)) return LeftoverFill::NotOurs;
  UniqueFd parent(RetryOnEintr(
      [&] { return Sys().openat(AT_FDCWD, folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0); }));
  // A folder that is not there may be on a disk that is not mounted now:
  // the record stays for a start that finds it.
  if (!parent.valid()) return LeftoverFill::Kept;
  EntryStat in;
  if (!StatFd(parent.get(), in)) return LeftoverFill::Kept;
  if (in.st.st_dev != id.parent_device || in.st.st_ino != id.parent_inode) return LeftoverFill::NotOurs;
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
  std::erase(folders, id);
  store_.Write(FormatFillRecord(folders));
}

bool FillKeeper::RemoveLeftovers() {
  const std::string before = store_.Read();
  std::vector<FillIdentity> kept;
  for (const FillIdentity& id : ParseFillRecord(before))
    if (RemoveLeftoverFill(id) == LeftoverFill::Kept) kept.push_back(id);
  const std::string after = FormatFillRecord(kept);
  if (after != before) store_.Write(after);
  return kept.empty();
}

}  // namespace velmora
