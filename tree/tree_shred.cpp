// SPDX-License-Identifier: GPL-3.0-or-later
#include "tree/tree_shred.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <functional>
#include <mutex>

#include "engine/wipe_file.h"
#include "fs/entry_at.h"
#include "fs/entry_stat.h"
#include "fs/force_mode.h"
#include "fs/journal_scrub.h"
#include "fs/path_text.h"
#include "fs/remove_entry.h"
#include "tree/folder_attributes.h"
#include "tree/tree_model.h"
#include "tree/tree_open.h"
#include "tree/tree_overwrite.h"
#include "tree/tree_remove.h"
#include "tree/work_pool.h"

namespace velmora {
namespace {

TreeShredResult Refused(ItemOutcome outcome, int error) {
  TreeShredResult result;
  result.outcome = outcome;
  if (outcome == ItemOutcome::OpenFailed) result.error = error;
  return result;
}

// `name` in the folder `node`, as a path inside the listed folder.
std::string PathInside(const FolderNode& node, std::string name) {
  for (const FolderNode* at = &node; at->parent != nullptr; at = at->parent) name = JoinPath(at->original, name);
  return name;
}

// Whether a file that stayed with this outcome is named on a line of its
// own: not when the stop kept it (the folder's count says so; a file stopped
// part way is named as such).
bool NamedAlone(WipeOutcome outcome) {
  return outcome != WipeOutcome::Shredded && outcome != WipeOutcome::StoppedBeforeStart &&
         outcome != WipeOutcome::StoppedPartWay;
}

// What stayed in the tree once the run is over: its files counted, and every
// name kept for a reason of its own.
void TellWhatStayed(TreeModel& model, TreeShredResult& result) {
  model.ChildrenFirst([&](FolderNode& node) {
    for (const TreeEntry& entry : node.entries) {
      result.files_total += entry.regular ? 1 : 0;
      if (entry.removed) continue;
      result.files_left += entry.regular ? 1 : 0;
      if (NamedAlone(entry.outcome))
        result.kept.push_back({PathInside(node, entry.original), OutcomeOfFile(entry.outcome), entry.error});
    }
    for (const KeptName& name : node.kept)
      result.kept.push_back({PathInside(node, name.name), OutcomeOfFile(name.outcome), name.error});
  });
  std::sort(result.kept.begin(), result.kept.end(),
            [](const KeptEntry& a, const KeptEntry& b) { return a.path < b.path; });
}

// The listed folder could not be looked at, for `error` (an errno value).
ItemOutcome LookFailed(int error) {
  return error == ENOENT || error == ENOTDIR ? ItemOutcome::NotFound : ItemOutcome::OpenFailed;
}

// Why the listed folder, looked at as `listed`, cannot be walked now that it
// is open as `root` (invalid: it could not be opened); Shredded when it can.
ItemOutcome WhyNotWalked(const UniqueFd& root, const struct stat& listed, std::uint64_t parent_mount,
                         EntryStat& opened) {
  if (!root.valid() || !StatFd(root.get(), opened)) return ItemOutcome::OpenFailed;
  if (IsOtherMount(opened, parent_mount)) return ItemOutcome::MountPoint;  // mounted since the look
  if (!SameInode(opened.st, listed)) return ItemOutcome::Changed;         // swapped since the look
  return ItemOutcome::Shredded;
}

// Whether a regular file stayed because another program had it open.
bool AnyInUse(TreeModel& model) {
  bool in_use = false;
  model.ChildrenFirst([&](FolderNode& node) {
    for (const TreeEntry& entry : node.entries) in_use = in_use || entry.outcome == WipeOutcome::InUse;
  });
  return in_use;
}

// What the control hears once every file is overwritten: the sync, then how
// many of the tree's entries (the listed folder included) are handled. A
// stopped shred says only that it syncs; the window says it is stopping.
class RemovalProgress {
 public:
  RemovalProgress(RunControl& control, const std::string& item, TreeModel& model, bool every_file)
      : control_(control), item_(item), every_file_(every_file) {
    FolderStatus forcing;
    forcing.phase = FolderPhase::Forcing;
    forcing.stoppable = false;
    control_.FolderProgress(item_, forcing);
    if (!every_file_) return;
    model.ChildrenFirst([this](FolderNode& node) { total_ += node.entries.size() + 1; });
  }

  void Begin() { Tell(0); }

  // Several threads remove at once: told every so many entries, and never
  // a count lower than one already told.
  void Handled() {
    const std::uint64_t n = ++handled_;
    if (n % kEvery == 0 || n == total_) Tell(n);
  }

 private:
  static constexpr std::uint64_t kEvery = 64;

  void Tell(std::uint64_t n) {
    if (!every_file_) return;
    std::lock_guard<std::mutex> lock(mutex_);
    if (n < told_) return;
    told_ = n;
    FolderStatus status;
    status.phase = FolderPhase::Removing;
    status.done = n;
    status.total = total_;
    status.stoppable = false;
    control_.FolderProgress(item_, status);
  }

