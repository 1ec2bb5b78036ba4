// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Shredding a whole folder: every file in its tree goes through the overwrite
// engine, then the tree is removed.
#include <cstddef>
#include <string>
#include <vector>

#include "engine/pass_plan.h"
#include "engine/item_outcome.h"
#include "engine/run_control.h"
#include "fs/name_scrub.h"
#include "tree/tree_overwrite.h"

namespace velmora {

struct TreeShredResult {
  ItemOutcome outcome = ItemOutcome::OpenFailed;
  bool folder_removed = false;
  std::size_t files_overwritten = 0;
  std::size_t left_behind = 0;  // entries that could not be shredded or removed
  // Files a stop left partly overwritten (each under its own name), by
  // their paths inside the folder.
  std::vector<std::string> partly_overwritten;
  // Files a stop came to after a whole pass: removed with the others.
  std::vector<StoppedAfterPasses> stopped_after_passes;
};

struct TreeShredOptions {
  unsigned threads = 0;  // 0: WorkPool::WaitingThreads(), more than cores
  TreeNamesChoice tree_names = HowTreeNamesGo;  // how the names inside go
};

// `path` must name a folder itself, not a link to one. A file with a hard
// link outside the tree is removed without being overwritten (its data
// belongs to a name outside the user's choice too); one whose every name is
// inside is overwritten. Nothing is removed before every overwrite in
// the tree is on the device. When `control` asks to stop, no further file is
// overwritten; what was overwritten so far is still removed, and the rest
// stays in its folders.
TreeShredResult ShredTree(const std::string& path, const PassPlan& plan,
                          RunControl& control = NoRunControl(), const TreeShredOptions& options = {});

}  // namespace velmora
