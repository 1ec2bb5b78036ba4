// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A seam on the shredder's system calls: what a file holds at the moment its
// name is removed, read from the disk, and injected failures.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <functional>
#include <map>
#include <mutex>
#include <string>

#include "engine/fill_block.h"
#include "platform/sys_calls.h"
#include "support/temp_dir.h"

namespace velmora::testing {

// What a file of `size` original bytes must hold when the engine removes it
// at pass-count `position`: the fill block from 0, then the pattern repeated
// up to whole blocks of the file system.
inline Bytes ExpectedCover(int position, std::size_t size, std::size_t fs_block = 4096) {
  Bytes block = BuildFillBlock(100 * position);
  std::size_t length = std::max(size, block.size());
  length = (length + fs_block - 1) / fs_block * fs_block;
  Bytes out(length);
  for (std::size_t i = 0; i < length; ++i) out[i] = block[i % block.size()];
  return out;
}

// A system call failing with `error`, as the seam reports it.
inline int Fail(int error) {
  errno = error;
  return -1;
}

// The seam in force now, with one write failing as on a full disk: the
// `nth` pwrite from here on (counted from 1) fails with ENOSPC.
inline SysCalls DiskFullAtWrite(int nth) {
  static std::atomic<int> left{0};
  left = nth;
  SysCalls calls = Sys();
  calls.pwrite = [](int fd, const void* buf, size_t count, off_t offset) -> ssize_t {
    if (--left == 0) return Fail(ENOSPC);
    return ::pwrite(fd, buf, count, offset);
  };
  return calls;
}

// `calls` with `act` run once by someone else, just before the first pwrite
// through them (whichever thread makes it).
inline SysCalls BeforeFirstWrite(std::function<void()> act, SysCalls calls = Sys()) {
  static std::function<void()> once;
  static std::atomic<bool> done;
  once = std::move(act);
  done = false;
  calls.pwrite = [](int fd, const void* buf, size_t count, off_t offset) {
    if (!done.exchange(true)) once();
    return ::pwrite(fd, buf, count, offset);
  };
  return calls;
}

// `calls` with `act` run once by someone else, just before the `nth` syncfs
// through them (counted from 1).
inline SysCalls BeforeSyncfs(int nth, std::function<void()> act, SysCalls calls = Sys()) {
  static std::function<void()> once;
  static std::atomic<int> left;
  once = std::move(act);
  left = nth;
  calls.syncfs = [](int fd) {
    if (--left == 0) once();
    return ::syncfs(fd);
  };
  return calls;
}

// Every regular file removed while it lives, with its last contents. While
// it lives, write leases are granted without being taken.
class CaptureRemovals {
 public:
  CaptureRemovals() : scope_(Replacement()) { Current() = this; }
  ~CaptureRemovals() { Current() = nullptr; }

  std::vector<Bytes> removed_files;
  int removals = 0;

 private:
  // Folder shreds remove entries from several threads at once.
  static std::mutex& Mutex() {
    static std::mutex mutex;
    return mutex;
  }
  static CaptureRemovals*& Current() {
    static CaptureRemovals* current = nullptr;
    return current;
  }
  static int Unlinkat(int dirfd, const char* path, int flags) {
    if (Current() && !(flags & AT_REMOVEDIR)) {
      int fd = ::openat(dirfd, path, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
      if (fd >= 0) {
        Bytes bytes;
        char buf[65536];
        ssize_t n;
        while ((n = ::read(fd, buf, sizeof buf)) > 0) bytes.insert(bytes.end(), buf, buf + n);
        ::close(fd);
        std::lock_guard<std::mutex> lock(Mutex());
        Current()->removed_files.push_back(std::move(bytes));
      }
    }
    if (Current()) {
      std::lock_guard<std::mutex> lock(Mutex());
      ++Current()->removals;
    }
    return ::unlinkat(dirfd, path, flags);
  }
  static SysCalls Replacement() {
    SysCalls calls = Sys();
    calls.unlinkat = Unlinkat;
    // Reading the file here opens it a second time, which a write lease held
    // up to the removal would refuse: the lease is granted without being taken.
    calls.setlease = [](int, int) { return 0; };
    return calls;
  }
  ScopedSysCalls scope_;
};

}  // namespace velmora::testing
