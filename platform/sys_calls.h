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
struct timespec;

namespace velmora {

// One entry of the table: a plain function a test may replace (a lambda
// without captures will do), whose result must be looked at, or thrown away
// through BestEffort with the reason beside it.
template <typename Signature>
class SysCall;
template <typename Result, typename... Args>
class SysCall<Result(Args...)> {
 public:
  using Function = Result (*)(Args...);
  constexpr SysCall(Function function = nullptr) : function_(function) {}
  SysCall& operator=(Function function) {
    function_ = function;
    return *this;
  }
  [[nodiscard]] Result operator()(Args... args) const { return function_(args...); }

 private:
  Function function_;
};

struct SysCalls {
  SysCall<int(int dirfd, const char* path, int flags, mode_t mode)> openat;
  SysCall<ssize_t(int fd, const void* buf, size_t count, off_t offset)> pwrite;
  SysCall<int(int fd)> fdatasync;
  SysCall<int(int fd)> fsync;
  SysCall<int(int fd)> syncfs;
  SysCall<int(int fd)> close;
  SysCall<int(int dirfd, const char* path, int flags)> unlinkat;
  // renameat2(..., RENAME_NOREPLACE): fails with EEXIST rather than replace.
  SysCall<int(int olddirfd, const char* oldpath, int newdirfd, const char* newpath)> rename_noreplace;
  SysCall<int(int fd, unsigned flags)> checkpoint_journal;  // ext4's journal checkpoint
  SysCall<int(int dirfd, const char* path, int flags, unsigned mask, struct statx* out)> statx;
  SysCall<off_t(int fd, off_t offset, int whence)> lseek;
  SysCall<ssize_t(int fd, void* buffer, size_t size)> getdents64;
  SysCall<int(int fd, mode_t mode)> fchmod;
  SysCall<int(int fd, struct statfs* out)> fstatfs;
  SysCall<ssize_t(int fd, char* list, size_t size)> flistxattr;
  SysCall<ssize_t(int fd, const char* name, void* value, size_t size)> fgetxattr;
  SysCall<int(int fd, const char* name, const void* value, size_t size, int flags)> fsetxattr;
  SysCall<int(int fd, const char* name)> fremovexattr;
  SysCall<int(struct utsname* out)> uname;  // the kernel's release decides how names go
  // fcntl(F_SETLEASE): a write lease, or F_UNLCK.
  SysCall<int(int fd, int type)> setlease;
  // A pause between two asks for a lease.
  SysCall<int(const struct timespec* wanted, struct timespec* left)> nanosleep;
  // The mode of what a path names (an O_PATH descriptor's /proc link).
  SysCall<int(const char* path, mode_t mode)> chmod;
  // Whether root's extra attributes (trusted.) are ours to rewrite.
  SysCall<uid_t()> geteuid;
  // The report's own folders, made private.
  SysCall<int(int dirfd, const char* path, mode_t mode)> mkdirat;
  SysCall<int(int olddirfd, const char* oldpath, int newdirfd, const char* newpath, int flags)> linkat;
  // Starts or waits for the writeback of a range of a file, so an overwrite
  // never runs far ahead of the device.
  SysCall<int(int fd, off_t offset, off_t nbytes, unsigned flags)> sync_file_range;
  // Whether the user may make files in a folder (the free-space wipe).
  SysCall<int(int dirfd, const char* path, int mode, int flags)> faccessat;
  // FITRIM: the device is told that every free block of the file system
  // holds nothing; for the blocks the free-space wipe could not fill.
  SysCall<int(int fd)> discard_free;
  // The blocks XFS keeps back for its own work, beyond what statfs counts
  // as free (XFS_IOC_GET_RESBLKS); other file systems fail with ENOTTY.
  SysCall<int(int fd, unsigned long long* blocks)> reserved_blocks;
  // The file that holds the clusters ext4 keeps from every writer, root
  // included, for its own metadata on a full disk
  // (/sys/fs/ext4/<device>/reserved_clusters of the file system `fd` is on),
  // opened with `flags`; other file systems fail with ENOENT.
  SysCall<int(int fd, int flags)> open_ext4_reserve;
  // The clock the writeback pacing measures the device's speed by, so a
  // test's slow device can be as slow as it likes without taking the time.
  SysCall<int(clockid_t clock, struct timespec* now)> clock_gettime;
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
