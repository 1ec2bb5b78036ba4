// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The choices a shred run works with, and the shred list it works on.
#include <cstdint>
#include <string>
#include <vector>

#include "engine/pass_positions.h"

namespace velmora {

struct ShredOptions {
  bool FolderMode = false;               // "Shred Folder(s)" was selected
  std::int16_t OverwriteNoOfTimes = kPassCounts[kDefaultPassPosition];  // the pass count as shown
  std::string OverwriteWith = "Ones and Zeros";  // the technique, a label only
  std::string FolderToShred;             // the last folder accepted
};

// One entry of the shred list: the full path, and what the list shows.
struct ShredListItem {
  std::string path;
  std::string name;
  bool operator==(const ShredListItem&) const = default;
};

using ShredList = std::vector<ShredListItem>;

}  // namespace velmora
