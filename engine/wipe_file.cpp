// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/wipe_file.h"

#include <fcntl.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>
#include <string_view>

#include "engine/writeback_pacer.h"
#include "fs/entry_at.h"
#include "fs/entry_stat.h"
#include "fs/force_mode.h"
#include "fs/journal_scrub.h"
#include "fs/name_scrub.h"
#include "fs/path_text.h"
#include "fs/remove_entry.h"
#include "fs/write_lease.h"

namespace velmora {
namespace {

// A file still growing after this many extra covers is being written by
// someone else: it keeps its name.
constexpr int kGrowthRounds = 8;

// Without write permission bits for anyone, a file is read-only in the sense
// the user set it; root's power to write anyway does not change that.
bool IsReadOnly(const struct stat& st) { return (st.st_mode & 0222) == 0; }

int OpenWrite(int dirfd, const std::string& name, int extra) {
  return RetryOnEintr([&] {
    return Sys().openat(dirfd, name.c_str(), O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY | extra, 0600);
  });
}

// Writes [from, to) where [from, size) is the file's own data and the rest
// only rounds it up to its last block. Past the largest size the file
// system allows, that rounding cannot be written and is not needed.
bool WriteCovering(PassBytes& bytes, int fd, off_t from, off_t to, off_t size, WriteProgress* progress) {
  off_t reached = from;
  if (WritePass(fd, from, to, bytes, progress, &reached)) return true;
  return errno == EFBIG && reached >= std::min(to, size);
}

// Why an open for writing failed, from its own errno.
WipeOutcome OpenRefused(int error) {
  switch (error) {
    case ELOOP: return WipeOutcome::Link;
    case ENOENT: return WipeOutcome::Gone;
    case EEXIST: return WipeOutcome::Changed;  // made by someone else since the look
    case ETXTBSY: return WipeOutcome::InUse;   // a program being run
    default: return WipeOutcome::OpenFailed;
  }
}

// Whether a failed system call decides `outcome`; the others come from a
// look at what the file is, or from a stop.
bool DecidedByCall(WipeOutcome outcome) {
  return outcome == WipeOutcome::OpenFailed || outcome == WipeOutcome::WriteFailed ||
         outcome == WipeOutcome::SyncFailed || outcome == WipeOutcome::RemoveFailed;
}

// `outcome`, its deciding call's `error` kept where the policy asks for it.
WipeOutcome Decided(WipeOutcome outcome, const WipePolicy& policy, int error) {
  if (policy.error != nullptr) *policy.error = DecidedByCall(outcome) ? error : 0;
  return outcome;
}

// `outcome` with the errno the call that just failed left.
WipeOutcome Decided(WipeOutcome outcome, const WipePolicy& policy) { return Decided(outcome, policy, errno); }

// The mount the folder `dirfd` is on, as the policy gives it or looked up.
bool FolderMount(int dirfd, const WipePolicy& policy, std::uint64_t& mount) {
  if (policy.folder_mount != 0) {
    mount = policy.folder_mount;
    return true;
  }
  EntryStat folder;
  if (!StatFd(dirfd, folder)) return false;
  mount = folder.mount_id;
  return true;
}

}  // namespace

off_t CoveredLength(const struct stat& opened, const FillPattern& pattern) {
  const off_t fs_block = FsBlockSize(opened);
  return RoundUpToBlock(std::max<off_t>(opened.st_size, static_cast<off_t>(pattern.period())), fs_block);
}

// Bytes appended meanwhile lie past what we covered.
WipeOutcome CoverGrowth(int fd, off_t covered, off_t fs_block, PassBytes& bytes, WriteProgress* progress) {
  for (int round = 0;; ++round) {
    EntryStat now;
    if (!StatFd(fd, now)) return WipeOutcome::WriteFailed;
    if (now.st.st_size <= covered) return WipeOutcome::Shredded;
    if (round == kGrowthRounds) return WipeOutcome::Changed;
    const off_t grown_to = RoundUpToBlock(now.st.st_size, fs_block);
    if (!WriteCovering(bytes, fd, covered, grown_to, now.st.st_size, progress)) return WipeOutcome::WriteFailed;
    covered = grown_to;
  }
}

std::vector<std::string> ZeroAttributeValues(int fd) {
  std::vector<std::string> zeroed;
  // Most files have none: one call answers that.
  std::vector<char> names(256);
  ssize_t size = Sys().flistxattr(fd, names.data(), names.size());
  if (size < 0 && errno == ERANGE) {
    size = Sys().flistxattr(fd, nullptr, 0);
    if (size <= 0) return zeroed;
    names.resize(static_cast<std::size_t>(size));
    size = Sys().flistxattr(fd, names.data(), names.size());
  }
  if (size <= 0) return zeroed;
  const bool root = Sys().geteuid() == 0;
  for (const char* name = names.data(); name < names.data() + size; name += std::strlen(name) + 1) {
    const std::string_view view(name);
    if (view.starts_with("user.") || (root && view.starts_with("trusted."))) {
      ssize_t length = Sys().fgetxattr(fd, name, nullptr, 0);
      if (length < 0) continue;
      std::vector<char> zeros(static_cast<std::size_t>(length), '\0');
      if (Sys().fsetxattr(fd, name, zeros.data(), zeros.size(), XATTR_REPLACE) == 0) zeroed.emplace_back(name);
    } else {
      BestEffort(Sys().fremovexattr(fd, name));
    }
  }
  return zeroed;
}

off_t RoundUpToBlock(off_t value, off_t unit) {
  if (unit <= 0) return value;
  const off_t rest = value % unit;
  if (rest == 0) return value;
  const off_t down = value - rest;
  if (down > std::numeric_limits<off_t>::max() - unit) return std::numeric_limits<off_t>::max();
  return down + unit;
}

bool OverwriteOpenFile(int fd, const struct stat& before, const FillPattern& pattern, PassBytes& bytes,
                       WriteProgress* progress) {
  const off_t block = static_cast<off_t>(pattern.period());
  const off_t size = before.st_size;
  const off_t fs_block = FsBlockSize(before);
  const off_t target = RoundUpToBlock(std::max(size, block), fs_block);

  // A file without holes (or one no longer than the block) is covered in one
  // sweep: the fill block from 0, the pattern on to the end of its last block.
  const bool has_holes = before.st_blocks * 512 < size;
  if (size <= block || !has_holes) return WriteCovering(bytes, fd, 0, target, std::max(size, block), progress);

  // A sparse file: the fill block always lands at 0, holes or not; then only
  // the data extents, each to the end of its last block. Holes hold no data,
  // and filling them could fill the disk.
  if (!WritePass(fd, 0, block, bytes, progress)) return false;
  off_t pos = 0;
  while (pos < size) {
    off_t data = Sys().lseek(fd, pos, SEEK_DATA);
    off_t end;
    if (data < 0) {
      if (errno == ENXIO) break;  // nothing but a hole up to the end
      data = pos;                 // no extent map here: cover everything
      end = size;
    } else {
      end = Sys().lseek(fd, data, SEEK_HOLE);
      if (end < 0) end = size;
    }
    end = std::min(end, size);
    if (data >= end) break;
    off_t from = std::max(data, block);
    off_t to = std::min(RoundUpToBlock(end, fs_block), target);
    if (from < to && !WriteCovering(bytes, fd, from, to, size, progress)) return false;
    pos = end;
  }
  return true;
}

namespace {

// Opens `name` in `dirfd` for writing, creating it where the policy says.
// A read-only file inside a folder being shredded is made writable first,
// but only the very inode the listing named. Invalid on failure, with its
// errno in `error`.
UniqueFd OpenToOverwrite(int dirfd, const std::string& name, const WipePolicy& policy, std::uint64_t mount,
                         int& error) {
  const bool create = policy.expected_inode == 0 && policy.create_missing;
  UniqueFd fd(OpenWrite(dirfd, name, create ? O_CREAT | O_EXCL : 0));
  error = fd.valid() ? 0 : errno;
  if (error != EACCES || !policy.force_read_only || policy.expected_inode == 0) return fd;
  EntryStat seen;
  if (StatAt(dirfd, name, seen) && seen.st.st_ino == policy.expected_inode && S_ISREG(seen.st.st_mode) &&
      !IsOtherMount(seen, mount) && AddModeBits(dirfd, name, seen.st, S_IWUSR)) {
    fd = UniqueFd(OpenWrite(dirfd, name, 0));
    error = fd.valid() ? 0 : errno;
  }
  return fd;
}

// Why the file just opened as `fd` is not to be written (Shredded when it
// is); `opened` describes it once it is known to be the file expected.
// Nothing that was swapped in between the look and the open is written to:
// not a file mounted over the name (same device, other mount), not another
// file, not a FIFO or device that answered the open. Nor is a file another
// program has open: this descriptor takes the file's write lease.
WipeOutcome WhyNotWritten(int fd, const WipePolicy& policy, std::uint64_t mount, struct stat& opened) {
  EntryStat now;
  if (!StatFd(fd, now)) return WipeOutcome::OpenFailed;
  if (IsOtherMount(now, mount)) return WipeOutcome::MountPoint;
  if (!S_ISREG(now.st.st_mode)) return WipeOutcome::NotRegularFile;
  if (policy.expected_inode != 0 && now.st.st_ino != policy.expected_inode) return WipeOutcome::Changed;
  opened = now.st;
  if (policy.expected_links != 0 && now.st.st_nlink != policy.expected_links) return WipeOutcome::OtherLinks;
  const WriteLease lease = TakeWriteLease(fd);
  if (lease == WriteLease::InUse) return WipeOutcome::InUse;
  if (lease == WriteLease::Failed) return WipeOutcome::OpenFailed;
  return WipeOutcome::Shredded;
}

// How a file the progress stopped ends. What was written stays written:
// forced to the disk (where the policy syncs per file), so the part
// overwritten is really gone and the rest is untouched. Once a pass is
// whole nothing of the old content is left to save: the file goes on to
// its force and removal as a finished one does.
WipeOutcome StoppedOutcome(int fd, const FileWriteback& writeback, bool sync_now, int passes_done) {
  if (passes_done > 0) return WipeOutcome::StoppedAfterPasses;
  if (writeback.written() == 0) return WipeOutcome::StoppedBeforeStart;
  if (sync_now) BestEffort(RetryOnEintr([&] { return Sys().fdatasync(fd); }));
  return WipeOutcome::StoppedPartWay;
}

// One pass of `bytes` over the open file `fd`, described as `now`, and
// (where the policy says) over what it grew by meanwhile.
WipeOutcome CoverPass(int fd, const struct stat& now, const FillPattern& fill, PassBytes& bytes,
                      const WipePolicy& policy, FileWriteback& writeback) {
  if (!OverwriteOpenFile(fd, now, fill, bytes, &writeback)) return WipeOutcome::WriteFailed;
  if (!policy.cover_growth_now) return WipeOutcome::Shredded;
  return CoverGrowth(fd, CoveredLength(now, fill), FsBlockSize(now), bytes, &writeback);
}

// Every pass of the plan over the open file `fd`, described as `opened`;
// each but the last forced to the device before the next begins.
// Shredded, StoppedAfterPasses, or why not; `passes_done` counts the passes
// made whole.
WipeOutcome CoverOpened(int fd, const struct stat& opened, const PassPlan& plan, const WipePolicy& policy,
                        FileWriteback& writeback, int& passes_done) {
  struct stat now = opened;
  for (int pass = 1; pass <= plan.passes(); ++pass) {
    writeback.PassBegins(pass, plan.passes());
    EntryStat grown;  // a later pass covers what the file has grown to by then
    if (pass > 1 && !StatFd(fd, grown)) return WipeOutcome::WriteFailed;
    if (pass > 1) now = grown.st;
    const WipeOutcome covered = CoverPass(fd, now, plan.fill(), *plan.Bytes(pass), policy, writeback);
    if (covered == WipeOutcome::WriteFailed && writeback.stopped())
      return StoppedOutcome(fd, writeback, policy.sync_now, passes_done);
    if (covered != WipeOutcome::Shredded) return covered;
    ++passes_done;
    if (pass == plan.passes()) break;  // the last pass is forced as a single pass is
    if (RetryOnEintr([&] { return Sys().fdatasync(fd); }) != 0) return WipeOutcome::SyncFailed;
    writeback.Synced();
  }
  return WipeOutcome::Shredded;
}

// Zeroes the file's attributes' values and, where the policy syncs per file,
// forces data and attributes to the disk: false when that sync fails.
bool ZeroAttributesAndForce(int fd, const WipePolicy& policy, FileWriteback& writeback) {
  std::vector<std::string> zeroed = ZeroAttributeValues(fd);
  if (!policy.sync_now) return true;
  // Closing does not put the data on the disk; a deleted file's dirty
  // pages might never be written at all. Zeroed attributes are metadata,
  // which only fsync forces.
  const auto& sync = zeroed.empty() ? Sys().fdatasync : Sys().fsync;
  if (RetryOnEintr([&] { return sync(fd); }) != 0) return false;
  writeback.Synced();
  if (zeroed.empty()) return true;
  // A journal forgets the zeroed copy of an attribute block once the
  // block is freed: write it home first (where we may; silent otherwise).
  BestEffort(CheckpointJournal(fd, /*zero_out=*/false));
  for (const std::string& attribute : zeroed) BestEffort(Sys().fremovexattr(fd, attribute.c_str()));
  return true;
}

}  // namespace

WipeOutcome OverwriteAt(int dirfd, const std::string& name, const PassPlan& plan, const WipePolicy& policy,
                        struct stat& opened) {
  std::uint64_t mount = 0;
  if (!FolderMount(dirfd, policy, mount)) return Decided(WipeOutcome::OpenFailed, policy);
  int open_error = 0;
  UniqueFd fd = OpenToOverwrite(dirfd, name, policy, mount, open_error);
  if (!fd.valid()) return Decided(OpenRefused(open_error), policy, open_error);
  if (const WipeOutcome refused = WhyNotWritten(fd.get(), policy, mount, opened); refused != WipeOutcome::Shredded)
    return Decided(refused, policy);