  RunControl& control_;
  const std::string& item_;
  const bool every_file_;
  std::uint64_t total_ = 0;
  std::atomic<std::uint64_t> handled_{0};
  std::mutex mutex_;
  std::uint64_t told_ = 0;
};

// The listed folder as the shred holds it: open in its open parent, with
// what was seen of both. The folder's descriptor is closed before its
// parent's.
struct ListedFolder {
  UniqueFd parent;
  std::string name;  // in its parent
  EntryStat parent_st;
  EntryStat listed;  // as looked at in its parent, before it was opened
  UniqueFd root;     // the folder itself
  EntryStat opened;  // as opened
  int error = 0;     // the errno of a look or an open that failed
};

// Opens the parent of `path` and looks at the folder in it: Shredded when
// it is a folder of the parent's own mount, else why it is refused.
ItemOutcome LookAtListed(const std::string& path, ListedFolder& folder) {
  std::string parent_path;
  SplitPath(path, parent_path, folder.name);
  const std::string& name = folder.name;
  if (name.empty() || name == "." || name == "..") return ItemOutcome::NotFolder;
  UniqueFd parent(RetryOnEintr(
      [&] { return Sys().openat(AT_FDCWD, parent_path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0); }));
  if (!parent.valid()) return LookFailed(folder.error = errno);
  folder.parent = std::move(parent);
  if (!StatFd(folder.parent.get(), folder.parent_st)) return LookFailed(folder.error = errno);
  if (!StatAt(folder.parent.get(), name, folder.listed)) return LookFailed(folder.error = folder.listed.error);
  // A listed folder that is itself a link is left alone; so is one that is
  // the root of a mount now, whenever that mount came.
  if (S_ISLNK(folder.listed.st.st_mode)) return ItemOutcome::Link;
  if (IsOtherMount(folder.listed, folder.parent_st.mount_id)) return ItemOutcome::MountPoint;
  if (!S_ISDIR(folder.listed.st.st_mode)) return ItemOutcome::NotFolder;
  return ItemOutcome::Shredded;
}

// Opens the folder looked at, giving its owner the rights to first where it
// cannot be opened: Shredded when it is open as the very folder looked at,
// on the parent's mount, else why it is refused.
ItemOutcome OpenListed(ListedFolder& folder) {
  const struct stat& st = folder.listed.st;
  UniqueFd root(OpenFolderAt(folder.parent.get(), folder.name));
  folder.error = root.valid() ? 0 : errno;
  bool forced_open = false;
  if (!root.valid() && errno == EACCES && AddModeBits(folder.parent.get(), folder.name, st, S_IRWXU)) {
    forced_open = true;
    root = UniqueFd(OpenFolderAt(folder.parent.get(), folder.name));
    folder.error = root.valid() ? 0 : errno;
  }
  if (const ItemOutcome refused = WhyNotWalked(root, st, folder.parent_st.mount_id, folder.opened);
      refused != ItemOutcome::Shredded) {
    // The folder is left either way; its mode back is the best we can do.
    if (forced_open) BestEffort(SetModeBits(folder.parent.get(), folder.name, st, st.st_mode));
    return refused;
  }
  folder.root = std::move(root);
  return ItemOutcome::Shredded;
}

// The open listed folder as the root node of `model`.
FolderNode& AddListed(TreeModel& model, const ListedFolder& folder) {
  FolderNode top;
  top.name = top.original = folder.name;
  top.st = folder.opened.st;
  GrantOwnerRights(top, folder.root.get(), folder.listed.st.st_mode, folder.listed.st.st_mode);
  return *model.Add(std::move(top));
}

// Puts what the folders hold now home. A folder's blocks keep what was last
// written home to them once it is freed, and a journal forgets the newer
// copies of a freed block: this runs before any folder is removed (the
// checkpoint needs the privilege; without it, it is skipped).
void FoldersHome(int root) {
  BestEffort(Sys().syncfs(root));
  BestEffort(CheckpointJournal(root, /*zero_out=*/false));
}

// Once every overwrite is on the device: scrubs the names where that
// helps, then removes the files and the folders inside the listed folder
// (not the folder itself), each only if all it held went. Returns how many
// entries stayed; `scrub` says whether names were scrubbed.
std::size_t RemoveInside(const UniqueFd& root, std::uint64_t mount, TreeModel& model, const FillPattern& pattern,
                         const TreeShredOptions& options, unsigned threads, RemovalProgress& removal, bool& scrub) {
  MarkWhatStays(model);
  const TreeNames names = options.tree_names(root.get());
  scrub = names != TreeNames::LeftAlone;
  // Should renaming fail part way, nothing is removed: a name not scrubbed
  // would stay on the disk.
  const bool scrubbed = names != TreeNames::RenameEach || ScrubFileNames(root.get(), mount, model, threads);
  if (!scrubbed) model.root().keeps = true;  // the removal of folders gives every name back
  if (scrub) ScrubFolderNames(root.get(), mount, model);
  if (names == TreeNames::RenameEach) FoldersHome(root.get());
  removal.Begin();
  const std::function<void()> handled = [&removal] { removal.Handled(); };
  std::size_t left_behind = scrubbed ? RemoveFiles(root.get(), mount, model, threads, pattern, handled) : 1;
  // Here the removals zeroed the names in the folders' blocks: that state
  // goes to the disk before the folders, and their blocks, go.
  if (names == TreeNames::SyncBeforeFolders) FoldersHome(root.get());
  left_behind += RemoveFolders(root.get(), mount, model, handled);
  return left_behind;
}

// The listed folder itself goes last, and only when nothing inside stays;
// otherwise it stays as it was, its removals made durable. True when it
// went.
bool RemoveListedFolder(ListedFolder& folder, const FolderNode& node, bool scrub, RemovalProgress& removal) {
  const struct stat& st = folder.listed.st;
  bool removed = false;
  if (node.keeps) {
    BestEffort(Sys().fsync(folder.root.get()));
    if (node.mode_changed) BestEffort(Sys().fchmod(folder.root.get(), node.original_mode));
  } else if (HoldsInode(folder.parent.get(), folder.name, st)) {
    // Its attributes go with it, right before it does; they come back if it stays after all.
    const SavedAttributes attributes = ZeroFolderAttributes(folder.root.get());
    removed = RemoveExpected(folder.parent.get(), folder.name, st, /*is_folder=*/true, scrub);
    if (!removed) PutAttributesBack(folder.root.get(), attributes);
  }
  folder.root.Reset();
  removal.Handled();  // the listed folder itself
  if (removed) BestEffort(Sys().fsync(folder.parent.get()));
  else if (!node.keeps && node.mode_changed)
    BestEffort(SetModeBits(folder.parent.get(), folder.name, st, node.original_mode));
  return removed;
}

// What became of the listed folder: `kept` when something inside stayed,
// `cut_short` when a file inside went without all its passes.
ItemOutcome FinalOutcome(bool removed, bool stopped, bool kept, bool cut_short, TreeModel& model) {
  if (removed && !cut_short) return ItemOutcome::Shredded;
  if (stopped) return ItemOutcome::StoppedBeforeFinished;
  if (kept) return AnyInUse(model) ? ItemOutcome::InUse : ItemOutcome::SomethingInsideKept;
  return ItemOutcome::RemoveFailed;
}

}  // namespace

TreeShredResult ShredTree(const std::string& path, const PassPlan& plan, RunControl& control,
                          const TreeShredOptions& options) {
  ListedFolder folder;
  if (const ItemOutcome refused = LookAtListed(path, folder); refused != ItemOutcome::Shredded)
    return Refused(refused, folder.error);
  if (const ItemOutcome refused = OpenListed(folder); refused != ItemOutcome::Shredded)
    return Refused(refused, folder.error);
  const std::uint64_t mount = folder.opened.mount_id;
  TreeModel model;
  const FolderNode& node = AddListed(model, folder);

  TreeShredResult result;
  // Every step waits on the device more than it works on a core: the
  // removal for the discards of what it frees, the opening and overwriting of
  // small files for the file system's own locks and journal.
  const unsigned threads = options.threads != 0 ? options.threads : WorkPool::WaitingThreads();
  TreeOverwriteResult overwrite = OverwriteTree(folder.root.get(), mount, model, plan, control, path, threads);
  result.files_overwritten = overwrite.files_overwritten;
  result.partly_overwritten = std::move(overwrite.partly_overwritten);
  result.stopped_after_passes = std::move(overwrite.stopped_after_passes);
  // From here on a stop saves nothing in this folder: every file that will
  // be is overwritten.
  RemovalProgress removal(control, path, model, !overwrite.stopped);
  // One sync of the file system puts every overwrite on the device before
  // any name goes; if it fails, nothing is removed. The writeback was paced
  // while overwriting, so little is left for it.
  if (Sys().syncfs(folder.root.get()) != 0) {
    result.error = errno;
    result.left_behind = 1;
    result.outcome = ItemOutcome::SyncFailed;
    PutModesBack(folder.root.get(), mount, model);  // every folder stays, as it was
    TellWhatStayed(model, result);
    return result;
  }
  bool scrub = false;
  result.left_behind = RemoveInside(folder.root, mount, model, plan.fill(), options, threads, removal, scrub);
  result.folder_removed = RemoveListedFolder(folder, node, scrub, removal);
  result.outcome =
      FinalOutcome(result.folder_removed, overwrite.stopped, node.keeps, !result.stopped_after_passes.empty(), model);
  TellWhatStayed(model, result);
  return result;
}

}  // namespace velmora
