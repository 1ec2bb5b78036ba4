// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A disk of a few MiB of free space for the free-space wipe, through the
// system-call seam, in any folder: writes into a fill folder find the disk
// full once `capacity` bytes are written, and the file system reports that
// much free. A fault can be put at any step (a write error after some bytes,
// a failed sync), and the worker held, or the process killed, at one.
#include <dirent.h>
#include <fcntl.h>
#include <sys/statfs.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <utility>

#include "freespace/free_space_wipe.h"
#include "platform/sys_calls.h"
#include "support/capture.h"
#include "support/temp_dir.h"
#include "support/worker_gate.h"

namespace velmora::testing {

class FakeFillDisk {
 public:
  // The steps a hook sees, by the name of the call.
  static constexpr const char* kWrite = "pwrite";
  static constexpr const char* kSync = "fdatasync";
  static constexpr const char* kRemove = "unlinkat";
  static constexpr const char* kSyncFs = "syncfs";

  // Made before the worker starts, so the worker sees these settings.
  explicit FakeFillDisk(std::uint64_t capacity) : scope_(Replacement()) {
    S().capacity = capacity;
    S().used = 0;
    S().fail_write_after = UINT64_MAX;
    S().sync_fails = false;
    S().freed_at_syncfs = 0;
    S().reserved = 0;
    S().ext4_reserve = 0;
    S().hide_new_entries = false;
    S().opened_at.clear();
    S().hook = nullptr;
    S().hold.clear();
    S().gate.Reset();
  }
  ~FakeFillDisk() { Release(); }

  void Capacity(std::uint64_t bytes) { S().capacity = bytes; }
  // The next write into the fill past `bytes` fails with EIO.
  void FailWriteAfter(std::uint64_t bytes) { S().fail_write_after = bytes; }
  // Every data sync of a fill file fails with EIO.
  void FailSync() { S().sync_fails = true; }
  // The next syncfs gives `bytes` more room, as ext4 gives back what it set
  // aside for delayed writes once they are on the disk.
  void FreeAtSyncFs(std::uint64_t bytes) { S().freed_at_syncfs = bytes; }
  // Free blocks kept from an ordinary user, on top of the capacity.
  void Reserve(std::uint64_t bytes) { S().reserved = bytes; }
  // Blocks ext4 keeps from every writer, root included, on top of the
  // capacity and the administrator's reserve: writable only while lowered.
  // Its "sysfs file" is `file`, or one in a folder of the disk's own.
  void Ext4Reserve(std::uint64_t blocks, std::string file = "") {
    if (file.empty()) file = own_.emplace() / "reserved_clusters";
    S().ext4_reserve = blocks;
    S().reserve_file = file;
    WriteText(file, std::to_string(blocks) + "\n");
  }
  std::uint64_t ext4_reserve_now() const { return ReserveNow(); }
  // A folder opened before files were made in it lists nothing, as Btrfs
  // lists a folder as it was at its opening.
  void HideNewEntries() { S().hide_new_entries = true; }
  // Runs at every step of the fill (in the calling thread).
  void Hook(std::function<void(const std::string& step)> hook) { S().hook = std::move(hook); }
  // Holds the worker at the first `step` until Release().
  void HoldAt(const std::string& step) { S().hold = step; }
  void WaitUntilHeld() { S().gate.WaitUntilHeld(); }
  void Release() { S().gate.Release(); }
  std::uint64_t used() const { return S().used; }

