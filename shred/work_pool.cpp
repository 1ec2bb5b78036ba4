// SPDX-License-Identifier: GPL-3.0-or-later
#include "shred/work_pool.h"

#include <algorithm>

namespace velmora {

unsigned WorkPool::DefaultThreads() { return std::clamp(std::thread::hardware_concurrency(), 1u, 8u); }

void WorkPool::Add(Task task) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stack_.push_back(std::move(task));
  }
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
    task();
    lock.lock();
    if (--busy_ == 0 && stack_.empty()) wake_.notify_all();
  }
}

void WorkPool::Run(unsigned threads, Task first) {
  stack_.push_back(std::move(first));
  std::vector<std::thread> helpers;
  for (unsigned i = 1; i < std::max(threads, 1u); ++i) helpers.emplace_back([this] { Work(); });
  Work();
  for (std::thread& helper : helpers) helper.join();
}

}  // namespace velmora
