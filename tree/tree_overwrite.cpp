// SPDX-License-Identifier: GPL-3.0-or-later
#include "tree/tree_overwrite.h"

#include <dirent.h>
#include <fcntl.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstddef>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <utility>
#include <vector>

#include "engine/wipe_file.h"
#include "engine/writeback_pacer.h"
#include "fs/entry_at.h"
#include "fs/entry_stat.h"
#include "fs/folder_listing.h"
#include "fs/force_mode.h"
#include "fs/path_text.h"
#include "tree/tree_open.h"

namespace velmora {
namespace {

class Overwriter {
 public:
  Overwriter(int root, std::uint64_t mount, TreeModel& model, const PassPlan& plan, RunControl& control,
             const std::string& item)
      : root_(root), mount_(mount), model_(model), plan_(plan), control_(control), item_(item) {}

  TreeOverwriteResult Run(unsigned threads) {
    FolderNode* top = &model_.root();
    // A task that failed (out of memory, say) ended the walk as a Stop ends
    // it. What was not overwritten, or not even listed, is not removed, so
    // its folders stay with it.
    failed_ = !pool_.Run(threads, [this, top] { Folder(top, UniqueFd(OpenFolderAt(root_, "."))); });
    OverwriteLinkedInside();
    ForgetVanished();
    std::sort(partly_.begin(), partly_.end());
    std::sort(after_passes_.begin(), after_passes_.end(),
              [](const StoppedAfterPasses& a, const StoppedAfterPasses& b) { return a.path < b.path; });
    return {overwritten_.load(), stopped_.load(), std::move(partly_), std::move(after_passes_)};
  }

 private:
  // A multiply linked file: how many of its names the walk met, and where.
  struct Linked {
    nlink_t links = 0;
    std::vector<std::pair<FolderNode*, std::size_t>> names;  // folder, entry index
  };

  // One task: read the folder once, hand its folders on, overwrite its
  // files (a big folder's in chunks, taken by several threads at once).
  void Folder(FolderNode* node, UniqueFd fd) {
    std::vector<ListedEntry> listed;
    if (!fd.valid() || !ReadFolder(fd.get(), listed)) node->keeps = true;
    // Every entry's kind first: the counts of the tree need it.
    std::erase_if(listed,
                  [&](ListedEntry& entry) { return entry.type == DT_UNKNOWN && !LookAt(fd.get(), *node, entry); });
    Listed(listed);
    for (ListedEntry& entry : listed) {
      if (entry.type == DT_DIR) {
        if (!EnterChild(fd.get(), node, entry)) FolderRead();
        continue;
      }
      node->entries.push_back({entry.name, entry.name, entry.inode, entry.type == DT_REG});
    }
    listed = {};
    // The entries stay where they are from here on: each chunk works on its
    // own, with the folder's descriptor shared.
    auto shared = std::make_shared<UniqueFd>(std::move(fd));
    ShareOut(pool_, node->entries.size(), [this, node, shared](std::size_t begin, std::size_t end) {
      for (std::size_t i = begin; i < end; ++i) {
        if (node->entries[i].regular && !Overwrite(shared->get(), node, i)) {
          std::lock_guard<std::mutex> lock(vanished_mutex_);
          vanished_.emplace_back(node, i);
        }
      }
    });
  }

  // Entries gone since their folder was read hold nothing to shred: they
  // leave the model once nothing refers to them by position any more.
  void ForgetVanished() {
    std::sort(vanished_.rbegin(), vanished_.rend());
    for (auto [node, index] : vanished_)
      node->entries.erase(node->entries.begin() + static_cast<std::ptrdiff_t>(index));
  }

  // The file system did not say what the entry is: look, once.
  bool LookAt(int dirfd, FolderNode& node, ListedEntry& entry) {
    EntryStat seen;
    if (!StatAt(dirfd, entry.name, seen)) {
      if (seen.error != ENOENT) Keep(node, entry.name, WipeOutcome::OpenFailed, seen.error);  // gone meanwhile is fine
      return false;
    }
    if (IsOtherMount(seen, mount_)) {
      Keep(node, entry.name, WipeOutcome::MountPoint, 0);
      return false;
    }
    entry.type = IFTODT(seen.st.st_mode);
    entry.inode = seen.st.st_ino;
    return true;
  }

  // `name` in `node` stays, never entered, for `outcome`.
  static void Keep(FolderNode& node, const std::string& name, WipeOutcome outcome, int error) {
    node.keeps = true;
    node.kept.push_back({name, outcome, error});
  }

