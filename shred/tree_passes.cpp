#include "shred/tree_passes.h"

#include <fcntl.h>
#include <unistd.h>

#include "shred/entry_at.h"
#include "shred/force_mode.h"
#include "shred/remove_entry.h"
#include "platform/sys_calls.h"
#include "shred/unique_fd.h"
#include "shred/wipe_file.h"

namespace velmora {
namespace {

InodeKey KeyOf(const struct stat& st) { return {st.st_dev, st.st_ino}; }

void SyncFolder(int dirfd, const std::string& name) {
  UniqueFd fd(OpenFolderAt(dirfd, name));
  if (fd.valid()) Sys().fsync(fd.get());
}

}  // namespace

void EnsureFolderMode(int fd, const struct stat& st, mode_t bits) {
  if ((st.st_mode & bits) != bits) ::fchmod(fd, (st.st_mode & 07777) | bits);
}

bool Removable(const struct stat& st, const std::set<InodeKey>& overwritten) {
  if (S_ISDIR(st.st_mode)) return false;  // a mount point of another file system
  return !S_ISREG(st.st_mode) || st.st_nlink > 1 || overwritten.count(KeyOf(st)) > 0;
}

bool ForcingVisitor::MakeReadable(int dirfd, const std::string& name, const struct stat& st) {
  return AddModeBits(dirfd, name, st, bits_);
}

// ---- Overwrite -------------------------------------------------------------

void OverwritePass::Entry(int dirfd, const std::string& name, const struct stat& st) {
  if (!S_ISREG(st.st_mode) || st.st_nlink != 1) return;
  if (stopped_ || (stopped_ = control_.StopRequested())) return;
  WipePolicy policy;
  policy.force_read_only = true;
  policy.create_missing = false;
  UniqueFd fd;
  struct stat opened;
  if (OpenSeenForWrite(dirfd, name, &st, policy, fd, opened) != WipeOutcome::Shredded) return;
  if (opened.st_nlink != 1) return;  // a link appeared since we looked
  if (OverwriteOpenFile(fd.get(), opened, pattern_) && fd.Close()) overwritten_.insert(KeyOf(opened));
  done_ += static_cast<std::uint64_t>(opened.st_size);
  control_.Progress(done_, 0, item_);
}

// ---- Scrub names ----------------------------------------------------------

void ScrubNamesPass::EnterFolder(int fd, const struct stat& st) {
  ForcingVisitor::EnterFolder(fd, st);
  keeps_.push_back(false);
}

void ScrubNamesPass::Entry(int dirfd, const std::string& name, const struct stat& st) {
  if (Removable(st, overwritten_))
    ScrubName(dirfd, name);
  else
    keeps_.back() = true;
}

void ScrubNamesPass::LeaveFolder(int dirfd, const std::string& name, const struct stat&) {
  const bool kept = keeps_.back();
  keeps_.pop_back();
  if (kept)
    keeps_.back() = true;
  else
    ScrubName(dirfd, name);
}

// ---- Remove ----------------------------------------------------------------

void RemovePass::Entry(int dirfd, const std::string& name, const struct stat& st) {
  if (!Removable(st, overwritten_) || Sys().unlinkat(dirfd, name.c_str(), 0) != 0) ++left_behind_;
}

void RemovePass::LeaveFolder(int dirfd, const std::string& name, const struct stat&) {
  if (Sys().unlinkat(dirfd, name.c_str(), AT_REMOVEDIR) == 0) return;
  // The folder stays: make the removals inside it durable on their own.
  ++left_behind_;
  SyncFolder(dirfd, name);
}

}  // namespace velmora
