// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The overwrite engine. One file at a time: cover it with every pass of the
// plan (each forced to the device before the next), then remove its name. File mode and
// folder mode go through the same step (OverwriteAt); only when the data is
// forced differs (per file here, once per file system for a folder).
#include <sys/stat.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/fill_pattern.h"
#include "engine/pass_plan.h"
#include "engine/write_progress.h"
#include "fs/unique_fd.h"

namespace velmora {

enum class WipeOutcome {
  Shredded,        // overwritten, synced and removed
  NotRegularFile,  // a folder, FIFO, socket or device: left alone
  Link,            // a symbolic link: never followed, left alone
  MountPoint,      // a file mounted over another: left alone
  Changed,         // grew while being overwritten, or swapped: kept
  ReadOnly,        // a read-only file: left alone
  OpenFailed,      // could not be opened: untouched and in place
  WriteFailed,     // a write failed part way: partly overwritten, in place
  SyncFailed,      // the data may not be on the device: kept in place
  RemoveFailed,    // overwritten and synced, but its name could not go
  OtherLinks,      // more names than expected: not written (folder walk only)
  StoppedPartWay,  // stopped between two writes: partly overwritten, kept
  StoppedBeforeStart,  // stopped before its first write: untouched, kept
  StoppedAfterPasses,  // stopped once a pass was whole: later passes skipped, forced and removed
  InUse,           // open in another program (or being run): untouched and in place
  Gone,            // no longer there when it was to be opened: nothing touched
};

// How the overwrite engine treats one file.
struct WipePolicy {
  // Make a read-only file writable instead of refusing it.
  bool force_read_only = false;
  // Create a missing file (it is then filled and removed like any other).
  bool create_missing = true;
  // Force the data to the disk before closing (file mode); a folder shred
  // syncs the whole file system once instead.
  bool sync_now = true;
  // The mount id of the folder the file is in, when the caller knows it
  // (0: looked up). A file on another mount is never written.
  std::uint64_t folder_mount = 0;
  // The inode the name must still hold (0: whatever regular file is there).
  ino_t expected_inode = 0;
  // The number of names the file must have (0: any).
  nlink_t expected_links = 0;
  // Told of every write, when given, and asked before each whether to stop.
  // Where the data is forced per file (sync_now), it hears of bytes as the
  // device acknowledges them (see writeback_pacer.h); otherwise as written.
  WriteProgress* progress = nullptr;
  // Cover what the file grew by while it was written before closing it. A
  // folder shred looks once more, later, right before the removal instead
  // (CoverGrowth), which also catches growth during its one sync.
  bool cover_growth_now = true;
  // When given, the file's descriptor (with its write lease) is handed over
  // here after a Shredded overwrite instead of being closed, so the lease
  // lasts until the caller has removed the name.
  UniqueFd* hold_open = nullptr;
  // When given, gets the number of passes made whole.
  int* passes_done = nullptr;
  // When given, receives the errno of the system call that decided a
  // failure (OpenFailed, WriteFailed, SyncFailed, RemoveFailed; 0 when none
  // did), so the report can say why in the system's words. Other outcomes
  // come from a look or a stop and leave it as it was.
  int* error = nullptr;
};

// `value` rounded up to a multiple of `unit`, or the largest off_t when that
// would not fit (a file within one block of the largest size).
off_t RoundUpToBlock(off_t value, off_t unit);

// One pass over an open regular file: `bytes` over the fill block's
// length from offset 0, then over every data extent of the length `before`
// gives, rounded up to the block size. Holes are skipped. Never truncates.
bool OverwriteOpenFile(int fd, const struct stat& before, const FillPattern& pattern, PassBytes& bytes,
                       WriteProgress* progress = nullptr);

// How far an overwrite of a file described by `opened` covers it: its
// length or the fill block's, whichever is longer, to the end of its block.
off_t CoveredLength(const struct stat& opened, const FillPattern& pattern);

// Covers with `bytes` what the open file `fd` grew past `covered` by since,
// round after round while it keeps growing: Shredded once it stops, Changed
// if it has not after a few rounds, WriteFailed when a look or write fails.
WipeOutcome CoverGrowth(int fd, off_t covered, off_t fs_block, PassBytes& bytes, WriteProgress* progress = nullptr);

// Zeroes the values of the extended attributes we may rewrite (user., and
// trusted. for root) of an open file or folder, and removes the others where
// the kernel lets us. Best effort: the file's own bytes decide its outcome.
// Returns the names whose values are now zeros.
std::vector<std::string> ZeroAttributeValues(int fd);

// The one engine step: opens `name` in `dirfd` for writing (never through a
// link, never blocking, only a regular file on the folder's own mount, only
// the inode expected), covers it and whatever it grew by meanwhile, zeroes
// its attributes' values, forces it to the disk when the policy says so, and
// closes it. Nothing is written unless this descriptor is the file's only
// open one (its write lease, where the file system offers leases). Every
// pass but the last is forced to the device (fdatasync) before the next
// begins, or a later pass would only replace it in the page cache. On
// Shredded, `opened` describes the file; its name is untouched.
// A stop the progress asks for ends the overwrite between two writes: what
// was written is forced to the disk (where the policy syncs per file). In
// the first pass the file is StoppedPartWay; after it, StoppedAfterPasses:
// its old content is gone, and it is handed back as a Shredded one is, to
// be removed.
WipeOutcome OverwriteAt(int dirfd, const std::string& name, const PassPlan& plan, const WipePolicy& policy,
                        struct stat& opened);

// The whole engine on `name` in the folder `dirfd`: looks, refuses what is
// not a regular file of this mount, overwrites, forces, removes.
// StoppedAfterPasses once it is removed.
WipeOutcome WipeAt(int dirfd, const std::string& name, const PassPlan& plan, const WipePolicy& policy = {});

// The whole engine on a path as the user listed it.
// `passes_done`, when given, gets the number of passes made whole; `error`
// as in WipePolicy.
WipeOutcome WipeFile(const std::string& path, const PassPlan& plan, WriteProgress* progress = nullptr,
                     int* passes_done = nullptr, int* error = nullptr);

// Whether the file was covered enough that its name goes: every pass, or a
// stop after a whole pass.
inline bool Overwritten(WipeOutcome outcome) {
  return outcome == WipeOutcome::Shredded || outcome == WipeOutcome::StoppedAfterPasses;
}

}  // namespace velmora
