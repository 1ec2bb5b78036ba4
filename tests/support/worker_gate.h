// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A worker held at one known point until the test lets it go: a run surely
// still going where the test wants it, with no timing.
#include <condition_variable>
#include <mutex>

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

}  // namespace velmora::testing
