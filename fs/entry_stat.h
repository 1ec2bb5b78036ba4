// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One look at an entry through statx: what fstat says, plus the mount it is
// on and whether it is the root of a mount. A plain stat cannot tell a file
// bind-mounted from the same file system from an ordinary one; the mount id
// can.
#include <sys/stat.h>

#include <cstdint>
#include <string>

namespace velmora {

struct EntryStat {
  struct stat st {};
  std::uint64_t mount_id = 0;
  bool mount_root = false;
  int error = 0;  // why the look failed (its errno), 0 when it did not
};

// `name` in `dirfd`, never through a link. False on failure, with the reason
// in `out.error`.
bool StatAt(int dirfd, const std::string& name, EntryStat& out);
// The file an open descriptor refers to.
bool StatFd(int fd, EntryStat& out);

// The block size the file system gives for a file it described as `st`, or
// a page's worth where it gives none: what an overwrite rounds up to.
inline off_t FsBlockSize(const struct stat& st) { return st.st_blksize > 0 ? st.st_blksize : 4096; }

// Whether `entry`, found in a folder on mount `folder_mount`, is another
// mount (the root of one, or on another): such entries are never entered,
// written, renamed or removed.
inline bool IsOtherMount(const EntryStat& entry, std::uint64_t folder_mount) {
  return entry.mount_root || entry.mount_id != folder_mount;
}

}  // namespace velmora
