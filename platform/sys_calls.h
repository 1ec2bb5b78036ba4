#pragma once
// The POSIX calls through which the shredder touches the disk. Tests swap
// single entries to inject failures (ENOSPC part way, a failing sync...)
// without needing a broken disk.
#include <sys/types.h>

struct statx;

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
};

// The table in force; the real calls unless a test replaced some.
SysCalls& Sys();

// Restores the real table when it goes out of scope.
class ScopedSysCalls {
 public:
  explicit ScopedSysCalls(const SysCalls& replacement);
  ~ScopedSysCalls();
  ScopedSysCalls(const ScopedSysCalls&) = delete;
  ScopedSysCalls& operator=(const ScopedSysCalls&) = delete;

 private:
  SysCalls saved_;
};

}  // namespace velmora
