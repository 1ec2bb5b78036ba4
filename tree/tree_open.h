// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Finding a folder of a walked tree again, only the very folder the walk met
// and only on the tree's own mount; and handing open folders on to the pool
// without holding too many open at once.
#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <utility>

#include "fs/unique_fd.h"
#include "tree/tree_model.h"
#include "tree/work_pool.h"

namespace velmora {

// `node` opened in the open folder `dirfd`; invalid unless it is the same
// inode the walk recorded, on mount `mount`.
UniqueFd OpenNode(int dirfd, const FolderNode& node, std::uint64_t mount);

// `node` opened step by step down from the tree's root folder `root`.
UniqueFd OpenNodeFromRoot(int root, const FolderNode& node, std::uint64_t mount);

// Every folder the shred walks must be readable, writable and searchable by
// its owner: where its mode `before` the walk lacks any of that, the folder
// `node`, open as `fd` with mode `now`, gets it, and that mode is recorded
// to be put back should the folder stay.
void GrantOwnerRights(FolderNode& node, int fd, mode_t before, mode_t now);

// The most folder descriptors a walk of the tree keeps open at once, whatever
// its depth or breadth: the folders past it are found again when they are
// needed, each step checked to be the folder the walk met. Bounded so a tree
// of any shape stays within the descriptors set aside for the walks (see
// kDescriptorsKept in work_pool.cpp).
inline constexpr std::size_t kFoldersHeldOpen = 64;

// A folder with more entries than this is shared out: its entries are
// overwritten, renamed and removed in chunks of this many, each a task of its
// own, so one big flat folder keeps every thread busy as a tree does. Small
// chunks also keep the last tasks of a walk from running on a few threads
// while the others wait (32 beat 128 in seven of eight paired runs).
inline constexpr std::size_t kEntriesPerTask = 32;

// Calls `chunk(begin, end)` for every chunk of `count` entries: the first here,
// the others as tasks of `pool`, last first.
template <typename Chunk>
void ShareOut(WorkPool& pool, std::size_t count, const Chunk& chunk) {
  for (std::size_t begin = kEntriesPerTask; begin < count; begin += kEntriesPerTask) {
    const std::size_t end = std::min(count, begin + kEntriesPerTask);
    pool.Add([chunk, begin, end] { chunk(begin, end); });
  }
  chunk(0, std::min(count, kEntriesPerTask));
}

// Gives each folder task of a pool its folder's descriptor: the one already
// open while few tasks hold one, else the task finds it again from the root.
class FolderHandOff {
 public:
  FolderHandOff(WorkPool& pool, int root, std::uint64_t mount) : pool_(pool), root_(root), mount_(mount) {}

  // Adds a task that runs `work(node, fd)`.
  template <typename Work>
  void Add(FolderNode* node, UniqueFd fd, Work work) {
    if (held_open_.fetch_add(1) < kFoldersHeldOpen) {
      // Shared, so a task the pool drops undone still closes it.
      auto held = std::make_shared<UniqueFd>(std::move(fd));
      pool_.Add([this, node, work, held] {
        --held_open_;
        work(node, std::move(*held));
      });
      return;
    }
    --held_open_;
    fd.Reset();
    pool_.Add([this, node, work] { work(node, OpenNodeFromRoot(root_, *node, mount_)); });
  }

 private:
  WorkPool& pool_;
  const int root_;
  const std::uint64_t mount_;
  std::atomic<std::size_t> held_open_{0};
};

}  // namespace velmora
