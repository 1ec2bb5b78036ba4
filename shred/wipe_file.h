#pragma once
// modWipe: the overwrite engine. One file at a time: cover it with the fill
// pattern, force the data to the device, then remove its name.
#include <sys/stat.h>

#include <cstdint>
#include <string>
#include <vector>

#include "shred/fill_pattern.h"
#include "shred/unique_fd.h"

namespace velmora {

enum class WipeOutcome {
  Shredded,        // overwritten, synced and removed
  InvalidPosition, // no such pass-count position: nothing touched
  NotRegularFile,  // a folder, FIFO, socket or device: left alone
  Link,            // a symbolic link: never followed, left alone
  MountPoint,      // a file mounted over another: left alone
  Changed,         // grew while being overwritten, or swapped: kept
  ReadOnly,        // a read-only file: left alone
  OpenFailed,      // could not be opened: untouched and in place
  WriteFailed,     // a write failed part way: partly overwritten, in place
  SyncFailed,      // the data may not be on the device: kept in place
  RemoveFailed,    // overwritten and synced, but its name could not go
};

// How the overwrite engine treats one file.
struct WipePolicy {
  // Make a read-only file writable instead of refusing it.
  bool force_read_only = false;
  // Create a missing file (it is then filled and removed like any other).
  bool create_missing = true;
  // The mount id of the folder the file is in, when the caller knows it
  // (0: looked up). A file on another mount is never written.
  std::uint64_t folder_mount = 0;
};

// `value` rounded up to a multiple of `unit`, or the largest off_t when that
// would not fit (a file within one block of the largest size).
off_t RoundUpToBlock(off_t value, off_t unit);

// Covers an open regular file: the fill block from offset 0, then the
// pattern repeated over every data extent of the original length, rounded
// up to the block size. Holes are skipped. Never truncates.
bool OverwriteOpenFile(int fd, const struct stat& before, const FillPattern& pattern);

// Zeroes the values of the extended attributes we may rewrite (user., and
// trusted. for root) of an open file or folder, and removes the others where
// the kernel lets us. Best effort: the file's own bytes decide its outcome.
// Returns the names whose values are now zeros.
std::vector<std::string> ZeroAttributeValues(int fd);

// The whole overwrite of an open file, as every mode does it: the cover
// above, then whatever the file grew by meanwhile (a few rounds; a file still
// growing is Changed), then its extended attributes' values zeroed. Returns
// Shredded when the file is covered; `zeroed_xattrs` then lists the
// attributes whose values are now zeros, to remove once they are synced.
WipeOutcome OverwriteForShred(int fd, const struct stat& opened, const FillPattern& pattern,
                              std::vector<std::string>* zeroed_xattrs);

// Opens `name` in `dirfd` for writing without following a link or blocking,
// and only when it is a regular file. On success fills `st`.
WipeOutcome OpenRegularForWrite(int dirfd, const std::string& name, const WipePolicy& policy,
                                UniqueFd& out, struct stat& st);

// The same, for an entry already looked at (`seen`, or null when it was
// missing): the open still checks that it reached that very file.
WipeOutcome OpenSeenForWrite(int dirfd, const std::string& name, const struct stat* seen,
                             const WipePolicy& policy, UniqueFd& out, struct stat& st);

// The whole engine on `name` in the folder `dirfd`.
WipeOutcome WipeAt(int dirfd, const std::string& name, const FillPattern& pattern,
                   const WipePolicy& policy = {});

// WipeFile of modWipe: path as the user listed it, and the pass-count
// position selected at the moment of the call.
WipeOutcome WipeFile(const std::string& path, int position);

// Splits a path into its folder and its last component ("a/b" -> "a", "b";
// "b" -> ".", "b"). The last component is empty for "/" or a trailing "/".
void SplitPath(const std::string& path, std::string& folder, std::string& name);

}  // namespace velmora
