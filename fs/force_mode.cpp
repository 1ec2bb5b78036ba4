// SPDX-License-Identifier: GPL-3.0-or-later
#include "fs/force_mode.h"

#include <fcntl.h>
#include <unistd.h>

#include <string>

#include "fs/entry_at.h"
#include "fs/entry_stat.h"
#include "fs/unique_fd.h"
#include "platform/sys_calls.h"

namespace velmora {
namespace {

// Changes the mode of exactly the inode `expected` describes: `change` gets
// the current mode and returns the new one.
template <typename Change>
bool ChangeMode(int dirfd, const std::string& name, const struct stat& expected, Change change) {
  // An O_PATH descriptor needs no permission on the entry itself; chmod on
  // its /proc link reaches exactly that inode.
  UniqueFd fd(RetryOnEintr([&] { return Sys().openat(dirfd, name.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC, 0); }));
  if (!fd.valid()) return false;
  EntryStat seen;
  if (!StatFd(fd.get(), seen)) return false;
  const struct stat& now = seen.st;
  if (!SameInode(now, expected) || (now.st_mode & S_IFMT) != (expected.st_mode & S_IFMT) || S_ISLNK(now.st_mode))
    return false;
  std::string proc = "/proc/self/fd/" + std::to_string(fd.get());
  return Sys().chmod(proc.c_str(), change(now.st_mode & 07777)) == 0;
}

}  // namespace

bool AddModeBits(int dirfd, const std::string& name, const struct stat& expected, mode_t bits) {
  return ChangeMode(dirfd, name, expected, [bits](mode_t mode) { return mode | bits; });
}

bool SetModeBits(int dirfd, const std::string& name, const struct stat& expected, mode_t mode) {
  return ChangeMode(dirfd, name, expected, [mode](mode_t) { return mode & 07777; });
}

}  // namespace velmora
