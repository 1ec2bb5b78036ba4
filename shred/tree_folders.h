// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Visiting every folder of a walked tree at once, a pool of threads taking
// one folder each, for the work on a folder's own entries that needs no
// order between folders (renaming or removing the files in it).
#include <cstdint>
#include <functional>

#include "shred/tree_model.h"

namespace velmora {

// Calls `visit` once for every folder of `model` below and including the
// root (open as `root`), with a descriptor of that very folder, on
// `threads` threads. A folder that cannot be found again is marked as
// staying and not visited, nor is anything below it.
void ForEachFolder(int root, std::uint64_t mount, TreeModel& model, unsigned threads,
                   const std::function<void(FolderNode&, int fd)>& visit);

}  // namespace velmora
