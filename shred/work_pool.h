// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A small pool of threads draining one shared stack of tasks, where a task
// may add more. Last in, first out: the walk goes deep before it goes wide,
// which keeps the number of folders held open small.
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace velmora {

class WorkPool {
 public:
  using Task = std::function<void()>;

  // The threads a folder walk uses by default: one per core, at most 8.
  static unsigned DefaultThreads();

  // Runs `first` and every task it (or they) add, on `threads` threads
  // (the caller's own thread counts as one), and returns when all are done.
  void Run(unsigned threads, Task first);

  // Adds a task; from inside a running task only.
  void Add(Task task);

 private:
  void Work();

  std::mutex mutex_;
  std::condition_variable wake_;
  std::vector<Task> stack_;
  unsigned busy_ = 0;
};

}  // namespace velmora
