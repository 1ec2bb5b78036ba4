#pragma once
// The walks of a folder shred after the one sync: scrub the names of what
// will go (where that helps), then remove it. Each name is checked, right
// before it is renamed or removed, to still hold the very inode the
// overwrite walk met; what has to stay gets its own name and its folder's
// mode back.
#include <cstddef>
#include <cstdint>

#include "shred/tree_model.h"

namespace velmora {

// Marks every folder that keeps anything (a file not overwritten, a mount,
// a folder not entered), its parents included.
void MarkWhatStays(TreeModel& model);

// Renames every entry and folder below `root` that will go to a random name
// of the same length (the root itself is the caller's). The entries of each
// folder are taken by a pool of `threads` threads, a folder per task.
void ScrubTreeNames(int root, std::uint64_t mount, TreeModel& model, unsigned threads);

// Removes what may go below `root`: the entries of every folder first (a
// pool of `threads` threads, a folder per task), then the folders that are
// then empty, each after its subfolders. What stays gets its name and mode
// back. Returns how many entries stayed.
std::size_t RemoveTree(int root, std::uint64_t mount, TreeModel& model, unsigned threads);

}  // namespace velmora