  // False when the file is gone since the folder was read.
  bool Overwrite(int dirfd, FolderNode* node, std::size_t index) {
    TreeEntry& entry = node->entries[index];
    if (StopNow()) return true;  // what is not reached stays, with its folders
    struct stat opened;
    int passes_done = 0;
    WipePolicy policy = PolicyFor(entry.inode, 1, passes_done);
    policy.error = &entry.error;
    const WipeOutcome outcome = OverwriteAt(dirfd, entry.name, plan_, policy, opened);
    if (outcome == WipeOutcome::OtherLinks) {
      // Another name of this file may be outside the tree: count the names
      // met inside before deciding whether its data is the user's alone.
      std::lock_guard<std::mutex> lock(linked_mutex_);
      Linked& linked = linked_[entry.inode];
      linked.links = opened.st_nlink;
      linked.names.emplace_back(node, index);
      return true;
    }
    if (outcome == WipeOutcome::Gone) {
      writeback_.FileDone(false);
      return false;
    }
    entry.outcome = outcome;
    Stopped(outcome, passes_done, *node, entry.original);
    writeback_.FileDone(outcome == WipeOutcome::Shredded);
    if (!Overwritten(outcome)) return true;  // it stays, and so do its folders
    entry.overwritten = true;
    entry.covered = CoveredLength(opened, plan_.fill());
    if (outcome == WipeOutcome::Shredded) ++overwritten_;
    return true;
  }

  // How the walk overwrites a file: only the inode listed, with the number
  // of names expected, read-only or not, never made anew; the data is forced
  // and any growth covered later, for the whole tree at once.
  WipePolicy PolicyFor(ino_t inode, nlink_t links, int& passes_done) {
    WipePolicy policy;
    policy.force_read_only = true;
    policy.create_missing = false;
    policy.sync_now = false;          // one sync of the file system follows the walk
    policy.cover_growth_now = false;  // the removal looks at the size once more
    policy.folder_mount = mount_;
    policy.expected_inode = inode;
    policy.expected_links = links;
    policy.progress = &writeback_;
    policy.passes_done = &passes_done;
    return policy;
  }

  bool StopNow() {
    if (!stopped_ && control_.StopRequested()) stopped_ = true;
    return stopped_;
  }

  // A file a stop came to: in its first pass it stays under its name (one
  // partly written is named in the outcome); after a whole pass it goes,
  // named with the passes it got.
  void Stopped(WipeOutcome outcome, int passes_done, const FolderNode& node, const std::string& name) {
    if (outcome != WipeOutcome::StoppedPartWay && outcome != WipeOutcome::StoppedBeforeStart &&
        outcome != WipeOutcome::StoppedAfterPasses)
      return;
    stopped_ = true;
    if (outcome == WipeOutcome::StoppedBeforeStart) return;
    std::string path = name;
    for (const FolderNode* at = &node; at->parent != nullptr; at = at->parent) path = JoinPath(at->original, path);
    std::lock_guard<std::mutex> lock(partly_mutex_);
    if (outcome == WipeOutcome::StoppedAfterPasses)
      after_passes_.push_back({std::move(path), passes_done});
    else
      partly_.push_back(std::move(path));
  }

  // The kinds of a folder's entries are known: its files count towards the
  // tree's, its subfolders are yet to be read, and it is read itself.
  void Listed(const std::vector<ListedEntry>& listed) {
    std::size_t files = 0, folders = 0;
    for (const ListedEntry& entry : listed) {
      if (entry.type == DT_REG) ++files;
      if (entry.type == DT_DIR) ++folders;
    }
    files_found_ += files;
    unread_ += folders;
    FolderRead();
  }

  // Once no folder is left unread, the number of files is known.
  void FolderRead() {
    if (--unread_ == 0) Report(std::nullopt);
  }

  // Tells the control where the tree stands: after each sync of a batch,
  // and once the number of files is known.
  void Report(std::optional<TreeWriteback::Counts> acknowledged) {
    std::lock_guard<std::mutex> lock(report_mutex_);
    if (acknowledged) acknowledged_ = *acknowledged;
    FolderStatus status;
    status.done = acknowledged_.files_done;
    status.overwritten = acknowledged_.files_overwritten;
    status.total = unread_ == 0 ? files_found_.load() : 0;
    control_.FolderProgress(item_, status);
  }

  // False when the folder is not entered (and so never read).
  bool EnterChild(int dirfd, FolderNode* node, const ListedEntry& entry) {
    EntryStat seen;
    UniqueFd child = OpenChild(dirfd, entry, seen);
    EntryStat opened;
    // Only the very folder listed, and only on the tree's own mount: a
    // folder mounted here (of any file system) is never entered.
    if (!child.valid() || !StatFd(child.get(), opened)) {
      Keep(*node, entry.name, WipeOutcome::OpenFailed, errno);
      return false;
    }
    if (opened.st.st_ino != entry.inode || !S_ISDIR(opened.st.st_mode) || IsOtherMount(opened, mount_)) {
      Keep(*node, entry.name, IsOtherMount(opened, mount_) ? WipeOutcome::MountPoint : WipeOutcome::Changed, 0);
      return false;
    }
    FolderNode made;
    made.name = made.original = entry.name;
    made.parent = node;
    made.st = opened.st;
    // A mode changed just now to open it counts as changed from the start.
    const mode_t before = seen.st.st_ino == entry.inode ? seen.st.st_mode : opened.st.st_mode;
    GrantOwnerRights(made, child.get(), before, opened.st.st_mode);
    FolderNode* added = model_.Add(std::move(made));
    node->children.push_back(added);
    hand_off_.Add(added, std::move(child), [this](FolderNode* next, UniqueFd fd) { Folder(next, std::move(fd)); });
    return true;
  }

