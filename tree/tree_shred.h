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

// Something inside the folder that stayed for a reason of its own, by its
// path inside the folder, with the errno of the call that decided it (0:
// none did).
struct KeptEntry {
  std::string path;
  ItemOutcome outcome = ItemOutcome::OpenFailed;
  int error = 0;
  bool operator==(const KeptEntry&) const = default;
};

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
  // Everything else kept for a reason of its own (a mount, a file in use, a
  // file that could not be opened or removed), sorted by path.
  std::vector<KeptEntry> kept;
  std::size_t files_total = 0;  // the regular files the walk listed
  std::size_t files_left = 0;   // of those, the ones still there
  int error = 0;                // the errno that decided the folder's own outcome, when a call did
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
