#pragma once
// modWipe: the overwrite engine. One file at a time: cover it with the fill
// pattern, force the data to the device, then remove its name.
#include <sys/stat.h>

#include <string>

#include "shred/fill_pattern.h"
#include "shred/unique_fd.h"
#include "shred/write_progress.h"

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
};

// Covers an open regular file: the fill block from offset 0, then the
// pattern repeated over every data extent of the original length, rounded
// up to the block size. Holes are skipped. Never truncates. Every write is
// told to `progress`, when given.
bool OverwriteOpenFile(int fd, const struct stat& before, const FillPattern& pattern,
                       WriteProgress* progress = nullptr);

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
                   const WipePolicy& policy = {}, WriteProgress* progress = nullptr);

// WipeFile of modWipe: path as the user listed it, and the pass-count
// position selected at the moment of the call.
WipeOutcome WipeFile(const std::string& path, int position, WriteProgress* progress = nullptr);

// Splits a path into its folder and its last component ("a/b" -> "a", "b";
// "b" -> ".", "b"). The last component is empty for "/" or a trailing "/".
void SplitPath(const std::string& path, std::string& folder, std::string& name);

}  // namespace velmora
