// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The POSIX calls through which the shredder looks at and touches the disk.
// Every call of the engine and the folder walk goes through this table, so
// tests can inject a failure anywhere (ENOSPC part way, a failing sync, a
// swap at the worst moment) and the benchmark can count calls per file.
#include <sys/types.h>

#include <cerrno>

struct statx;
struct statfs;
struct utsname;

namespace velmora {

struct SysCalls {
  int (*openat)(int dirfd, const char* path, int flags, mode_t mode);
  ssize_t (*pwrite)(int fd, const void* buf, size_t count, off_t offset);
  int (*fdatasync)(int fd);
  int (*fsync)(int fd);
  int (*syncfs)(int fd);
  int (*close)(int fd);
  int (*unlinkat)(int dirfd, const char* path, int flags);
  int (*renameat)(int olddirfd, const char* oldpath, int newdirfd, const char* newpath);
  int (*checkpoint_journal)(int fd, unsigned flags);  // ext4's journal checkpoint
  int (*statx)(int dirfd, const char* path, int flags, unsigned mask, struct statx* out);
  off_t (*lseek)(int fd, off_t offset, int whence);
  ssize_t (*getdents64)(int fd, void* buffer, size_t size);
  int (*fchmod)(int fd, mode_t mode);
  int (*fstatfs)(int fd, struct statfs* out);
  ssize_t (*flistxattr)(int fd, char* list, size_t size);
  ssize_t (*fgetxattr)(int fd, const char* name, void* value, size_t size);
  int (*fsetxattr)(int fd, const char* name, const void* value, size_t size, int flags);
  int (*fremovexattr)(int fd, const char* name);
  int (*uname)(struct utsname* out);  // the kernel's release decides how names go
  int (*linkat)(int olddirfd, const char* oldpath, int newdirfd, const char* newpath, int flags);
  // Starts or waits for the writeback of a range of a file, so an overwrite
  // never runs far ahead of the device.
  int (*sync_file_range)(int fd, off_t offset, off_t nbytes, unsigned flags);
};

// The table in force; the real calls unless a test replaced some.
SysCalls& Sys();

// Restores the table it found when it goes out of scope.
class ScopedSysCalls {
 public:
  explicit ScopedSysCalls(const SysCalls& replacement);
  ~ScopedSysCalls();
  ScopedSysCalls(const ScopedSysCalls&) = delete;
  ScopedSysCalls& operator=(const ScopedSysCalls&) = delete;

 private:
  SysCalls saved_;
};

// Calls `call` again while it fails with EINTR. (close is never retried:
// on Linux the descriptor is gone either way.)
template <typename Call>
auto RetryOnEintr(Call call) {
  for (;;) {
    auto result = call();
    if (!(result < 0 && errno == EINTR)) return result;
  }
}

// For calls whose failure changes nothing we promise: a sync of a folder
// after a removal that already happened, an attribute we could not remove,
// a mode we could not put back on what stays anyway. The outcome of the
// item is decided by the calls that are checked; these only make it better.
template <typename Result>
void BestEffort(Result) {}

}  // namespace velmora