  // File mode paces the writeback of this file; a folder shred paces the
  // whole file system instead (its progress does).
  FileWriteback writeback(fd.get(), policy.progress, /*pace=*/policy.sync_now);
  int passes_done = 0;
  WipeOutcome covered;
  {
    // Ended however the writes end (a throw included): a folder shred's
    // other large files wait for it.
    struct Writes {
      FileWriteback& writeback;
      ~Writes() { writeback.FileEnds(); }
    } writes{writeback};
    writeback.FileBegins(CoveredLength(opened, plan.fill()));
    covered = CoverOpened(fd.get(), opened, plan, policy, writeback, passes_done);
    // The errno of a failed write, before anything else can change it.
    if (!Overwritten(covered)) Decided(covered, policy);
  }
  if (policy.passes_done != nullptr) *policy.passes_done = passes_done;
  if (!Overwritten(covered)) return covered;
  if (!ZeroAttributesAndForce(fd.get(), policy, writeback)) return Decided(WipeOutcome::SyncFailed, policy);
  if (policy.hold_open != nullptr) *policy.hold_open = std::move(fd);
  else if (!fd.Close()) return Decided(WipeOutcome::SyncFailed, policy);
  return Decided(covered, policy, 0);
}

WipeOutcome WipeAt(int dirfd, const std::string& name, const PassPlan& plan, const WipePolicy& policy) {
  // Look first: a FIFO or a device is never opened, a link never followed,
  // and a read-only file is the user's word to leave it.
  EntryStat seen;
  const bool exists = StatAt(dirfd, name, seen);
  if (!exists && (seen.error != ENOENT || !policy.create_missing))
    return Decided(WipeOutcome::OpenFailed, policy, seen.error);
  WipePolicy step = policy;
  if (!FolderMount(dirfd, policy, step.folder_mount)) return Decided(WipeOutcome::OpenFailed, policy);
  if (exists) {
    // A file or folder mounted onto this name belongs to another mount.
    if (IsOtherMount(seen, step.folder_mount)) return WipeOutcome::MountPoint;
    if (S_ISLNK(seen.st.st_mode)) return WipeOutcome::Link;
    if (!S_ISREG(seen.st.st_mode)) return WipeOutcome::NotRegularFile;
    if (IsReadOnly(seen.st)) {
      if (!policy.force_read_only) return WipeOutcome::ReadOnly;
      if (!AddModeBits(dirfd, name, seen.st, S_IWUSR)) return Decided(WipeOutcome::OpenFailed, policy);
    }
    step.expected_inode = seen.st.st_ino;
  }

  struct stat st;
  UniqueFd leased;  // nobody else opens the file until its name is gone
  step.hold_open = &leased;
  const WipeOutcome covered = OverwriteAt(dirfd, name, plan, step, st);
  if (!Overwritten(covered)) return covered;
  // Remove only the file we overwrote, not whatever took its name meanwhile
  // (a swap fails no call: no error is told then).
  errno = 0;
  if (!RemoveExpected(dirfd, name, st, /*is_folder=*/false, RenameScrubsNamesOn(dirfd)))
    return Decided(WipeOutcome::RemoveFailed, policy);
  BestEffort(Sys().fsync(dirfd));  // make the removal itself durable
  // The data was forced before the removal; a close that fails now is still said.
  if (!leased.Close()) return Decided(WipeOutcome::SyncFailed, policy);
  return covered;
}

WipeOutcome WipeFile(const std::string& path, const PassPlan& plan, WriteProgress* progress, int* passes_done,
                     int* error) {
  std::string folder, name;
  SplitPath(path, folder, name);
  if (name.empty() || name == "." || name == "..") return WipeOutcome::NotRegularFile;
  WipePolicy policy;
  policy.progress = progress;
  policy.passes_done = passes_done;
  policy.error = error;
  UniqueFd dir(RetryOnEintr([&] { return Sys().openat(AT_FDCWD, folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0); }));
  if (!dir.valid()) return Decided(WipeOutcome::OpenFailed, policy);
  return WipeAt(dir.get(), name, plan, policy);
}

}  // namespace velmora
