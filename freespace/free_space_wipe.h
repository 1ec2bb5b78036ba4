// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Wiping the free space of a file system: what a shred cannot reach, the
// blocks of files deleted long ago. A hidden folder of our own in a folder
// the user chose is filled with the fill pattern until the file system has
// no block left to give, each file forced to the disk, and then emptied and
// removed again. Nothing outside that folder is written, renamed or removed;
// no link is followed and no other mount entered.
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <cstdint>
#include <string>

#include "engine/run_control.h"
#include "fs/unique_fd.h"

namespace velmora {

// Why the free space of a folder's file system cannot be wiped from there.
enum class FreeSpaceRefusal {
  None,
  CannotOpen,    // not a folder we can open
  ReadOnly,      // the file system is mounted read-only
  NotWritable,   // the user cannot create files in the folder
  CannotCreate,  // making the fill folder failed (`error` says why)
};

// Looks at `folder` without changing anything. `error` gets errno for
// CannotOpen.
FreeSpaceRefusal CheckFreeSpaceFolder(const std::string& folder, int& error);

// The fill folder's identity, as kept between sessions: a fill a killed
// session left behind (a full disk) is removed at the next start by it.
struct FillIdentity {
  std::string path;  // the fill folder's full path
  dev_t device = 0;
  ino_t inode = 0;
  dev_t parent_device = 0;  // the chosen folder it was made in
  ino_t parent_inode = 0;
  // When it was made (0 where the file system does not say): an inode
  // number is given again to the next new file once freed.
  std::int64_t birth_sec = 0;
  std::uint32_t birth_nsec = 0;
  // The file system's own identity (statfs's f_fsid), beside its device.
  std::uint64_t fs_id = 0;
  // ext4's own reserve as it was before the wipe (0: none, or not ours to
  // lower): put back at the next start by the administrator should both the
  // program and its watchdog have died while it was lowered.
  unsigned long long ext4_reserve = 0;
  // Starts this entry waited through for a disk that was not mounted.
  unsigned waits = 0;
  bool operator==(const FillIdentity&) const = default;
  bool SameFolder(const FillIdentity& other) const {
    return path == other.path && device == other.device && inode == other.inode;
  }
};

// statfs's f_fsid of the file system `fd` is on (0 where unknown).
std::uint64_t FileSystemId(int fd);

// The birth time of the open file `fd` into `id` (left 0 where unknown).
void ReadBirthTime(int fd, FillIdentity& id);

// "<prefix><12 letters or digits>": the names of our fill folders.
inline constexpr const char* kFillFolderPrefix = ".velmora-free-space-";
bool IsFillFolderName(const std::string& name);
// "fill-<8 digits>": the names of the files inside one.
bool IsFillFileName(const std::string& name);

// A fill folder made and opened, ready to be filled (on another thread).
struct FreeSpaceTarget {
  FreeSpaceRefusal refusal = FreeSpaceRefusal::None;
  int error = 0;            // errno of a CannotOpen or CannotCreate
  std::string mount_point;  // where the file system is mounted
  UniqueFd parent;          // the chosen folder
  UniqueFd fill;            // the fill folder inside it
  std::string fill_name;
  FillIdentity identity;
  std::uint64_t mount_id = 0;
};

// Checks `folder` as CheckFreeSpaceFolder does, then makes the fill folder
// (mode 0700, a new random name) in it and opens it.
FreeSpaceTarget PrepareFreeSpaceWipe(const std::string& folder);

enum class FreeSpaceEnd {
  Wiped,               // filled to the last block the file system gives
  Stopped,             // Stop was pressed
  ReservedNotReached,  // filled all we may; the administrator's reserve was not
  WriteFailed,         // a write failed with another error than a full disk
  SyncFailed,          // a file could not be forced to the disk
};

struct FreeSpaceResult {
  FreeSpaceEnd end = FreeSpaceEnd::Wiped;
  std::uint64_t overwritten = 0;    // bytes written and forced to the disk
  std::uint64_t free_at_start = 0;  // what we could fill, as the file system said
  // After a whole fill: free bytes the file system still would not give out
  // (a reserve of its own), so not overwritten.
  std::uint64_t held_back = 0;
  // The device was told to discard what was held back: on a device that
  // honours it, what those blocks held reads back as nothing.
  bool free_discarded = false;
  bool fill_removed = false;        // the fill folder is gone again
  int fill_error = 0;               // why it is not (errno)
};

struct FreeSpaceOptions {
  // May use the blocks a file system keeps for the administrator, and tell
  // the device to discard what was held back.
  bool privileged = ::geteuid() == 0;
};

// Fills the target's folder, forces every file to the disk, then removes
// the fill and syncs the file system, so it is as free as before. Stop is
// asked between chunks; the fill is removed whatever ends it. The progress
// goes to `control` in bytes of the free space found at the start, with the
// mount point as its item.
FreeSpaceResult WipeFreeSpace(FreeSpaceTarget& target, RunControl& control, const FreeSpaceOptions& options = {});

// Removes our fill files from the fill folder `name` in `parent` and the
// folder itself, but only while `name` still holds the inode `expected` on
// the mount of the open folder `fill`; then syncs. The folder is listed
// through a descriptor opened now: one opened before the fill was written
// may list none of it (Btrfs fixes a folder's listing at its opening). True
// when the folder is gone, checked afterwards; else `error` says why.
bool RemoveFillFolder(int parent, const std::string& name, int fill, const struct stat& expected,
                      int* error = nullptr);

}  // namespace velmora
