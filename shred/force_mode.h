#pragma once
// Adding permission bits to an entry we are about to destroy, so that a
// read-only file or folder does not stop a forced removal.
#include <sys/stat.h>

#include <string>

namespace velmora {

// Adds `bits` to the mode of `name` in `dirfd`, but only when that entry is
// still the inode described by `expected` (never through a link swapped in).
bool AddModeBits(int dirfd, const std::string& name, const struct stat& expected, mode_t bits);

}  // namespace velmora
