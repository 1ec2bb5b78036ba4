// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/sys_calls.h"

#include <dirent.h>
#include <linux/fs.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/statfs.h>
#include <sys/syscall.h>
#include <sys/utsname.h>
#include <sys/xattr.h>
#include <time.h>
#include <unistd.h>

#include <climits>
#include <cstdint>
#include <string>

namespace velmora {
namespace {

int RealOpenat(int dirfd, const char* path, int flags, mode_t mode) {
  return ::openat(dirfd, path, flags, mode);
}
int RealRenameNoReplace(int olddirfd, const char* oldpath, int newdirfd, const char* newpath) {
  // Never replace an existing entry: the new name is one we invented, or
  // one we are giving back.
  return ::renameat2(olddirfd, oldpath, newdirfd, newpath, RENAME_NOREPLACE);
}

// From the kernel's ext4 interface (Linux 5.14 and later).
int RealCheckpointJournal(int fd, unsigned flags) {
  std::uint32_t value = flags;
  return ::ioctl(fd, _IOW('f', 43, std::uint32_t), &value);
}

int RealStatx(int dirfd, const char* path, int flags, unsigned mask, struct statx* out) {
  return ::statx(dirfd, path, flags, mask, out);
}

ssize_t RealGetdents64(int fd, void* buffer, size_t size) { return ::getdents64(fd, buffer, size); }

int RealSetlease(int fd, int type) { return ::fcntl(fd, F_SETLEASE, type); }

int RealSyncFileRange(int fd, off_t offset, off_t nbytes, unsigned flags) {
  return ::sync_file_range(fd, offset, nbytes, flags);
}

int RealDiscardFree(int fd) {
  struct fstrim_range range {};
  range.len = UINT64_MAX;
  return ::ioctl(fd, FITRIM, &range);
}

// From XFS's interface (xfs_fs.h), which Debian ships only with xfslibs-dev.
struct XfsReserve {
  std::uint64_t resblks;
  std::uint64_t resblks_avail;
};

int RealReservedBlocks(int fd, unsigned long long* blocks) {
  XfsReserve reserve{};
  if (::ioctl(fd, _IOR('X', 115, XfsReserve), &reserve) != 0) return -1;
  *blocks = reserve.resblks_avail;
  return 0;
}

// The sysfs file of ext4's own reserve for the file system `fd` is on.
std::string Ext4ReservePath(int fd) {
  struct stat st {};
  if (::fstat(fd, &st) != 0) return {};
  char link[PATH_MAX];
  const std::string device = "/sys/dev/block/" + std::to_string(major(st.st_dev)) + ":" +
                             std::to_string(minor(st.st_dev));
  const ssize_t n = ::readlink(device.c_str(), link, sizeof link - 1);
  if (n <= 0) {
    errno = ENOENT;
    return {};
  }
  const std::string target(link, static_cast<std::size_t>(n));
  return "/sys/fs/ext4/" + target.substr(target.rfind('/') + 1) + "/reserved_clusters";
}

int RealOpenExt4Reserve(int fd, int flags) {
  const std::string path = Ext4ReservePath(fd);
  if (path.empty()) return -1;
  return ::open(path.c_str(), flags | O_CLOEXEC);
}

SysCalls& Table() {
  // clang-format off: the table in the members' order, several to a line.
  static SysCalls table{RealOpenat, ::pwrite,       ::fdatasync,  ::fsync,      ::syncfs,    ::close,
                        ::unlinkat, RealRenameNoReplace,   RealCheckpointJournal,      RealStatx,   ::lseek,
                        RealGetdents64,             ::fchmod,     ::fstatfs,    ::flistxattr, ::fgetxattr,
                        ::fsetxattr, ::fremovexattr, ::uname, RealSetlease, ::nanosleep, ::chmod,
                        ::geteuid,  ::mkdirat,      ::linkat,     RealSyncFileRange, ::faccessat,
                        RealDiscardFree, RealReservedBlocks, RealOpenExt4Reserve, ::clock_gettime};
  // clang-format on
  return table;
}

}  // namespace

SysCalls& Sys() { return Table(); }

ScopedSysCalls::ScopedSysCalls(const SysCalls& replacement) : saved_(Table()) { Table() = replacement; }
ScopedSysCalls::~ScopedSysCalls() { Table() = saved_; }

}  // namespace velmora
