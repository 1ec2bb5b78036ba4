// SPDX-License-Identifier: GPL-3.0-or-later
// The pool of the folder walks on its own: every task runs once whatever the
// number of threads, a task that throws ends the rest cleanly, and a thread
// that cannot be started means fewer threads, never a lost task or an abort.
#include "tree/work_pool.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <new>
#include <set>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

namespace velmora {
namespace {

// A task that adds `fan` children down to `depth` levels, each marking its
// own slot when it runs.
struct TaskTree {
  WorkPool& pool;
  std::vector<std::atomic<int>>& runs;
  int fan;
  void Node(std::size_t id, int depth) {
    ++runs[id];
    if (depth == 0) return;
    for (int i = 1; i <= fan; ++i) {
      const std::size_t child = id * static_cast<std::size_t>(fan) + static_cast<std::size_t>(i);
      pool.Add([this, child, depth] { Node(child, depth - 1); });
    }
  }
};

TEST(WorkPool, EveryTaskRunsExactlyOnceOnOneThreadOrMany) {
  for (unsigned threads : {1u, 2u, 4u, 16u, 64u}) {
    WorkPool pool;
    std::vector<std::atomic<int>> runs(1 + 4 + 16 + 64 + 256);  // a tree of fan 4, depth 4
    TaskTree tree{pool, runs, 4};
    EXPECT_TRUE(pool.Run(threads, [&] { tree.Node(0, 4); })) << threads;
    for (std::size_t id = 0; id < runs.size(); ++id) EXPECT_EQ(runs[id].load(), 1) << "task " << id << ", " << threads;
  }
}

TEST(WorkPool, ATaskThatThrowsEndsTheRestCleanly) {
  for (unsigned threads : {1u, 4u}) {
    WorkPool pool;
    std::atomic<int> ran{0}, added_after{0};
    auto held = std::make_shared<int>(0);  // stands for a descriptor a task holds
    const bool finished = pool.Run(threads, [&] {
      for (int i = 0; i < 100; ++i)
        pool.Add([&, held, i] {
          ++ran;
          if (i == 99) throw std::bad_alloc();  // the last added runs first
          pool.Add([&] { ++added_after; });
        });
    });
    EXPECT_FALSE(finished) << threads;
    // On one thread the throwing task is the first to run and the others are
    // dropped; on more, those already running finish, none runs twice.
    if (threads == 1) {
      EXPECT_EQ(ran.load(), 1);
    }
    EXPECT_LE(ran.load(), 100);
    EXPECT_LE(added_after.load(), ran.load() - 1);
    EXPECT_EQ(held.use_count(), 1) << "a dropped task still holds what it captured";
  }
}

TEST(WorkPool, ThreadsThatCannotBeStartedLeaveTheCallersThreadToDoEverything) {
  static std::atomic<int> started{0};
  static int allowed = 0;
  const auto fails_after_allowed = [](std::function<void()> body) {
    if (started++ >= allowed) throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
    return std::thread(std::move(body));
  };
  for (int can_start : {0, 2}) {
    started = 0;
    allowed = can_start;
    ScopedThreadStarter starter(fails_after_allowed);
    WorkPool pool;
    std::vector<std::atomic<int>> runs(1 + 8 + 64);
    TaskTree tree{pool, runs, 8};
    std::mutex mutex;
    std::set<std::thread::id> seen;
    EXPECT_TRUE(pool.Run(16, [&] {
      tree.Node(0, 2);
      std::lock_guard<std::mutex> lock(mutex);
      seen.insert(std::this_thread::get_id());
    }));
    for (std::size_t id = 0; id < runs.size(); ++id) EXPECT_EQ(runs[id].load(), 1) << "task " << id;
    if (can_start == 0) {
      EXPECT_EQ(seen, std::set<std::thread::id>{std::this_thread::get_id()});
    }
    EXPECT_EQ(started.load(), can_start + 1) << "stops trying after the first failure";
  }
}

TEST(WorkPool, WaitingThreadsAreMoreThanCoresButBoundByTheDescriptorLimit) {
  EXPECT_GE(WorkPool::WaitingThreads(), WorkPool::DefaultThreads());
  EXPECT_GT(WorkPool::WaitingThreads(), 2u);
  struct rlimit saved {};
  ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &saved), 0);
  // Four descriptors a thread, 256 kept for the rest.
  for (auto [limit, most] : {std::pair<rlim_t, unsigned>{300, 11}, {64, 1}}) {
    if (limit > saved.rlim_max) continue;
    struct rlimit low = saved;
    low.rlim_cur = limit;
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &low), 0);
    const unsigned threads = WorkPool::WaitingThreads();
    ::setrlimit(RLIMIT_NOFILE, &saved);
    EXPECT_GE(threads, 1u) << limit;
    EXPECT_LE(threads, most) << limit;
  }
}

}  // namespace
}  // namespace velmora
