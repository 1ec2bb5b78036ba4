#include "shred/sys_calls.h"

#include <fcntl.h>
#include <stdio.h>
#include <unistd.h>

namespace velmora {
namespace {

int RealOpenat(int dirfd, const char* path, int flags, mode_t mode) {
  return ::openat(dirfd, path, flags, mode);
}
int RealRenameat(int olddirfd, const char* oldpath, int newdirfd, const char* newpath) {
  // Never replace an existing entry: the new name is one we invented.
  return ::renameat2(olddirfd, oldpath, newdirfd, newpath, RENAME_NOREPLACE);
}

SysCalls& Table() {
  static SysCalls table{RealOpenat, ::pwrite,   ::fdatasync, ::fsync,
                        ::syncfs,   ::close,    ::unlinkat,  RealRenameat};
  return table;
}

}  // namespace

SysCalls& Sys() { return Table(); }

ScopedSysCalls::ScopedSysCalls(const SysCalls& replacement) : saved_(Table()) {
  Table() = replacement;
}
ScopedSysCalls::~ScopedSysCalls() { Table() = saved_; }

}  // namespace velmora
