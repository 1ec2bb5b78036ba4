// SPDX-License-Identifier: GPL-3.0-or-later
#include "fs/folder_listing.h"

#include <dirent.h>

#include <cstddef>
#include <cstring>

#include "platform/sys_calls.h"

namespace velmora {
namespace {

// The kernel's record for one entry (struct linux_dirent64) has the layout
// of glibc's struct dirent64, whose name is the NUL-terminated rest of the
// record (its declared length is only the longest a name can be).
using Dirent64 = struct ::dirent64;

}  // namespace

bool ReadFolder(int fd, std::vector<ListedEntry>& out) {
  alignas(8) char buffer[32 << 10];
  for (;;) {
    ssize_t n = RetryOnEintr([&] { return Sys().getdents64(fd, buffer, sizeof buffer); });
    if (n < 0) return false;
    if (n == 0) return true;
    for (ssize_t at = 0; at < n;) {
      const auto* entry = reinterpret_cast<const Dirent64*>(buffer + at);
      at += entry->d_reclen;
      const char* name = entry->d_name;
      if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0) continue;
      out.push_back({name, static_cast<ino_t>(entry->d_ino), entry->d_type});
    }
  }
}

}  // namespace velmora
