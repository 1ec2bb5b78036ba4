// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Removing one directory entry so that its name does not stay behind, and
// only while it is the very file or folder we mean to remove.
#include <sys/stat.h>

#include <string>

namespace velmora {

// Removes `name` in `dirfd` (as a folder when is_folder), but only while the
// name holds the inode `expected`: renamed to a random name of the same
// length, made durable, checked again under that name, then removed. When
// the removal fails the entry gets its own name back. Without `scrub_name`
// (where renaming takes no name off the disk) it is removed under its own
// name after the same check. False when anything
// stopped it; the entry then stays.
//
// What remains is the race between each check and the call after it: Linux
// has no "remove this name only if it is this inode", so a swap in the
// microseconds between an fstatat and the rename or unlinkat that follows
// still wins. The window is kept to those two calls.
bool RemoveExpected(int dirfd, const std::string& name, const struct stat& expected, bool is_folder,
                    bool scrub_name = true);

// Renames the entry to a random name of the same length in the same folder.
// Returns the name it now has: the original one when the rename was refused.
std::string ScrubName(int dirfd, const std::string& name);

// Whether `name` in `dirfd` is, right now, the inode `expected` (same device,
// inode and type; never through a link).
bool HoldsInode(int dirfd, const std::string& name, const struct stat& expected);

// A random name of the given length from [A-Za-z0-9], never "." or "..".
std::string RandomName(std::size_t length);

}  // namespace velmora
