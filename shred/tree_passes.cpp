#include "shred/tree_passes.h"

#include <fcntl.h>
#include <unistd.h>

#include "platform/sys_calls.h"
#include "shred/entry_at.h"
#include "shred/force_mode.h"
#include "shred/remove_entry.h"
#include "shred/unique_fd.h"
#include "shred/wipe_file.h"

namespace velmora {
namespace {

void SyncFolder(int dirfd, const std::string& name) {
  UniqueFd fd(OpenFolderAt(dirfd, name));
  if (fd.valid()) Sys().fsync(fd.get());
}

void RecordMode(const struct stat& st, TreeLedger& ledger) {
  ledger.original_modes.emplace(KeyOf(st), st.st_mode & 07777);
}

}  // namespace

void EnsureFolderMode(int fd, const struct stat& st, mode_t bits, TreeLedger& ledger) {
  if ((st.st_mode & bits) == bits) return;
  RecordMode(st, ledger);
  ::fchmod(fd, (st.st_mode & 07777) | bits);
}

bool Removable(const struct stat& st, const std::set<InodeKey>& overwritten) {
  if (S_ISDIR(st.st_mode)) return false;
  return !S_ISREG(st.st_mode) || st.st_nlink > 1 || overwritten.count(KeyOf(st)) > 0;
}

void ForcingVisitor::EnterFolder(int fd, const std::string&, const struct stat& st) {
  EnsureFolderMode(fd, st, bits_, ledger_);
  folders_.push_back(KeyOf(st));
}

void ForcingVisitor::LeaveFolder(int, const std::string&, const struct stat&) { folders_.pop_back(); }

bool ForcingVisitor::MakeReadable(int dirfd, const std::string& name, const struct stat& st) {
  RecordMode(st, ledger_);
  return AddModeBits(dirfd, name, st, bits_);
}

// ---- Overwrite -------------------------------------------------------------

void OverwritePass::EnterFolder(int fd, const std::string& name, const struct stat& st) {
  ForcingVisitor::EnterFolder(fd, name, st);
  // A folder's attributes go with it: their values are zeroed with the
  // files' data, before the one sync.
  ZeroAttributeValues(fd);
  path_.push_back(name);
}

void OverwritePass::LeaveFolder(int dirfd, const std::string& name, const struct stat& st) {
  ForcingVisitor::LeaveFolder(dirfd, name, st);
  path_.pop_back();
}

bool OverwritePass::Overwrite(int dirfd, const std::string& name, const struct stat& st, nlink_t links) {
  if (stopped_ || (stopped_ = control_.StopRequested())) return false;
  WipePolicy policy;
  policy.force_read_only = true;
  policy.create_missing = false;
  policy.folder_mount = mount_;
  UniqueFd fd;
  struct stat opened;
  if (OpenSeenForWrite(dirfd, name, &st, policy, fd, opened) != WipeOutcome::Shredded) return false;
  if (opened.st_nlink != links) return false;  // a link appeared or went since we looked
  bool covered = OverwriteForShred(fd.get(), opened, pattern_, nullptr) == WipeOutcome::Shredded && fd.Close();
  if (covered) ledger_.overwritten.insert(KeyOf(opened));
  done_ += static_cast<std::uint64_t>(opened.st_size);
  control_.Progress(done_, 0, item_);
  return covered;
}

void OverwritePass::Entry(int dirfd, const std::string& name, const struct stat& st) {
  if (!S_ISREG(st.st_mode)) return;
  if (st.st_nlink == 1) {
    Overwrite(dirfd, name, st, 1);
    return;
  }
  // Another name of this file may be outside the tree: count the names found
  // inside before deciding whether its data is the user's alone.
  Linked& linked = linked_[KeyOf(st)];
  if (linked.names_seen++ == 0) {
    linked.links = st.st_nlink;
    linked.path = path_;
    linked.path.push_back(name);
    linked.st = st;
  }
}

void OverwritePass::OverwriteLinkedInside(int root) {
  for (const auto& [key, linked] : linked_) {
    if (linked.names_seen != linked.links) continue;
    // Back down to its folder, each step only into a folder on our mount.
    UniqueFd folder(OpenFolderAt(root, "."));
    bool reached = folder.valid();
    for (std::size_t i = 0; reached && i + 1 < linked.path.size(); ++i) {
      folder = UniqueFd(OpenFolderAt(folder.get(), linked.path[i]));
      reached = folder.valid();
    }
    if (reached) Overwrite(folder.get(), linked.path.back(), linked.st, linked.links);
  }
}

// ---- Scrub names ----------------------------------------------------------

void ScrubNamesPass::EnterFolder(int fd, const std::string& name, const struct stat& st) {
  ForcingVisitor::EnterFolder(fd, name, st);
  keeps_.push_back(false);
}

void ScrubNamesPass::Scrub(int dirfd, const std::string& name, const struct stat& st, const InodeKey& folder) {
  std::string now = ScrubName(dirfd, name);
  ledger_.to_remove[{folder, now}] = TreeLedger::Scrubbed{KeyOf(st), name};
}

void ScrubNamesPass::Entry(int dirfd, const std::string& name, const struct stat& st) {
  if (Removable(st, ledger_.overwritten))
    Scrub(dirfd, name, st, Folder());
  else
    keeps_.back() = true;
}

void ScrubNamesPass::LeaveFolder(int dirfd, const std::string& name, const struct stat& st) {
  ForcingVisitor::LeaveFolder(dirfd, name, st);
  const bool kept = keeps_.back();
  keeps_.pop_back();
  if (kept)
    keeps_.back() = true;
  else
    Scrub(dirfd, name, st, Folder());
}

// ---- Remove ----------------------------------------------------------------

const TreeLedger::Scrubbed* RemovePass::Recorded(const InodeKey& folder, const std::string& name,
                                                 const struct stat& st) const {
  auto it = ledger_.to_remove.find({folder, name});
  if (it == ledger_.to_remove.end() || it->second.entry != KeyOf(st)) return nullptr;
  return &it->second;
}

void RemovePass::Entry(int dirfd, const std::string& name, const struct stat& st) {
  // The walk looked at this name just now: it still holds what we recorded.
  const TreeLedger::Scrubbed* recorded = Recorded(Folder(), name, st);
  if (recorded != nullptr && Removable(st, ledger_.overwritten) && Sys().unlinkat(dirfd, name.c_str(), 0) == 0)
    return;
  ++left_behind_;
  if (recorded != nullptr && recorded->original != name)
    Sys().renameat(dirfd, name.c_str(), dirfd, recorded->original.c_str());
}

void RemovePass::LeaveFolder(int dirfd, const std::string& name, const struct stat& st) {
  ForcingVisitor::LeaveFolder(dirfd, name, st);
  const TreeLedger::Scrubbed* recorded = Recorded(Folder(), name, st);
  if (recorded != nullptr && Sys().unlinkat(dirfd, name.c_str(), AT_REMOVEDIR) == 0) return;
  // The folder stays, as it was: its own name, its own mode, and the
  // removals inside it made durable on their own.
  ++left_behind_;
  std::string current = name;
  if (recorded != nullptr && recorded->original != name &&
      Sys().renameat(dirfd, name.c_str(), dirfd, recorded->original.c_str()) == 0)
    current = recorded->original;
  SyncFolder(dirfd, current);
  auto mode = ledger_.original_modes.find(KeyOf(st));
  if (mode != ledger_.original_modes.end()) SetModeBits(dirfd, current, st, mode->second);
}

}  // namespace velmora