  // The folder `entry` of `dirfd` opened. One its owner may not open is
  // given the rights to first (only the very folder listed, on the tree's
  // mount); `seen` then describes it as it was before.
  UniqueFd OpenChild(int dirfd, const ListedEntry& entry, EntryStat& seen) {
    UniqueFd child(OpenFolderAt(dirfd, entry.name));
    const int open_error = child.valid() ? 0 : errno;
    if (open_error == EACCES && StatAt(dirfd, entry.name, seen) && seen.st.st_ino == entry.inode &&
        !IsOtherMount(seen, mount_) && AddModeBits(dirfd, entry.name, seen.st, S_IRWXU))
      child = UniqueFd(OpenFolderAt(dirfd, entry.name));
    return child;
  }

  // A file whose every name lies inside the tree is the user's alone:
  // overwritten once, then all its names go. One with a name outside is
  // removed here without being overwritten.
  void OverwriteLinkedInside() {
    for (auto& [inode, linked] : linked_) {
      if (linked.names.size() != linked.links) {
        for (auto [at, i] : linked.names) {
          at->entries[i].shared = true;
          writeback_.FileDone(false);
        }
        continue;
      }
      if (failed_ || StopNow()) continue;  // all its names stay
      OverwriteLinked(inode, linked);
    }
  }

  // Overwrites a file with several names, all inside the tree, through the
  // first name met; every name shares the outcome.
  void OverwriteLinked(ino_t inode, const Linked& linked) {
    auto [node, index] = linked.names.front();
    UniqueFd folder = OpenNodeFromRoot(root_, *node, mount_);
    struct stat opened;
    int passes_done = 0;
    int error = folder.valid() ? 0 : errno;
    WipePolicy policy = PolicyFor(inode, linked.links, passes_done);
    policy.error = &error;
    const WipeOutcome outcome = folder.valid()
                                    ? OverwriteAt(folder.get(), node->entries[index].name, plan_, policy, opened)
                                    : WipeOutcome::OpenFailed;
    for (auto [at, i] : linked.names) {
      at->entries[i].outcome = outcome;
      at->entries[i].error = error;
    }
    Stopped(outcome, passes_done, *node, node->entries[index].original);
    for (std::size_t i = 0; i < linked.names.size(); ++i) writeback_.FileDone(outcome == WipeOutcome::Shredded);
    if (!Overwritten(outcome)) return;  // it stays, under every name
    if (outcome == WipeOutcome::Shredded) ++overwritten_;
    for (auto [at, i] : linked.names) {
      at->entries[i].overwritten = true;
      at->entries[i].covered = CoveredLength(opened, plan_.fill());
    }
  }

  const int root_;
  const std::uint64_t mount_;
  TreeModel& model_;
  const PassPlan& plan_;
  RunControl& control_;
  const std::string& item_;
  WorkPool pool_;
  FolderHandOff hand_off_{pool_, root_, mount_};
  std::atomic<std::size_t> overwritten_{0};
  std::atomic<bool> stopped_{false};
  bool failed_ = false;  // the pool failed part way
  std::mutex vanished_mutex_;
  std::vector<std::pair<FolderNode*, std::size_t>> vanished_;  // folder, entry index
  std::mutex linked_mutex_;
  std::map<ino_t, Linked> linked_;
  TreeWriteback writeback_{root_, [this] { return StopNow(); },
                           [this](TreeWriteback::Counts counts) { Report(counts); }};
  std::atomic<std::size_t> files_found_{0};
  std::atomic<std::size_t> unread_{1};  // the root, until it is read
  std::mutex report_mutex_;
  TreeWriteback::Counts acknowledged_;
  std::mutex partly_mutex_;
  std::vector<std::string> partly_;
  std::vector<StoppedAfterPasses> after_passes_;
};

}  // namespace

TreeOverwriteResult OverwriteTree(int root, std::uint64_t mount, TreeModel& model, const PassPlan& plan,
                                  RunControl& control, const std::string& item, unsigned threads) {
  return Overwriter(root, mount, model, plan, control, item).Run(threads);
}

}  // namespace velmora
