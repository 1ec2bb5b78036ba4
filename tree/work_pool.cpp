// SPDX-License-Identifier: GPL-3.0-or-later
#include "tree/work_pool.h"

#include <sys/resource.h>

#include <algorithm>
#include <new>
#include <utility>

namespace velmora {
namespace {

std::thread StartThread(std::function<void()> body) { return std::thread(std::move(body)); }

WorkPool::ThreadStarter g_starter = StartThread;

// Waiting threads: the best (or within noise of it) of 4, 8, 16 and 32 for a
// tree and a flat folder, on an ext4 that discards inside each removal and on
// a loop-mounted journaled ext4 (see README, "Speed and memory").
constexpr unsigned kWaitingThreads = 32;
// Descriptors a waiting thread may hold at once (its folder, shared with
// others of its chunk, and one file), plus the folders the walks keep open
// and what the rest of the program holds.
constexpr rlim_t kDescriptorsPerThread = 4;
constexpr rlim_t kDescriptorsKept = 256;

}  // namespace

unsigned WorkPool::DefaultThreads() { return std::clamp(std::thread::hardware_concurrency(), 1u, 8u); }

unsigned WorkPool::WaitingThreads() {
  unsigned threads = std::max(kWaitingThreads, DefaultThreads());
  struct rlimit files {};
  if (::getrlimit(RLIMIT_NOFILE, &files) == 0 && files.rlim_cur != RLIM_INFINITY) {
    const rlim_t spare = files.rlim_cur > kDescriptorsKept ? files.rlim_cur - kDescriptorsKept : 0;
    threads = static_cast<unsigned>(std::min<rlim_t>(threads, spare / kDescriptorsPerThread));
  }
  return std::max(threads, 1u);
}

void WorkPool::Add(Task task) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!failed_) {
      stack_.push_back(std::move(task));
      task = nullptr;
    }
  }
  // A task added after a failure is dropped here, outside the lock: what it
  // holds is released as it goes.
  task = nullptr;
  wake_.notify_one();
}

void WorkPool::Work() {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    wake_.wait(lock, [this] { return !stack_.empty() || busy_ == 0; });
    if (stack_.empty()) return;  // nothing left, and nobody can add more
    Task task = std::move(stack_.back());
    stack_.pop_back();
    ++busy_;
    lock.unlock();
    bool threw = false;
    try {
      task();
    } catch (...) {
      threw = true;  // ends the run below; the exception itself is dropped
    }
    task = nullptr;
    std::vector<Task> dropped;
    lock.lock();
    if (threw) {
      failed_ = true;
      dropped.swap(stack_);
    }
    if (--busy_ == 0 && stack_.empty()) wake_.notify_all();
    if (!dropped.empty()) {
      lock.unlock();
      dropped.clear();  // their descriptors and the like are released here
      lock.lock();
    }
  }
}

bool WorkPool::Run(unsigned threads, Task first) {
  try {
    std::lock_guard<std::mutex> lock(mutex_);
    stack_.push_back(std::move(first));
  } catch (const std::bad_alloc&) {
    return false;  // nothing ran
  }
  std::vector<std::thread> helpers;
  try {
    helpers.reserve(std::max(threads, 1u) - 1);
  } catch (const std::bad_alloc&) {
    // The caller's thread alone.
  }
  // A thread that cannot be started (no memory for its stack, the process
  // out of threads) means fewer threads, not a failed run.
  while (helpers.size() < helpers.capacity() && helpers.size() + 1 < threads) {
    try {
      helpers.push_back(g_starter([this] { Work(); }));
    } catch (...) {
      break;
    }
  }
  Work();
  for (std::thread& helper : helpers) helper.join();
  std::lock_guard<std::mutex> lock(mutex_);
  return !failed_;
}

ScopedThreadStarter::ScopedThreadStarter(WorkPool::ThreadStarter starter) : saved_(g_starter) {
  g_starter = starter;
}

ScopedThreadStarter::~ScopedThreadStarter() { g_starter = saved_; }

}  // namespace velmora
