// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What a shred run did with one listed item. The window turns these codes
// into the lines of its warning box; the engine never words them itself.
namespace velmora {

enum class WipeOutcome;

enum class ItemOutcome {
  Shredded,               // overwritten, forced to the disk and removed (or never there)
  ReadOnly,               // file mode: no write permission, left as it is
  Link,                   // a symbolic link on the list: never followed, left
  NotRegularFile,         // file mode: a FIFO, socket, device or folder
  NotFolder,              // folder mode: the item is not a folder
  MountPoint,             // a mount point at the moment of the shred
  NotFound,               // it does not exist (a file: no longer, when it was to be opened)
  OpenFailed,             // could not be opened
  InUse,                  // open in another program (a folder: a file in it), left untouched
  WriteFailed,            // a write failed part way
  SyncFailed,             // the data could not be forced to the disk
  RemoveFailed,           // overwritten, but its name could not be removed
  Changed,                // it changed (grew, or was swapped) while being shredded
  SomethingInsideKept,    // a folder that keeps anything
  StoppedBeforeReached,   // the user stopped the run before this item
  StoppedBeforeFinished,  // the user stopped the run in the middle of this folder
  StoppedPartWay,         // the user stopped the run in the middle of this file: partly overwritten
  StoppedAfterPasses,     // stopped once this file's first pass was whole: later passes skipped, removed
};

// What the engine's answer for one file means for the user. Two codes, as
// the engine's is about one file and this one about what the user sees:
// the engine has steps of its own a user never sees as such (OtherLinks,
// which the folder walk settles by counting names), and
// only a listed folder can be NotFolder, SomethingInsideKept or
// StoppedBeforeFinished. This is the one place they meet.
ItemOutcome OutcomeOfFile(WipeOutcome outcome);

}  // namespace velmora
