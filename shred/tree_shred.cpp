#include "shred/tree_shred.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "shred/entry_at.h"
#include "shred/entry_stat.h"
#include "shred/force_mode.h"
#include "shred/journal_scrub.h"
#include "shred/remove_entry.h"
#include "shred/tree_passes.h"
#include "shred/wipe_file.h"

namespace velmora {
namespace {

TreeShredResult Refused(ItemOutcome outcome) {
  TreeShredResult result;
  result.outcome = outcome;
  return result;
}

ItemOutcome LookFailed() { return errno == ENOENT || errno == ENOTDIR ? ItemOutcome::NotFound : ItemOutcome::OpenFailed; }

}  // namespace

TreeShredResult ShredTree(const std::string& path, const FillPattern& pattern, RunControl& control) {
  std::string parent_path, name;
  SplitPath(path, parent_path, name);
  if (name.empty() || name == "." || name == "..") return Refused(ItemOutcome::NotFolder);

  UniqueFd parent(::open(parent_path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!parent.valid()) return Refused(LookFailed());
  EntryStat parent_st, listed;
  if (!StatFd(parent.get(), parent_st)) return Refused(ItemOutcome::OpenFailed);
  if (!StatAt(parent.get(), name, listed)) return Refused(LookFailed());
  // A listed folder that is itself a link is left alone; so is one that is
  // the root of a mount now, whenever that mount came.
  if (S_ISLNK(listed.st.st_mode)) return Refused(ItemOutcome::Link);
  if (IsOtherMount(listed, parent_st.mount_id)) return Refused(ItemOutcome::MountPoint);
  if (!S_ISDIR(listed.st.st_mode)) return Refused(ItemOutcome::NotFolder);
  const struct stat& st = listed.st;

  TreeLedger ledger;
  UniqueFd root(OpenFolderAt(parent.get(), name));
  if (!root.valid() && errno == EACCES) {
    ledger.original_modes.emplace(KeyOf(st), st.st_mode & 07777);
    if (AddModeBits(parent.get(), name, st, S_IRWXU)) root = UniqueFd(OpenFolderAt(parent.get(), name));
  }
  EntryStat opened;
  if (!root.valid() || !StatFd(root.get(), opened) || !SameInode(opened.st, st)) {
    auto mode = ledger.original_modes.find(KeyOf(st));
    if (mode != ledger.original_modes.end()) SetModeBits(parent.get(), name, st, mode->second);
    return Refused(ItemOutcome::OpenFailed);
  }
  if (IsOtherMount(opened, parent_st.mount_id)) return Refused(ItemOutcome::MountPoint);
  const std::uint64_t mount = opened.mount_id;
  EnsureFolderMode(root.get(), opened.st, S_IRWXU, ledger);
  ZeroAttributeValues(root.get());

  TreeShredResult result;
  OverwritePass overwrite(pattern, control, path, ledger, st, mount);
  bool walked = WalkTree(root.get(), mount, overwrite);
  overwrite.OverwriteLinkedInside(root.get());
  result.files_overwritten = ledger.overwritten.size();
  // One sync of the file system puts every overwrite on the device before
  // any name goes; if it fails, nothing is removed.
  if (Sys().syncfs(root.get()) != 0) {
    result.left_behind = 1;
    result.outcome = ItemOutcome::SyncFailed;
    auto mode = ledger.original_modes.find(KeyOf(st));
    if (mode != ledger.original_modes.end()) ::fchmod(root.get(), mode->second);
    return result;
  }

  ScrubNamesPass scrub(ledger, st);
  walked = WalkTree(root.get(), mount, scrub) && walked;
  // A folder's blocks keep what was last written home to them once it is
  // removed: the scrubbed names go to the disk first, through the journal
  // and (where allowed) out of it to their home blocks.
  Sys().syncfs(root.get());
  CheckpointJournal(root.get(), /*zero_out=*/false);

  RemovePass remove(ledger, st);
  walked = WalkTree(root.get(), mount, remove) && walked;
  result.left_behind = remove.left_behind() + (walked ? 0 : 1);
  const bool keep_root = result.left_behind > 0 || scrub.root_keeps_something();
  if (keep_root) Sys().fsync(root.get());
  root.Reset();
  if (!keep_root) result.folder_removed = RemoveExpected(parent.get(), name, st, /*is_folder=*/true);
  if (result.folder_removed) {
    Sys().fsync(parent.get());
  } else {
    // A folder that keeps anything keeps its own mode too.
    auto mode = ledger.original_modes.find(KeyOf(st));
    if (mode != ledger.original_modes.end()) SetModeBits(parent.get(), name, st, mode->second);
  }

  if (result.folder_removed)
    result.outcome = ItemOutcome::Shredded;
  else if (overwrite.stopped())
    result.outcome = ItemOutcome::StoppedBeforeFinished;
  else if (keep_root)
    result.outcome = ItemOutcome::SomethingInsideKept;
  else
    result.outcome = ItemOutcome::RemoveFailed;
  return result;
}

}  // namespace velmora
