// SPDX-License-Identifier: GPL-3.0-or-later
#include "fs/name_scrub.h"

#include <sys/statfs.h>
#include <sys/utsname.h>

#include <cstdio>

#include "platform/sys_calls.h"

namespace velmora {
namespace {

constexpr long kXfsMagic = 0x58465342;
constexpr long kBtrfsMagic = 0x9123683E;
constexpr long kExt4Magic = 0xEF53;

// Whether the running kernel zeroes a removed entry's name in an ext4
// folder block. That came to ext4 in 2021, with the journal checkpoint the
// run already uses; we count on it from 6.1, the first long-term kernel
// released well after, and let older ones rename.
bool KernelWipesRemovedNames() {
  struct utsname about;
  int major = 0, minor = 0;
  if (Sys().uname(&about) != 0 || std::sscanf(about.release, "%d.%d", &major, &minor) != 2) return false;
  return major > 6 || (major == 6 && minor >= 1);
}

// The file system's type, or 0 when it cannot be told.
long TypeOf(int fd) {
  struct statfs fs;
  return Sys().fstatfs(fd, &fs) == 0 ? static_cast<long>(fs.f_type) : 0;
}

}  // namespace

bool RenameScrubsNamesOn(int fd) {
  const long type = TypeOf(fd);
  return type != kXfsMagic && type != kBtrfsMagic;
}

TreeNames HowTreeNamesGo(int fd) {
  const long type = TypeOf(fd);
  if (type == kXfsMagic || type == kBtrfsMagic) return TreeNames::LeftAlone;
  if (type == kExt4Magic && KernelWipesRemovedNames()) return TreeNames::SyncBeforeFolders;
  return TreeNames::RenameEach;
}

}  // namespace velmora
