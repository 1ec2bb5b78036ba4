// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The choices a shred run works with, and the shred list it works on.
#include <cstdint>
#include <string>
#include <vector>

#include "engine/pass_positions.h"
#include "engine/technique.h"

namespace velmora {

struct ShredOptions {
  bool FolderMode = false;               // "Shred Folder(s)" was selected
  std::int16_t OverwriteNoOfTimes = kPassCounts[kDefaultPassPosition];  // the pass count as shown
  std::string OverwriteWith = kTechniques[0].name;  // the technique as shown, for caption and report
  std::string FolderToShred;             // the last folder accepted
  // What the engine is given; set with the two above, by ChoosePasses.
  int position = kDefaultPassPosition;  // of the pass-count list
  Technique technique = kTechniques[0].technique;
};

// The pass-count position and the technique chosen, and everything that
// follows from them, taken at once: the count shown, the technique's name,
// and what the engine writes. A position the list cannot have leaves a
// count of 0, which writes nothing; an index the technique list cannot
// have is read as its first.
inline void ChoosePasses(ShredOptions& options, int position, int technique_index) {
  options.position = position;
  options.OverwriteNoOfTimes = PassCountAt(position).value_or(0);
  const TechniqueEntry technique = TechniqueAt(technique_index).value_or(kTechniques[0]);
  options.technique = technique.technique;
  options.OverwriteWith = technique.name;
}

// One entry of the shred list: the full path, and what the list shows.
struct ShredListItem {
  std::string path;
  std::string name;
  bool operator==(const ShredListItem&) const = default;
};

using ShredList = std::vector<ShredListItem>;

}  // namespace velmora
