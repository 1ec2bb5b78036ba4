#include "shred/tree_shred.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "shred/entry_at.h"
#include "shred/force_mode.h"
#include "shred/journal_scrub.h"
#include "shred/remove_entry.h"
#include "shred/tree_passes.h"
#include "shred/wipe_file.h"

namespace velmora {
TreeShredResult ShredTree(const std::string& path, const FillPattern& pattern, RunControl& control) {
  TreeShredResult result;
  std::string parent_path, name;
  SplitPath(path, parent_path, name);
  if (name.empty() || name == "." || name == "..") {
    result.outcome = ItemOutcome::NotFolder;
    return result;
  }

  UniqueFd parent(::open(parent_path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!parent.valid()) {
    result.outcome = errno == ENOENT || errno == ENOTDIR ? ItemOutcome::NotFound : ItemOutcome::OpenFailed;
    return result;
  }
  struct stat st;
  if (::fstatat(parent.get(), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
    result.outcome = errno == ENOENT ? ItemOutcome::NotFound : ItemOutcome::OpenFailed;
    return result;
  }
  // A listed folder that is itself a link is left alone.
  if (S_ISLNK(st.st_mode) || !S_ISDIR(st.st_mode)) {
    result.outcome = S_ISLNK(st.st_mode) ? ItemOutcome::Link : ItemOutcome::NotFolder;
    return result;
  }
  UniqueFd root(OpenFolderAt(parent.get(), name));
  if (!root.valid() && errno == EACCES && AddModeBits(parent.get(), name, st, S_IRWXU))
    root = UniqueFd(OpenFolderAt(parent.get(), name));
  struct stat opened;
  if (!root.valid() || ::fstat(root.get(), &opened) != 0 || !SameInode(opened, st)) {
    result.outcome = ItemOutcome::OpenFailed;
    return result;
  }
  EnsureFolderMode(root.get(), opened, S_IRWXU);

  OverwritePass overwrite(pattern, control, path);
  WalkTree(root.get(), overwrite);
  result.files_overwritten = overwrite.overwritten().size();
  // One sync of the file system puts every overwrite on the device before
  // any name goes; if it fails, nothing is removed.
  if (Sys().syncfs(root.get()) != 0) {
    result.left_behind = 1;
    result.outcome = ItemOutcome::SyncFailed;
    return result;
  }

  ScrubNamesPass scrub(overwrite.overwritten());
  WalkTree(root.get(), scrub);
  // A folder's blocks keep what was last written home to them once it is
  // removed: the scrubbed names go to the disk first, through the journal
  // and (where allowed) out of it to their home blocks.
  Sys().syncfs(root.get());
  CheckpointJournal(root.get(), /*zero_out=*/false);

  RemovePass remove(overwrite.overwritten());
  WalkTree(root.get(), remove);
  result.left_behind = remove.left_behind();
  if (result.left_behind > 0) Sys().fsync(root.get());
  root.Reset();
  if (result.left_behind == 0 && !scrub.root_keeps_something())
    result.folder_removed = RemoveEntryScrubbed(parent.get(), name, /*is_folder=*/true);
  if (result.folder_removed) Sys().fsync(parent.get());
  if (overwrite.stopped())
    result.outcome = result.folder_removed ? ItemOutcome::Shredded : ItemOutcome::StoppedBeforeFinished;
  else if (result.folder_removed)
    result.outcome = ItemOutcome::Shredded;
  else if (result.left_behind > 0 || scrub.root_keeps_something())
    result.outcome = ItemOutcome::SomethingInsideKept;
  else
    result.outcome = ItemOutcome::RemoveFailed;
  return result;
}

}  // namespace velmora
