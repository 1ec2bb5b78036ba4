// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// How a shred takes the names of what it removes off the disk, per file
// system. Measured by the forensic tests for each file system that can be
// mounted here (a folder of 20 files and a subfolder, the 21 names looked
// for anywhere on the raw image after the run):
//
// - ext4, with or without a journal, keeps all 21 after a plain removal: the
//   folder's block is freed with the folder before its last state (names
//   removed) is ever written. Renaming each entry to a random name and
//   syncing before the removal leaves none; so does removing the entries and
//   syncing before the folder goes, two calls fewer per entry, on kernels
//   that zero a removed entry's name in the folder block (6.1 and later; the
//   kernel this was measured on is 6.18).
// - XFS keeps 20 or 21 and Btrfs 21 whichever way: their logs and copied
//   metadata keep the names, so nothing is spent on them there.
//
// File systems we could not test keep the rename.
namespace velmora {

// How a folder shred takes the names inside the folder off the disk.
enum class TreeNames {
  RenameEach,         // every entry and folder renamed, synced, then removed
  SyncBeforeFolders,  // folders renamed; entries removed, synced, then folders
  LeftAlone,          // plain removal: nothing else would take a name off
};

// For the file system of the open file or folder `fd`: whether a single
// file, in a folder that stays, is renamed before it is removed.
bool RenameScrubsNamesOn(int fd);

// For the file system of the open folder `fd`.
TreeNames HowTreeNamesGo(int fd);

// Who picks the way for a folder shred, given the open folder: HowTreeNamesGo
// unless the caller fixes one way.
using TreeNamesChoice = TreeNames (*)(int fd);

}  // namespace velmora
