// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Visiting every folder of a walked tree at once, a pool of threads taking
// one folder each (a big one in chunks of entries), for the work on a folder's own entries that needs no
// order between folders (renaming or removing the files in it).
#include <cstddef>
#include <cstdint>
#include <functional>

#include "tree/tree_model.h"

namespace velmora {

// Calls `visit(node, fd, begin, end)` for every folder of `model` below and
// including the root (open as `root`), with a descriptor of that very folder
// and a range of its entries, on `threads` threads. A folder's entries are
// all visited once, in one call or, for a big folder, in chunks taken by
// several threads at once. A folder that cannot be found again is marked as
// staying and not visited, nor is anything below it. False when the pool
// failed (a task threw): some folders or chunks were then not visited.
bool ForEachFolder(int root, std::uint64_t mount, TreeModel& model, unsigned threads,
                   const std::function<void(FolderNode&, int fd, std::size_t begin, std::size_t end)>& visit);

}  // namespace velmora
