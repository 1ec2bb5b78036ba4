// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Changing the permission bits of an entry we are about to destroy, so that
// a read-only file or folder does not stop a forced removal, and putting
// them back on what we had to keep.
#include <sys/stat.h>

#include <string>

namespace velmora {

// Adds `bits` to the mode of `name` in `dirfd`, but only when that entry is
// still the inode described by `expected` (never through a link swapped in).
bool AddModeBits(int dirfd, const std::string& name, const struct stat& expected, mode_t bits);

// Sets the permission bits of `name` in `dirfd` to `mode`, on the same terms.
bool SetModeBits(int dirfd, const std::string& name, const struct stat& expected, mode_t mode);

}  // namespace velmora
