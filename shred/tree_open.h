// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Finding a folder of a walked tree again, only the very folder the walk met
// and only on the tree's own mount; and handing open folders on to the pool
// without holding too many open at once.
#include <atomic>
#include <cstdint>
#include <utility>

#include "shred/tree_model.h"
#include "shred/unique_fd.h"
#include "shred/work_pool.h"

namespace velmora {

// `node` opened in the open folder `dirfd`; invalid unless it is the same
// inode the walk recorded, on mount `mount`.
UniqueFd OpenNode(int dirfd, const FolderNode& node, std::uint64_t mount);

// `node` opened step by step down from the tree's root folder `root`.
UniqueFd OpenNodeFromRoot(int root, const FolderNode& node, std::uint64_t mount);

// Gives each folder task of a pool its folder's descriptor: the one already
// open while few tasks hold one, else the task finds it again from the root.
class FolderHandOff {
 public:
  FolderHandOff(WorkPool& pool, int root, std::uint64_t mount) : pool_(pool), root_(root), mount_(mount) {}

  // Adds a task that runs `work(node, fd)`.
  template <typename Work>
  void Add(FolderNode* node, UniqueFd fd, Work work) {
    if (held_open_.fetch_add(1) < kHeldOpen) {
      pool_.Add([this, node, work, raw = fd.Release()] {
        --held_open_;
        work(node, UniqueFd(raw));
      });
      return;
    }
    --held_open_;
    fd.Reset();
    pool_.Add([this, node, work] { work(node, OpenNodeFromRoot(root_, *node, mount_)); });
  }

 private:
  static constexpr int kHeldOpen = 64;
  WorkPool& pool_;
  const int root_;
  const std::uint64_t mount_;
  std::atomic<int> held_open_{0};
};

}  // namespace velmora
