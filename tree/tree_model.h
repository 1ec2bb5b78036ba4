// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the folder shred learns of a tree while it overwrites it, kept for the
// removal that follows the one sync: per folder, the names it held with the
// inode each named, which were overwritten, and what must stay. A name list
// per folder, never a file's contents.
#include <sys/stat.h>

#include <atomic>
#include <cstdint>
#include <deque>
#include <map>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "engine/wipe_file.h"

namespace velmora {

using InodeKey = std::pair<dev_t, ino_t>;

inline InodeKey KeyOf(const struct stat& st) { return {st.st_dev, st.st_ino}; }

struct TreeEntry {
  std::string name;     // as it is now (a random one once scrubbed)
  std::string original; // as it was listed
  ino_t inode = 0;
  bool regular = false;      // a regular file (anything else is removed, never opened)
  bool overwritten = false;  // every byte covered with the pattern
  bool shared = false;       // a regular file with a name outside the tree
  off_t covered = 0;         // how far the overwrite covered it
  // What the overwrite of a regular file came to: why it stays, when it does
  // (RemoveFailed too, for one whose removal failed), and the errno of the
  // call that decided it.
  WipeOutcome outcome = WipeOutcome::Shredded;
  int error = 0;
  bool removed = false;  // gone after the run (removed, or gone already)
};

// A name in a folder that stays for a reason of its own and is no entry:
// a folder mounted over, or one that could not be entered.
struct KeptName {
  std::string name;
  WipeOutcome outcome = WipeOutcome::OpenFailed;
  int error = 0;
};

struct FolderNode {
  std::string name;      // in its parent, as it is now
  std::string original;  // as it was listed
  FolderNode* parent = nullptr;
  struct stat st {};     // as opened
  bool mode_changed = false;
  mode_t original_mode = 0;
  std::vector<TreeEntry> entries;     // everything but the folders entered
  std::vector<FolderNode*> children;  // the folders entered
  std::vector<KeptName> kept;         // the names here never entered, and why (its own task writes them)
  bool keeps = false;                 // something here stays (a mount, a folder not entered...)
  bool removed_inside = false;        // an entry of it was removed
};

// The whole tree's nodes; nodes never move once made, so workers keep
// pointers to them while others add more.
class TreeModel {
 public:
  FolderNode* Add(FolderNode node) {
    std::lock_guard<std::mutex> lock(mutex_);
    nodes_.push_back(std::move(node));
    return &nodes_.back();
  }
  FolderNode& root() { return nodes_.front(); }

  // Calls `visit` on every folder, each one's subfolders before it: a folder
  // is always made after its parent, so the reverse order of making will do.
  template <typename Visit>
  void ChildrenFirst(Visit visit) {
    for (auto it = nodes_.rbegin(); it != nodes_.rend(); ++it) visit(*it);
  }

 private:
  std::mutex mutex_;
  std::deque<FolderNode> nodes_;
};

// Whether an entry may go: it was overwritten, or it holds no data of the
// user's alone (a link, a special file, a file with a name elsewhere).
inline bool Removable(const TreeEntry& entry) { return !entry.regular || entry.overwritten || entry.shared; }

}  // namespace velmora
