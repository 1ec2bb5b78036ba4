// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The walks of a folder shred after the one sync: rename what will go to
// random names (where that takes names off the disk), then remove it, the
// entries of every folder before the folders. Each name is checked, right
// before it is renamed or removed, to still hold the very inode the
// overwrite walk met; what has to stay gets its own name and its folder's
// mode back.
#include <cstddef>
#include <cstdint>
#include <functional>

#include "engine/fill_pattern.h"
#include "tree/tree_model.h"

namespace velmora {

// Marks every folder that keeps anything (a file not overwritten, a mount,
// a folder not entered), its parents included.
void MarkWhatStays(TreeModel& model);

// Renames every entry below `root` that will go, folders aside, to a random
// name of the same length. The entries of each folder are taken by a pool of
// `threads` threads, a folder (or a chunk of a big one) per task. False when
// the pool failed part way: some names were then not scrubbed.
bool ScrubFileNames(int root, std::uint64_t mount, TreeModel& model, unsigned threads);

// Renames every folder below `root` that will go (the root itself is the
// caller's) to a random name of the same length.
void ScrubFolderNames(int root, std::uint64_t mount, TreeModel& model);

// Removes the entries that may go below `root`, folders aside (a pool of
// `threads` threads, a folder or a chunk of a big one per task). A file that
// grew since it was overwritten gets the rest covered with `pattern` and
// forced to the disk first. An entry that stays gets its name back. Returns
// how many stayed; should the pool fail part way, what it did not reach
// stays (counted as one more) and the root is marked as staying.
// `handled`, when given, is called after each entry, from the pool's threads.
std::size_t RemoveFiles(int root, std::uint64_t mount, TreeModel& model, unsigned threads,
                        const FillPattern& pattern, const std::function<void()>& handled = {});

// Removes the folders below `root` that are empty now, each after its
// subfolders; one that stays gets its name and mode back, and the removals
// inside it made durable. Returns how many stayed. When anything stays,
// every entry and folder left under a random name gets its listed name back,
// also where that name was another's random one at first. `handled`, when
// given, is called after each folder below the root.
std::size_t RemoveFolders(int root, std::uint64_t mount, TreeModel& model, const std::function<void()>& handled = {});

// Gives every folder of the tree, the root included, the mode it had before
// the walk widened it: for a run that ends with nothing removed.
void PutModesBack(int root, std::uint64_t mount, TreeModel& model);

}  // namespace velmora
