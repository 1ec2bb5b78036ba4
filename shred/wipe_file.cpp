#include "shred/wipe_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "shred/entry_at.h"
#include "shred/fill_block.h"
#include "shred/force_mode.h"
#include "shred/remove_entry.h"

namespace velmora {
namespace {

off_t RoundUp(off_t value, off_t unit) { return unit <= 0 ? value : (value + unit - 1) / unit * unit; }

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

}  // namespace

bool OverwriteOpenFile(int fd, const struct stat& before, const FillPattern& pattern,
                       WriteProgress* progress) {
  const off_t block = static_cast<off_t>(pattern.period());
  const off_t size = before.st_size;
  const off_t fs_block = before.st_blksize > 0 ? before.st_blksize : 4096;
  const off_t target = RoundUp(std::max(size, block), fs_block);

  // A file without holes (or one no longer than the block) is covered in one
  // sweep: the fill block from 0, the pattern on to the end of its last block.
  const bool has_holes = before.st_blocks * 512 < size;
  if (size <= block || !has_holes) return pattern.WriteRange(fd, 0, target, progress);

  // A sparse file: the fill block always lands at 0, holes or not; then only
  // the data extents, each to the end of its last block. Holes hold no data,
  // and filling them could fill the disk.
  if (!pattern.WriteRange(fd, 0, block, progress)) return false;
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
    off_t to = std::min(RoundUp(end, fs_block), target);
    if (from < to && !pattern.WriteRange(fd, from, to, progress)) return false;
    pos = end;
  }
  return true;
}

WipeOutcome OpenRegularForWrite(int dirfd, const std::string& name, const WipePolicy& policy,
                                UniqueFd& out, struct stat& st) {
  struct stat seen;
  bool exists = ::fstatat(dirfd, name.c_str(), &seen, AT_SYMLINK_NOFOLLOW) == 0;
  if (!exists && errno != ENOENT) return WipeOutcome::OpenFailed;
  return OpenSeenForWrite(dirfd, name, exists ? &seen : nullptr, policy, out, st);
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
  if (exists && IsReadOnly(seen)) {
    if (!policy.force_read_only) return WipeOutcome::ReadOnly;
    if (!AddModeBits(dirfd, name, seen, S_IWUSR)) return WipeOutcome::OpenFailed;
  }

  UniqueFd fd(OpenWrite(dirfd, name, exists ? 0 : O_CREAT | O_EXCL));
  if (!fd.valid()) return errno == ELOOP ? WipeOutcome::Link : WipeOutcome::OpenFailed;
  if (::fstat(fd.get(), &st) != 0) return WipeOutcome::OpenFailed;
  // Whatever was swapped in between the look and the open is not written to.
  if (!S_ISREG(st.st_mode) || (exists && !SameInode(st, seen))) return WipeOutcome::NotRegularFile;
  out = std::move(fd);
  return WipeOutcome::Shredded;
}

WipeOutcome WipeAt(int dirfd, const std::string& name, const FillPattern& pattern,
                   const WipePolicy& policy, WriteProgress* progress) {
  UniqueFd fd;
  struct stat st;
  WipeOutcome opened = OpenRegularForWrite(dirfd, name, policy, fd, st);
  if (opened != WipeOutcome::Shredded) return opened;

  if (!OverwriteOpenFile(fd.get(), st, pattern, progress)) return WipeOutcome::WriteFailed;
  // Closing does not put the data on the disk; a deleted file's dirty pages
  // might never be written at all.
  while (Sys().fdatasync(fd.get()) != 0) {
    if (errno != EINTR) return WipeOutcome::SyncFailed;
  }
  if (!fd.Close()) return WipeOutcome::SyncFailed;

  // Remove only the file we overwrote, not whatever took its name meanwhile.
  struct stat now;
  if (::fstatat(dirfd, name.c_str(), &now, AT_SYMLINK_NOFOLLOW) != 0 || !SameInode(now, st))
    return WipeOutcome::RemoveFailed;
  if (!RemoveEntryScrubbed(dirfd, name, /*is_folder=*/false))
    return WipeOutcome::RemoveFailed;
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

WipeOutcome WipeFile(const std::string& path, int position, WriteProgress* progress) {
  std::optional<int> n = RepeatFactor(position);
  if (!n) return WipeOutcome::InvalidPosition;
  std::string folder, name;
  SplitPath(path, folder, name);
  if (name.empty() || name == "." || name == "..") return WipeOutcome::NotRegularFile;
  UniqueFd dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!dir.valid()) return WipeOutcome::OpenFailed;
  FillPattern pattern(*n);
  return WipeAt(dir.get(), name, pattern, {}, progress);
}

}  // namespace velmora
