// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Reading a folder once: each entry's name, inode and type, as the folder
// itself records them, without a look at the entry.
#include <sys/types.h>

#include <string>
#include <vector>

namespace velmora {

struct ListedEntry {
  std::string name;
  ino_t inode = 0;
  unsigned char type = 0;  // DT_REG, DT_DIR, ... or DT_UNKNOWN
};

// Every entry of the open folder `fd` but "." and "..". False when the
// folder could not be read to its end (what was read is still returned).
bool ReadFolder(int fd, std::vector<ListedEntry>& out);

}  // namespace velmora
