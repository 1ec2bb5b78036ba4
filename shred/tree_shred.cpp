// SPDX-License-Identifier: GPL-3.0-or-later
#include "shred/tree_shred.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <functional>
#include <mutex>

#include "shred/entry_at.h"
#include "shred/entry_stat.h"
#include "shred/folder_attributes.h"
#include "shred/force_mode.h"
#include "shred/journal_scrub.h"
#include "shred/remove_entry.h"
#include "shred/tree_model.h"
#include "shred/tree_overwrite.h"
#include "shred/tree_remove.h"
#include "shred/wipe_file.h"
#include "shred/work_pool.h"

namespace velmora {
namespace {

TreeShredResult Refused(ItemOutcome outcome) {
  TreeShredResult result;
  result.outcome = outcome;
  return result;
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

}  // namespace

TreeShredResult ShredTree(const std::string& path, const FillPattern& pattern, RunControl& control,
                          const TreeShredOptions& options) {
  std::string parent_path, name;
  SplitPath(path, parent_path, name);
  if (name.empty() || name == "." || name == "..") return Refused(ItemOutcome::NotFolder);

  UniqueFd parent(RetryOnEintr(
      [&] { return Sys().openat(AT_FDCWD, parent_path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0); }));
  if (!parent.valid()) return Refused(LookFailed(errno));
  EntryStat parent_st, listed;
  if (!StatFd(parent.get(), parent_st)) return Refused(ItemOutcome::OpenFailed);
  if (!StatAt(parent.get(), name, listed)) return Refused(LookFailed(listed.error));
  // A listed folder that is itself a link is left alone; so is one that is
  // the root of a mount now, whenever that mount came.
  if (S_ISLNK(listed.st.st_mode)) return Refused(ItemOutcome::Link);
  if (IsOtherMount(listed, parent_st.mount_id)) return Refused(ItemOutcome::MountPoint);
  if (!S_ISDIR(listed.st.st_mode)) return Refused(ItemOutcome::NotFolder);
  const struct stat& st = listed.st;

  UniqueFd root(OpenFolderAt(parent.get(), name));
  bool forced_open = false;
  if (!root.valid() && errno == EACCES && AddModeBits(parent.get(), name, st, S_IRWXU)) {
    forced_open = true;
    root = UniqueFd(OpenFolderAt(parent.get(), name));
  }
  EntryStat opened;
  if (const ItemOutcome refused = WhyNotWalked(root, st, parent_st.mount_id, opened);
      refused != ItemOutcome::Shredded) {
    // The folder is left either way; its mode back is the best we can do.
    if (forced_open) BestEffort(SetModeBits(parent.get(), name, st, st.st_mode));
    return Refused(refused);
  }
  const std::uint64_t mount = opened.mount_id;

  TreeModel model;
  FolderNode top;
  top.name = top.original = name;
  top.st = opened.st;
  if ((st.st_mode & S_IRWXU) != S_IRWXU) {
    top.mode_changed = true;
    top.original_mode = st.st_mode & 07777;
    BestEffort(Sys().fchmod(root.get(), (st.st_mode & 07777) | S_IRWXU));
  }
  FolderNode& node = *model.Add(std::move(top));

  TreeShredResult result;
  // Every step waits on the device more than it works on a core: the
  // removal for the discards of what it frees, the opening and overwriting of
  // small files for the file system's own locks and journal.
  const unsigned threads = options.threads != 0 ? options.threads : WorkPool::WaitingThreads();
  TreeOverwriteResult overwrite = OverwriteTree(root.get(), mount, model, pattern, control, path, threads);
  result.files_overwritten = overwrite.files_overwritten;
  result.partly_overwritten = std::move(overwrite.partly_overwritten);
  // From here on a stop saves nothing in this folder: every file that will
  // be is overwritten.
  RemovalProgress removal(control, path, model, !overwrite.stopped);
  // One sync of the file system puts every overwrite on the device before
  // any name goes; if it fails, nothing is removed. The writeback was paced
  // while overwriting, so little is left for it.
  if (Sys().syncfs(root.get()) != 0) {
    result.left_behind = 1;
    result.outcome = ItemOutcome::SyncFailed;
    PutModesBack(root.get(), mount, model);  // every folder stays, as it was
    return result;
  }

  MarkWhatStays(model);
  const TreeNames names = options.tree_names(root.get());
  const bool scrub = names != TreeNames::LeftAlone;
  // Should renaming fail part way, nothing is removed: a name not scrubbed
  // would stay on the disk.
  const bool scrubbed = names != TreeNames::RenameEach || ScrubFileNames(root.get(), mount, model, threads);
  if (!scrubbed) node.keeps = true;  // the removal of folders gives every name back
  if (scrub) ScrubFolderNames(root.get(), mount, model);
  // A folder's blocks keep what was last written home to them once it is
  // freed, and a journal forgets the newer copies of a freed block: what the
  // folders hold now goes home before any folder is removed (the checkpoint
  // needs the privilege; without it, it is skipped).
  auto folders_home = [&] {
    BestEffort(Sys().syncfs(root.get()));
    BestEffort(CheckpointJournal(root.get(), /*zero_out=*/false));
  };
  if (names == TreeNames::RenameEach) folders_home();
  removal.Begin();
  const std::function<void()> handled = [&removal] { removal.Handled(); };
  result.left_behind = scrubbed ? RemoveFiles(root.get(), mount, model, threads, pattern, handled) : 1;
  // Here the removals zeroed the names in the folders' blocks: that state
  // goes to the disk before the folders, and their blocks, go.
  if (names == TreeNames::SyncBeforeFolders) folders_home();
  result.left_behind += RemoveFolders(root.get(), mount, model, handled);
  const bool keep_root = node.keeps;
  if (keep_root) {
    BestEffort(Sys().fsync(root.get()));
    if (node.mode_changed) BestEffort(Sys().fchmod(root.get(), node.original_mode));
  } else if (HoldsInode(parent.get(), name, st)) {
    // Its attributes go with it, right before it does; they come back if it stays after all.
    const SavedAttributes attributes = ZeroFolderAttributes(root.get());
    result.folder_removed = RemoveExpected(parent.get(), name, st, /*is_folder=*/true, scrub);
    if (!result.folder_removed) PutAttributesBack(root.get(), attributes);
  }
  root.Reset();
  removal.Handled();  // the listed folder itself
  if (result.folder_removed) BestEffort(Sys().fsync(parent.get()));
  else if (!keep_root && node.mode_changed) BestEffort(SetModeBits(parent.get(), name, st, node.original_mode));

  if (result.folder_removed)
    result.outcome = ItemOutcome::Shredded;
  else if (overwrite.stopped)
    result.outcome = ItemOutcome::StoppedBeforeFinished;
  else if (keep_root)
    result.outcome = AnyInUse(model) ? ItemOutcome::InUse : ItemOutcome::SomethingInsideKept;
  else
    result.outcome = ItemOutcome::RemoveFailed;
  return result;
}

}  // namespace velmora
