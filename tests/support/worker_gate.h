// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A worker held at one known point until the test lets it go: a run surely
// still going where the test wants it, with no timing.
#include <unistd.h>

#include <condition_variable>
#include <mutex>
#include <string>

namespace velmora::testing {

class WorkerGate {
 public:
  // Open again, for a new hold.
  void Reset() {
    std::lock_guard lock(mutex_);
    held_ = released_ = false;
  }
  // In the worker: waits here until Release(), the first time only.
  void HoldOnce() {
    std::unique_lock lock(mutex_);
    if (held_) return;
    held_ = true;
    changed_.notify_all();
    changed_.wait(lock, [this] { return released_; });
  }
  void WaitUntilHeld() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return held_; });
  }
  void Release() {
    std::lock_guard lock(mutex_);
    released_ = true;
    changed_.notify_all();
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  bool held_ = false, released_ = false;
};

// The path an open descriptor stands for, as the kernel tells it ("" when
// it cannot).
inline std::string PathOfFd(int fd) {
  char link[4096];
  const ssize_t n = ::readlink(("/proc/self/fd/" + std::to_string(fd)).c_str(), link, sizeof link);
  return n > 0 ? std::string(link, static_cast<std::size_t>(n)) : std::string();
}

}  // namespace velmora::testing
