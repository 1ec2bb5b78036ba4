// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Small helpers for working relative to an open folder.
#include <fcntl.h>
#include <sys/stat.h>

#include <string>

#include "platform/sys_calls.h"

namespace velmora {

// Opens `name` in `dirfd` as a folder, never through a link.
inline int OpenFolderAt(int dirfd, const std::string& name) {
  return RetryOnEintr(
      [&] { return Sys().openat(dirfd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC, 0); });
}

// Whether two looks saw the very same file.
inline bool SameInode(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

}  // namespace velmora
