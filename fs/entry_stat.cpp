// SPDX-License-Identifier: GPL-3.0-or-later
#include "fs/entry_stat.h"

#include <fcntl.h>
#include <sys/sysmacros.h>

#include <cerrno>

#include "platform/sys_calls.h"

namespace velmora {
namespace {

constexpr unsigned kWanted = STATX_BASIC_STATS | STATX_MNT_ID;

// `rc` is statx's result, and errno is still its own.
bool Convert(int rc, const struct statx& x, EntryStat& out) {
  if (rc != 0) {
    out.error = errno;
    return false;
  }
  out.error = 0;
  struct stat& st = out.st;
  st = {};
  st.st_dev = makedev(x.stx_dev_major, x.stx_dev_minor);
  st.st_ino = x.stx_ino;
  st.st_mode = x.stx_mode;
  st.st_nlink = x.stx_nlink;
  st.st_uid = x.stx_uid;
  st.st_gid = x.stx_gid;
  st.st_rdev = makedev(x.stx_rdev_major, x.stx_rdev_minor);
  st.st_size = static_cast<off_t>(x.stx_size);
  st.st_blksize = x.stx_blksize;
  st.st_blocks = static_cast<blkcnt_t>(x.stx_blocks);
  st.st_ctim.tv_sec = x.stx_ctime.tv_sec;
  st.st_ctim.tv_nsec = x.stx_ctime.tv_nsec;
  st.st_mtim.tv_sec = x.stx_mtime.tv_sec;
  st.st_mtim.tv_nsec = x.stx_mtime.tv_nsec;
  out.mount_id = (x.stx_mask & STATX_MNT_ID) ? x.stx_mnt_id : 0;
  out.mount_root = (x.stx_attributes_mask & STATX_ATTR_MOUNT_ROOT) && (x.stx_attributes & STATX_ATTR_MOUNT_ROOT);
  return true;
}

}  // namespace

bool StatAt(int dirfd, const std::string& name, EntryStat& out) {
  struct statx x;
  return Convert(Sys().statx(dirfd, name.c_str(), AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT, kWanted, &x), x, out);
}

bool StatFd(int fd, EntryStat& out) {
  struct statx x;
  return Convert(Sys().statx(fd, "", AT_EMPTY_PATH | AT_SYMLINK_NOFOLLOW, kWanted, &x), x, out);
}

}  // namespace velmora
