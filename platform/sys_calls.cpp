// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/sys_calls.h"

#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/syscall.h>
#include <sys/utsname.h>
#include <sys/xattr.h>
#include <time.h>
#include <unistd.h>

#include <cstdint>

namespace velmora {
namespace {

int RealOpenat(int dirfd, const char* path, int flags, mode_t mode) {
  return ::openat(dirfd, path, flags, mode);
}
int RealRenameat(int olddirfd, const char* oldpath, int newdirfd, const char* newpath) {
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

SysCalls& Table() {
  static SysCalls table{RealOpenat, ::pwrite,       ::fdatasync,  ::fsync,      ::syncfs,    ::close,
                        ::unlinkat, RealRenameat,   RealCheckpointJournal,      RealStatx,   ::lseek,
                        RealGetdents64,             ::fchmod,     ::fstatfs,    ::flistxattr, ::fgetxattr,
                        ::fsetxattr, ::fremovexattr, ::uname, RealSetlease, ::nanosleep, ::chmod,
                        ::geteuid,  ::mkdirat,      ::linkat,     RealSyncFileRange, ::faccessat};
  return table;
}

}  // namespace

SysCalls& Sys() { return Table(); }

ScopedSysCalls::ScopedSysCalls(const SysCalls& replacement) : saved_(Table()) { Table() = replacement; }
ScopedSysCalls::~ScopedSysCalls() { Table() = saved_; }

}  // namespace velmora
