// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The first walk of a folder shred: every folder read once, every regular
// file that is the user's alone given every pass of the plan while it is
// open (file by file), nothing removed. Folders
// are taken by a small pool of threads, one folder (or a chunk of a big
// one's files) per task.
#include <cstdint>
#include <string>
#include <vector>

#include "engine/pass_plan.h"
#include "engine/run_control.h"
#include "tree/tree_model.h"

namespace velmora {

// A file a stop came to once `passes_done` of its passes were whole: the
// rest were skipped, and it is removed with the files overwritten.
struct StoppedAfterPasses {
  std::string path;  // inside the tree
  int passes_done = 0;
  bool operator==(const StoppedAfterPasses&) const = default;
};

struct TreeOverwriteResult {
  std::size_t files_overwritten = 0;
  bool stopped = false;  // the user asked to stop before every file was overwritten
  // Files the stop came to in their first pass, by their paths inside the tree.
  std::vector<std::string> partly_overwritten;
  std::vector<StoppedAfterPasses> stopped_after_passes;
};

// Walks the tree below the open folder `root` (already in `model` as its
// root node), on mount `mount`, with `threads` threads. Folders met are made
// readable, searchable and writable (their old modes recorded). The
// writeback is paced with a sync of the file system per batch, and
// `control` hears, as the syncs return, how many files are on the disk.
// Should the pool fail part way, the walk ends as a Stop ends it.
TreeOverwriteResult OverwriteTree(int root, std::uint64_t mount, TreeModel& model, const PassPlan& plan,
                                  RunControl& control, const std::string& item, unsigned threads);

}  // namespace velmora