 private:
  struct State {
    WorkerGate gate;
    std::uint64_t capacity = 0;
    std::atomic<std::uint64_t> used{0};
    std::uint64_t fail_write_after = UINT64_MAX;
    std::uint64_t reserved = 0;
    std::uint64_t ext4_reserve = 0;
    std::string reserve_file;
    bool hide_new_entries = false;
    unsigned created = 0;                // files made so far
    std::map<int, unsigned> opened_at;   // folder descriptor -> files made when it was opened
    bool sync_fails = false;
    std::uint64_t freed_at_syncfs = 0;
    std::function<void(const std::string&)> hook;
    std::string hold;
  };
  static State& S() {
    static State state;
    return state;
  }
  static bool InFill(int fd) { return PathOfFd(fd).find(kFillFolderPrefix) != std::string::npos; }
  static std::uint64_t ReserveNow() { return S().ext4_reserve ? std::stoull(ReadText(S().reserve_file)) : 0; }
  static void Step(const std::string& step) {
    if (S().hook) S().hook(step);
    if (!S().hold.empty() && S().hold == step) S().gate.HoldOnce();
  }
  static SysCalls Replacement() {
    SysCalls calls = Sys();
    calls.pwrite = [](int fd, const void* buf, size_t count, off_t at) -> ssize_t {
      if (!InFill(fd)) return ::pwrite(fd, buf, count, at);
      Step(kWrite);
      if (S().used >= S().fail_write_after) return Fail(EIO);
      const std::uint64_t lowered = S().ext4_reserve - std::min(S().ext4_reserve, ReserveNow());
      const std::uint64_t usable = S().capacity + lowered * 4096;
      const std::uint64_t room = usable - std::min(usable, S().used.load());
      if (room == 0) return Fail(ENOSPC);
      ssize_t done = ::pwrite(fd, buf, std::min<std::uint64_t>(count, room), at);
      if (done > 0) S().used += static_cast<std::uint64_t>(done);
      return done;
    };
    calls.fdatasync = [](int fd) {
      if (!InFill(fd)) return ::fdatasync(fd);
      Step(kSync);
      if (S().sync_fails) return Fail(EIO);
      return ::fdatasync(fd);
    };
    calls.fstatfs = [](int fd, struct statfs* out) {
      int rc = ::fstatfs(fd, out);
      if (rc == 0 && InFill(fd)) {
        out->f_bsize = out->f_frsize = 4096;
        const std::uint64_t left = S().capacity - std::min(S().capacity, S().used.load());
        out->f_bavail = left / 4096;
        out->f_bfree = (left + S().reserved) / 4096;
      }
      return rc;
    };
    calls.unlinkat = [](int dirfd, const char* path, int flags) {
      if (IsFillFileName(path) || IsFillFolderName(path)) Step(kRemove);
      return ::unlinkat(dirfd, path, flags);
    };
    calls.syncfs = [](int fd) {
      Step(kSyncFs);
      S().capacity += std::exchange(S().freed_at_syncfs, 0);
      return ::syncfs(fd);
    };
    // A disk that keeps no hidden reserve and cannot discard: the real calls
    // would reach the file system the test folder is on.
    calls.reserved_blocks = [](int, unsigned long long*) { return Fail(ENOTTY); };
    calls.open_ext4_reserve = [](int, int flags) {
      if (S().ext4_reserve == 0) return Fail(ENOENT);
      return ::open(S().reserve_file.c_str(), flags | O_CLOEXEC);
    };
    calls.openat = [](int dirfd, const char* path, int flags, mode_t mode) {
      const int fd = ::openat(dirfd, path, flags, mode);
      if (fd >= 0 && (flags & O_CREAT)) ++S().created;
      if (fd >= 0 && (flags & O_DIRECTORY)) S().opened_at[fd] = S().created;
      return fd;
    };
    calls.getdents64 = [](int fd, void* buffer, size_t size) -> ssize_t {
      return S().hide_new_entries && S().opened_at[fd] != S().created ? 0 : ::getdents64(fd, buffer, size);
    };
    calls.discard_free = [](int) { return Fail(EOPNOTSUPP); };
    return calls;
  }
  ScopedSysCalls scope_;
  std::optional<TempDir> own_;
};

// Whether `folder` holds a fill folder, by its name.
inline bool HoldsFillFolder(const std::string& folder) {
  for (const auto& entry : std::filesystem::directory_iterator(folder))
    if (IsFillFolderName(entry.path().filename().string())) return true;
  return false;
}

}  // namespace velmora::testing
