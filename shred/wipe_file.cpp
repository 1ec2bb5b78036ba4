#include "shred/wipe_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <sys/xattr.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>
#include <string_view>

#include "shred/entry_at.h"
#include "shred/entry_stat.h"
#include "shred/fill_block.h"
#include "shred/force_mode.h"
#include "shred/journal_scrub.h"
#include "shred/remove_entry.h"

namespace velmora {
namespace {

// A file still growing after this many extra covers is being written by
// someone else: it keeps its name.
constexpr int kGrowthRounds = 8;

// Without write permission bits for anyone, a file is read-only in the sense
// the user set it; root's power to write anyway does not change that.
bool IsReadOnly(const struct stat& st) { return (st.st_mode & 0222) == 0; }

int OpenWrite(int dirfd, const std::string& name, int extra) {
  for (;;) {
    int fd = Sys().openat(dirfd, name.c_str(),
                          O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY | extra, 0600);
    if (fd >= 0 || errno != EINTR) return fd;
  }
}

// Writes [from, to) where [from, size) is the file's own data and the rest
// only rounds it up to its last block. Past the largest size the file
// system allows, that rounding cannot be written and is not needed.
bool WriteCovering(const FillPattern& pattern, int fd, off_t from, off_t to, off_t size) {
  const off_t own_end = std::min(to, std::max(size, from));
  if (from < own_end && !pattern.WriteRange(fd, from, own_end)) return false;
  if (own_end < to && !pattern.WriteRange(fd, own_end, to)) return errno == EFBIG;
  return true;
}

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

std::vector<std::string> ZeroAttributeValues(int fd) {
  std::vector<std::string> zeroed;
  ssize_t size = ::flistxattr(fd, nullptr, 0);
  if (size <= 0) return zeroed;
  std::vector<char> names(static_cast<std::size_t>(size));
  size = ::flistxattr(fd, names.data(), names.size());
  if (size <= 0) return zeroed;
  const bool root = ::geteuid() == 0;
  for (const char* name = names.data(); name < names.data() + size; name += std::strlen(name) + 1) {
    const std::string_view view(name);
    if (view.starts_with("user.") || (root && view.starts_with("trusted."))) {
      ssize_t length = ::fgetxattr(fd, name, nullptr, 0);
      if (length < 0) continue;
      std::vector<char> zeros(static_cast<std::size_t>(length), '\0');
      if (::fsetxattr(fd, name, zeros.data(), zeros.size(), XATTR_REPLACE) == 0) zeroed.emplace_back(name);
    } else {
      ::fremovexattr(fd, name);
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

bool OverwriteOpenFile(int fd, const struct stat& before, const FillPattern& pattern) {
  const off_t block = static_cast<off_t>(pattern.period());
  const off_t size = before.st_size;
  const off_t fs_block = before.st_blksize > 0 ? before.st_blksize : 4096;
  const off_t target = RoundUpToBlock(std::max(size, block), fs_block);

  // A file without holes (or one no longer than the block) is covered in one
  // sweep: the fill block from 0, the pattern on to the end of its last block.
  const bool has_holes = before.st_blocks * 512 < size;
  if (size <= block || !has_holes) return WriteCovering(pattern, fd, 0, target, std::max(size, block));

  // A sparse file: the fill block always lands at 0, holes or not; then only
  // the data extents, each to the end of its last block. Holes hold no data,
  // and filling them could fill the disk.
  if (!pattern.WriteRange(fd, 0, block)) return false;
  off_t pos = 0;
  while (pos < size) {
    off_t data = ::lseek(fd, pos, SEEK_DATA);
    off_t end;
    if (data < 0) {
      if (errno == ENXIO) break;  // nothing but a hole up to the end
      data = pos;                 // no extent map here: cover everything
      end = size;
    } else {
      end = ::lseek(fd, data, SEEK_HOLE);
      if (end < 0) end = size;
    }
    end = std::min(end, size);
    if (data >= end) break;
    off_t from = std::max(data, block);
    off_t to = std::min(RoundUpToBlock(end, fs_block), target);
    if (from < to && !WriteCovering(pattern, fd, from, to, size)) return false;
    pos = end;
  }
  return true;
}

WipeOutcome OverwriteForShred(int fd, const struct stat& opened, const FillPattern& pattern,
                              std::vector<std::string>* zeroed_xattrs) {
  if (!OverwriteOpenFile(fd, opened, pattern)) return WipeOutcome::WriteFailed;
  // Bytes appended while we wrote lie past what we covered: cover them too.
  const off_t fs_block = opened.st_blksize > 0 ? opened.st_blksize : 4096;
  off_t covered = RoundUpToBlock(std::max<off_t>(opened.st_size, static_cast<off_t>(pattern.period())), fs_block);
  for (int round = 0;; ++round) {
    struct stat now;
    if (::fstat(fd, &now) != 0) return WipeOutcome::WriteFailed;
    if (now.st_size <= covered) break;
    if (round == kGrowthRounds) return WipeOutcome::Changed;
    const off_t grown_to = RoundUpToBlock(now.st_size, fs_block);
    if (!WriteCovering(pattern, fd, covered, grown_to, now.st_size)) return WipeOutcome::WriteFailed;
    covered = grown_to;
  }
  std::vector<std::string> zeroed = ZeroAttributeValues(fd);
  if (zeroed_xattrs != nullptr) *zeroed_xattrs = std::move(zeroed);
  return WipeOutcome::Shredded;
}

WipeOutcome OpenRegularForWrite(int dirfd, const std::string& name, const WipePolicy& policy,
                                UniqueFd& out, struct stat& st) {
  EntryStat seen;
  bool exists = StatAt(dirfd, name, seen);
  if (!exists && errno != ENOENT) return WipeOutcome::OpenFailed;
  std::uint64_t mount = 0;
  if (!FolderMount(dirfd, policy, mount)) return WipeOutcome::OpenFailed;
  // A file or folder mounted onto this name belongs to another mount.
  if (exists && IsOtherMount(seen, mount)) return WipeOutcome::MountPoint;
  WipePolicy known = policy;
  known.folder_mount = mount;
  return OpenSeenForWrite(dirfd, name, exists ? &seen.st : nullptr, known, out, st);
}

WipeOutcome OpenSeenForWrite(int dirfd, const std::string& name, const struct stat* seen_or_null,
                             const WipePolicy& policy, UniqueFd& out, struct stat& st) {
  const bool exists = seen_or_null != nullptr;
  struct stat seen {};
  if (exists) seen = *seen_or_null;
  if (!exists && !policy.create_missing) return WipeOutcome::OpenFailed;
  // Refuse what is not a regular file before opening it: opening a device or
  // a FIFO can have effects of its own.
  if (exists && S_ISLNK(seen.st_mode)) return WipeOutcome::Link;
  if (exists && !S_ISREG(seen.st_mode)) return WipeOutcome::NotRegularFile;
  std::uint64_t mount = 0;
  if (!FolderMount(dirfd, policy, mount)) return WipeOutcome::OpenFailed;
  if (exists && IsReadOnly(seen)) {
    if (!policy.force_read_only) return WipeOutcome::ReadOnly;
    if (!AddModeBits(dirfd, name, seen, S_IWUSR)) return WipeOutcome::OpenFailed;
  }

  UniqueFd fd(OpenWrite(dirfd, name, exists ? 0 : O_CREAT | O_EXCL));
  if (!fd.valid()) return errno == ELOOP ? WipeOutcome::Link : WipeOutcome::OpenFailed;
  EntryStat opened;
  if (!StatFd(fd.get(), opened)) return WipeOutcome::OpenFailed;
  // Whatever was swapped in between the look and the open is not written to,
  // nor a file mounted over the name meanwhile (same device, other mount).
  if (IsOtherMount(opened, mount)) return WipeOutcome::MountPoint;
  if (!S_ISREG(opened.st.st_mode)) return WipeOutcome::NotRegularFile;
  if (exists && !SameInode(opened.st, seen)) return WipeOutcome::Changed;
  st = opened.st;
  out = std::move(fd);
  return WipeOutcome::Shredded;
}

WipeOutcome WipeAt(int dirfd, const std::string& name, const FillPattern& pattern,
                   const WipePolicy& policy) {
  UniqueFd fd;
  struct stat st;
  WipeOutcome opened = OpenRegularForWrite(dirfd, name, policy, fd, st);
  if (opened != WipeOutcome::Shredded) return opened;

  std::vector<std::string> zeroed;
  WipeOutcome covered = OverwriteForShred(fd.get(), st, pattern, &zeroed);
  if (covered != WipeOutcome::Shredded) return covered;
  // Closing does not put the data on the disk; a deleted file's dirty pages
  // might never be written at all. Zeroed attributes are metadata, which
  // only fsync forces.
  int (*sync)(int) = zeroed.empty() ? Sys().fdatasync : Sys().fsync;
  while (sync(fd.get()) != 0) {
    if (errno != EINTR) return WipeOutcome::SyncFailed;
  }
  if (!zeroed.empty()) {
    // A journal forgets the zeroed copy of an attribute block once the block
    // is freed: write it home first (where we may; silent otherwise).
    CheckpointJournal(fd.get(), /*zero_out=*/false);
    for (const std::string& attribute : zeroed) ::fremovexattr(fd.get(), attribute.c_str());
  }
  if (!fd.Close()) return WipeOutcome::SyncFailed;

  // Remove only the file we overwrote, not whatever took its name meanwhile.
  if (!RemoveExpected(dirfd, name, st, /*is_folder=*/false)) return WipeOutcome::RemoveFailed;
  Sys().fsync(dirfd);  // make the removal itself durable
  return WipeOutcome::Shredded;
}

void SplitPath(const std::string& path, std::string& folder, std::string& name) {
  std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) {
    folder = ".";
    name = path;
    return;
  }
  if (slash == 0)
    folder.assign(1, '/');
  else
    folder.assign(path, 0, slash);
  name.assign(path, slash + 1, std::string::npos);
}

WipeOutcome WipeFile(const std::string& path, int position) {
  std::optional<int> n = RepeatFactor(position);
  if (!n) return WipeOutcome::InvalidPosition;
  std::string folder, name;
  SplitPath(path, folder, name);
  if (name.empty() || name == "." || name == "..") return WipeOutcome::NotRegularFile;
  UniqueFd dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!dir.valid()) return WipeOutcome::OpenFailed;
  FillPattern pattern(*n);
  return WipeAt(dir.get(), name, pattern);
}

}  // namespace velmora
