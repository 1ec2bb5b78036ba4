// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The first walk of a folder shred: every folder read once, every regular
// file that is the user's alone overwritten once, nothing removed. Folders
// are taken by a small pool of threads, one folder (or a chunk of a big
// one's files) per task.
#include <cstdint>
#include <string>
#include <vector>

#include "engine/fill_pattern.h"
#include "engine/run_control.h"
#include "tree/tree_model.h"

namespace velmora {

struct TreeOverwriteResult {
  std::size_t files_overwritten = 0;
  bool stopped = false;  // the user asked to stop before every file was overwritten
  // Files the stop came in the middle of, by their paths inside the tree.
  std::vector<std::string> partly_overwritten;
};

// Walks the tree below the open folder `root` (already in `model` as its
// root node), on mount `mount`, with `threads` threads. Folders met are made
// readable, searchable and writable (their old modes recorded). The
// writeback is paced with a sync of the file system per batch, and
// `control` hears, as the syncs return, how many files are on the disk.
// Should the pool fail part way, the walk ends as a Stop ends it.
TreeOverwriteResult OverwriteTree(int root, std::uint64_t mount, TreeModel& model, const FillPattern& pattern,
                                  RunControl& control, const std::string& item, unsigned threads);

}  // namespace velmora
