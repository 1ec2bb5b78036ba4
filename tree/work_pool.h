// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A small pool of threads draining one shared stack of tasks, where a task
// may add more. Last in, first out: the walk goes deep before it goes wide,
// which keeps the number of folders held open small.
//
// The pool never takes the program down: a task that throws (out of memory,
// above all) ends the run as a Stop does, and a thread that cannot be started
// means fewer threads, down to the caller's own.
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace velmora {

class WorkPool {
 public:
  using Task = std::function<void()>;
  // Starts a thread running `body`; throws (std::system_error) when it cannot.
  using ThreadStarter = std::thread (*)(std::function<void()> body);

  // For work that keeps a core busy: one thread per core, at most 8.
  static unsigned DefaultThreads();
  // For work that mostly waits on the device (removals, above all, which wait
  // for the discards of what they free): more threads than cores, so the
  // device sees many requests at once; bounded by the descriptors the
  // process may open. A waiting thread costs little memory: its stack is
  // reserved, not used, and glibc caps its heaps at eight per core.
  static unsigned WaitingThreads();

  // Runs `first` and every task it (or they) add, on up to `threads` threads
  // (the caller's own thread counts as one), and returns when all are done.
  // False when a task threw: the tasks running then were finished, those not
  // started were dropped without running (what they held released), and so
  // was any added later.
  bool Run(unsigned threads, Task first);

  // Adds a task; from inside a running task only. May throw
  // std::bad_alloc, which the pool then takes as that task's failure.
  void Add(Task task);

 private:
  void Work();

  std::mutex mutex_;
  std::condition_variable wake_;
  std::vector<Task> stack_;
  unsigned busy_ = 0;
  bool failed_ = false;
};

// Replaces how the pool starts its threads while it lives, so tests can make
// starting fail; the previous way comes back when it goes.
class ScopedThreadStarter {
 public:
  explicit ScopedThreadStarter(WorkPool::ThreadStarter starter);
  ~ScopedThreadStarter();
  ScopedThreadStarter(const ScopedThreadStarter&) = delete;
  ScopedThreadStarter& operator=(const ScopedThreadStarter&) = delete;

 private:
  WorkPool::ThreadStarter saved_;
};

}  // namespace velmora
