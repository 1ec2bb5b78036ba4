// SPDX-License-Identifier: GPL-3.0-or-later
#include "freespace/free_space_wipe.h"

#include <fcntl.h>
#include <sys/statfs.h>
#include <sys/statvfs.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>
#include <vector>

#include "engine/fill_pattern.h"
#include "engine/wipe_file.h"
#include "freespace/ext4_reserve.h"
#include "fs/entry_at.h"
#include "fs/entry_stat.h"
#include "fs/folder_listing.h"
#include "fs/path_text.h"
#include "fs/remove_entry.h"
#include "platform/mount_points.h"

namespace velmora {
namespace {

constexpr std::size_t kRandomPart = 12;
constexpr const char* kFillFilePrefix = "fill-";
constexpr std::size_t kFillFileDigits = 8;

// The default pass-count position ("3"): its pattern is what a shred at the
// window's start-up choice writes.
constexpr int kDefaultPosition = 2;

// Files of 1 GiB first, so no limit on a file's size ever matters; then
// ever smaller ones for what is left once a large one finds the disk full,
// down to single blocks for the last fragments.
constexpr off_t kStageSizes[] = {off_t{1} << 30, off_t{64} << 20, off_t{4} << 20, off_t{256} << 10,
                                 off_t{16} << 10};

// Stop is asked between pieces of this size.
constexpr off_t kPiece = off_t{1} << 20;

// A disk that is full, for the whole disk or for this user: the fill has
// reached its end. Every other error is a failure.
bool IsFull(int error) { return error == ENOSPC || error == EDQUOT; }

bool IsAlnum(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'); }

// The bytes we may fill: all free blocks for the administrator, the ones
// available to us otherwise.
struct FreeBlocks {
  std::uint64_t fillable = 0;
  std::uint64_t reserved = 0;  // free, but kept from an ordinary user
  std::uint64_t block = 4096;
};

bool LookAtFree(int fd, bool privileged, FreeBlocks& out) {
  struct statfs fs;
  if (RetryOnEintr([&] { return Sys().fstatfs(fd, &fs); }) != 0) return false;
  const std::uint64_t unit = fs.f_frsize > 0 ? static_cast<std::uint64_t>(fs.f_frsize)
                                             : static_cast<std::uint64_t>(fs.f_bsize);
  const std::uint64_t all = static_cast<std::uint64_t>(fs.f_bfree) * unit;
  const std::uint64_t ours = static_cast<std::uint64_t>(fs.f_bavail) * unit;
  out.fillable = privileged ? all : ours;
  out.reserved = privileged || all < ours ? 0 : all - ours;
  out.block = fs.f_bsize > 0 ? static_cast<std::uint64_t>(fs.f_bsize) : 4096;
  return true;
}

// The free bytes XFS keeps for its own work and leaves out of statfs (0
// elsewhere, and where we may not ask).
std::uint64_t UncountedReserve(int fd, std::uint64_t block) {
  unsigned long long blocks = 0;
  if (Sys().reserved_blocks(fd, &blocks) != 0) return 0;
  return static_cast<std::uint64_t>(blocks) * block;
}

FreeSpaceRefusal CheckOpenFolder(int fd) {
  struct statfs fs;
  if (RetryOnEintr([&] { return Sys().fstatfs(fd, &fs); }) == 0 && (fs.f_flags & ST_RDONLY) != 0)
    return FreeSpaceRefusal::ReadOnly;
  if (Sys().faccessat(fd, ".", W_OK | X_OK, AT_EACCESS) != 0)
    return errno == EROFS ? FreeSpaceRefusal::ReadOnly : FreeSpaceRefusal::NotWritable;
  return FreeSpaceRefusal::None;
}

// The bar: thousandths of the free space found at the start, told to the
// control only when the thousandth changes.
class FillProgress : public WriteProgress {
 public:
  FillProgress(RunControl& control, std::uint64_t planned, std::string item)
      : control_(control), planned_(planned), item_(std::move(item)) {
    control_.Progress(0, planned_, item_);
  }
  void Written(std::uint64_t bytes) override {
    done_ += bytes;
    const std::uint64_t shown = std::min(done_, planned_);
    const std::uint64_t thousandth = planned_ == 0 ? 0 : shown * 1000 / planned_;
    if (thousandth == last_) return;
    last_ = thousandth;
    control_.Progress(shown, planned_, item_);
  }

 private:
  RunControl& control_;
  const std::uint64_t planned_;
  const std::string item_;
  std::uint64_t done_ = 0;
  std::uint64_t last_ = 0;
};

enum class FileEnd { Complete, Full, Stopped, WriteFailed, SyncFailed };

// Writes the fill files one after the other into the fill folder.
class Filler {
 public:
  Filler(int folder, RunControl& control, FillProgress& progress)
      : folder_(folder), pattern_(*PatternForPosition(kDefaultPosition)), control_(control), progress_(progress) {}

  // One new file of up to `size` bytes, forced to the disk unless the
  // caller forces a whole stage at once. Full when the disk ran out part way
  // (what was written is kept and forced) or before the first byte.
  FileEnd FillOne(off_t size, off_t& written, bool force = true) {
    written = 0;
    if (control_.StopRequested()) return FileEnd::Stopped;
    char name[32];
    std::snprintf(name, sizeof name, "%s%0*u", kFillFilePrefix, static_cast<int>(kFillFileDigits), next_++);
    UniqueFd fd(RetryOnEintr([&] {
      return Sys().openat(folder_, name, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC, 0600);
    }));
    if (!fd.valid()) return IsFull(errno) ? FileEnd::Full : FileEnd::WriteFailed;
    bool full = false;
    while (written < size) {
      if (control_.StopRequested()) return FileEnd::Stopped;
      const off_t to = std::min(written + kPiece, size);
      off_t reached = written;
      if (!pattern_.WriteRange(fd.get(), written, to, &progress_, &reached)) {
        const int error = errno;
        written = reached;
        if (!IsFull(error)) return FileEnd::WriteFailed;
        full = true;
        break;
      }
      written = to;
    }
    // Closing does not put the data on the disk: the fill counts only once
    // it is there.
    if (force && written > 0 && RetryOnEintr([&] { return Sys().fdatasync(fd.get()); }) != 0)
      return FileEnd::SyncFailed;
    if (!fd.Close()) return FileEnd::SyncFailed;
    return full ? FileEnd::Full : FileEnd::Complete;
  }

 private:
  const int folder_;
  const FillPattern pattern_;
  RunControl& control_;
  FillProgress& progress_;
  unsigned next_ = 0;
};

// Fills with files of `size` until the disk is full; None when it is.
std::optional<FreeSpaceEnd> FillStage(Filler& filler, off_t size, std::uint64_t limit, std::uint64_t& overwritten,
                                      bool force = true) {
  for (;;) {
    off_t written = 0;
    FileEnd end = filler.FillOne(size, written, force);
    if (end == FileEnd::Complete || end == FileEnd::Full) overwritten += static_cast<std::uint64_t>(written);
    if (end == FileEnd::Stopped) return FreeSpaceEnd::Stopped;
    if (end == FileEnd::WriteFailed) return FreeSpaceEnd::WriteFailed;
    if (end == FileEnd::SyncFailed) return FreeSpaceEnd::SyncFailed;
    if (overwritten > limit) return FreeSpaceEnd::WriteFailed;
    if (end == FileEnd::Full) return std::nullopt;
  }
}

// Fills until the disk is full at the smallest size, or something ends it.
FreeSpaceEnd Fill(Filler& filler, int folder, const FreeBlocks& at_start, bool privileged,
                  std::uint64_t& overwritten) {
  // A file system that takes more than its free space without filling up
  // (one that compresses the pattern away) is never filled: stop there.
  const std::uint64_t limit = at_start.fillable + at_start.fillable / 4 + (std::uint64_t{64} << 20);
  std::vector<off_t> sizes;
  for (off_t size : kStageSizes)
    if (static_cast<std::uint64_t>(size) > at_start.block) sizes.push_back(size);
  sizes.push_back(static_cast<off_t>(at_start.block));
  for (off_t size : sizes)
    if (std::optional<FreeSpaceEnd> end = FillStage(filler, size, limit, overwritten)) return *end;
  if (privileged) {
    std::optional<FreeSpaceEnd> end;
    std::uint64_t written = 0;
    {
      LoweredExt4Reserve reserve(folder);
      // Files of four blocks at most: the inode holds four pieces itself, so
      // none needs a block for its map while there is none to give; then
      // single blocks for the last three, where a page takes four. Not
      // forced one by one (a thousand journal commits), but all at once
      // below: their blocks are the file system's from the first write on,
      // so the reserve can be back before that.
      for (const std::uint64_t blocks : {std::uint64_t{4}, std::uint64_t{1}})
        if (reserve.lowered() && !end)
          end = FillStage(filler, static_cast<off_t>(blocks * at_start.block), limit, written, /*force=*/false);
    }
    if (end) return *end;
    if (written > 0 && Sys().syncfs(folder) != 0) return FreeSpaceEnd::SyncFailed;
    overwritten += written;
    // What ext4 set aside for those unforced writes' own records comes free
    // once they are on the disk: any writer may have it, so single blocks
    // take it too, or it would be told as held back.
    if (written > 0)
      if (std::optional<FreeSpaceEnd> topped =
              FillStage(filler, static_cast<off_t>(at_start.block), limit, overwritten))
        return *topped;
  }
  return at_start.reserved > 0 ? FreeSpaceEnd::ReservedNotReached : FreeSpaceEnd::Wiped;
}

int OpenChosenFolder(const std::string& folder) {
  return RetryOnEintr(
      [&] { return Sys().openat(AT_FDCWD, folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0); });
}

void Refuse(FreeSpaceTarget& target, FreeSpaceRefusal refusal, int error) {
  target.error = error;
  target.refusal = refusal;
}

// The chosen folder, open, checked, and where its file system is mounted.
// False with the refusal set when the fill cannot go there.
bool OpenParent(const std::string& folder, FreeSpaceTarget& target, EntryStat& parent) {
  target.parent = UniqueFd(OpenChosenFolder(folder));
  if (!target.parent.valid() || !StatFd(target.parent.get(), parent)) {
    Refuse(target, FreeSpaceRefusal::CannotOpen, errno);
    return false;
  }
  target.refusal = CheckOpenFolder(target.parent.get());
  if (target.refusal != FreeSpaceRefusal::None) return false;
  target.mount_id = parent.mount_id;
  target.mount_point = MountPointOf(parent.mount_id);
  if (target.mount_point.empty()) target.mount_point = folder;
  return true;
}

// A new folder under a random name in `parentfd`: its name, or "" with the
// error of the last attempt.
std::string MakeFillFolder(int parentfd, int& error) {
  for (int attempt = 0; attempt < 16; ++attempt) {
    std::string name = kFillFolderPrefix + RandomName(kRandomPart);
    if (Sys().mkdirat(parentfd, name.c_str(), 0700) == 0) return name;
    error = errno;
    if (error != EEXIST) break;
  }
  return {};
}

// The fill folder just made, open, provided what holds its name now is
// still a folder on the parent's mount. False with the refusal set.
bool OpenFillFolder(FreeSpaceTarget& target, const EntryStat& parent, EntryStat& fill) {
  target.fill = UniqueFd(OpenFolderAt(target.parent.get(), target.fill_name));
  if (target.fill.valid() && StatFd(target.fill.get(), fill) && S_ISDIR(fill.st.st_mode) &&
      !IsOtherMount(fill, parent.mount_id))
    return true;
  // What holds the name now is not the folder we made: leave it.
  Refuse(target, FreeSpaceRefusal::CannotCreate, target.fill.valid() ? EEXIST : errno);
  target.fill.Reset();
  return false;
}

// Our fill files in the fill folder `fd` on mount `mount_id`; a file left
// keeps the folder, which its removal then says.
void RemoveFillFiles(int fd, std::uint64_t mount_id) {
  std::vector<ListedEntry> entries;
  BestEffort(ReadFolder(fd, entries));  // what could not be listed keeps the folder
  for (const ListedEntry& entry : entries) {
    if (!IsFillFileName(entry.name)) continue;
    EntryStat file;
    if (!StatAt(fd, entry.name, file) || !S_ISREG(file.st.st_mode) || IsOtherMount(file, mount_id)) continue;
    BestEffort(Sys().unlinkat(fd, entry.name.c_str(), 0));
  }
}

}  // namespace

std::uint64_t FileSystemId(int fd) {
  struct statfs fs;
  if (RetryOnEintr([&] { return Sys().fstatfs(fd, &fs); }) != 0) return 0;
  std::uint64_t id = 0;
  static_assert(sizeof fs.f_fsid <= sizeof id);
  std::memcpy(&id, &fs.f_fsid, sizeof fs.f_fsid);
  return id;
}

bool IsFillFolderName(const std::string& name) {
  const std::string prefix = kFillFolderPrefix;
  if (name.size() != prefix.size() + kRandomPart || name.compare(0, prefix.size(), prefix) != 0) return false;
  return std::all_of(name.begin() + static_cast<std::ptrdiff_t>(prefix.size()), name.end(), IsAlnum);
}

bool IsFillFileName(const std::string& name) {
  const std::string prefix = kFillFilePrefix;
  if (name.size() != prefix.size() + kFillFileDigits || name.compare(0, prefix.size(), prefix) != 0) return false;
  return std::all_of(name.begin() + static_cast<std::ptrdiff_t>(prefix.size()), name.end(),
                     [](char c) { return c >= '0' && c <= '9'; });
}

void ReadBirthTime(int fd, FillIdentity& id) {
  struct statx x {};
  if (Sys().statx(fd, "", AT_EMPTY_PATH | AT_SYMLINK_NOFOLLOW, STATX_BTIME, &x) != 0 || !(x.stx_mask & STATX_BTIME))
    return;
  id.birth_sec = x.stx_btime.tv_sec;
  id.birth_nsec = x.stx_btime.tv_nsec;
}

FreeSpaceRefusal CheckFreeSpaceFolder(const std::string& folder, int& error) {
  error = 0;
  UniqueFd fd(OpenChosenFolder(folder));
  if (!fd.valid()) {
    error = errno;
    return FreeSpaceRefusal::CannotOpen;
  }
  return CheckOpenFolder(fd.get());
}

FreeSpaceTarget PrepareFreeSpaceWipe(const std::string& folder) {
  FreeSpaceTarget target;
  EntryStat parent;
  if (!OpenParent(folder, target, parent)) return target;
  int error = 0;
  target.fill_name = MakeFillFolder(target.parent.get(), error);
  if (target.fill_name.empty()) {
    Refuse(target, FreeSpaceRefusal::CannotCreate, error);
    return target;
  }
  EntryStat fill;
  if (!OpenFillFolder(target, parent, fill)) return target;
  // Private whatever the umask left.
  BestEffort(Sys().fchmod(target.fill.get(), 0700));
  target.identity = {JoinPath(folder, target.fill_name), fill.st.st_dev, fill.st.st_ino, parent.st.st_dev,
                     parent.st.st_ino};
  ReadBirthTime(target.fill.get(), target.identity);
  target.identity.fs_id = FileSystemId(target.parent.get());
  // Recorded before it is lowered, for a start after a death with it low.
  if (Sys().geteuid() == 0) BestEffort(Ext4ReserveOf(target.parent.get(), target.identity.ext4_reserve));
  return target;
}

FreeSpaceResult WipeFreeSpace(FreeSpaceTarget& target, RunControl& control, const FreeSpaceOptions& options) {
  FreeSpaceResult result;
  FreeBlocks at_start;
  if (!LookAtFree(target.fill.get(), options.privileged, at_start)) {
    result.end = FreeSpaceEnd::WriteFailed;
  } else {
    result.free_at_start = at_start.fillable;
    FillProgress progress(control, at_start.fillable, target.mount_point);
    Filler filler(target.fill.get(), control, progress);
    result.end = Fill(filler, target.fill.get(), at_start, options.privileged, result.overwritten);
  }
  // What the file system would not give out even so: ext4 keeps 2 % of its
  // blocks (at most 4096) from every writer, XFS a few dozen that statfs
  // counts and up to 5 % (at most 8192 blocks) that it does not.
  FreeBlocks at_end;
  if (result.end == FreeSpaceEnd::Wiped && LookAtFree(target.fill.get(), options.privileged, at_end))
    result.held_back = at_end.fillable + UncountedReserve(target.fill.get(), at_end.block);
  // No program may write to what was held back, ours included, but the
  // device can be told to forget it. While the fill is there, the free
  // blocks are just those: telling a device of them takes a moment, of the
  // whole free space a while.
  if (result.held_back > 0 && options.privileged)
    result.free_discarded = Sys().discard_free(target.fill.get()) == 0;
  // The disk is full now (for us at least): the fill goes at once.
  struct stat fill;
  EntryStat seen;
  if (StatFd(target.fill.get(), seen)) {
    fill = seen.st;
    result.fill_removed =
        RemoveFillFolder(target.parent.get(), target.fill_name, target.fill.get(), fill, &result.fill_error);
  } else {
    result.fill_error = errno;
  }
  target.fill.Reset();
  return result;
}

bool RemoveFillFolder(int parent, const std::string& name, int fill, const struct stat& expected, int* error) {
  int why = 0;
  EntryStat folder, now;
  UniqueFd fresh(OpenFolderAt(parent, name));
  if (!StatFd(fill, folder) || !fresh.valid() || !StatFd(fresh.get(), now)) {
    why = errno;
  } else if (!SameInode(now.st, expected) || IsOtherMount(now, folder.mount_id)) {
    why = EEXIST;  // not the folder we made: never touched
  } else {
    RemoveFillFiles(fresh.get(), folder.mount_id);
    // Only the folder we made, still under its name.
    if (!HoldsInode(parent, name, expected) || Sys().unlinkat(parent, name.c_str(), AT_REMOVEDIR) != 0) why = errno;
  }
  fresh.Reset();
  // The space is free again at once; this makes the removal durable.
  BestEffort(Sys().fsync(parent));
  BestEffort(Sys().syncfs(parent));
  // Gone is what counts, however the calls above went.
  const bool gone = !HoldsInode(parent, name, expected);
  if (error) *error = gone ? 0 : (why != 0 ? why : EEXIST);
  return gone;
}

}  // namespace velmora
