// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The techniques the options page offers, in one table: the list shows
// their names, the report and the result caption print the name, and the
// engine takes the value.
#include <array>
#include <optional>

namespace velmora {

enum class Technique {
  OnesAndZeros,  // the passes before the last: 0xFF, 0x00, 0xFF, ...
  RandomChars,   // the passes before the last: random bytes, new for each
};

struct TechniqueEntry {
  Technique technique;
  const char* name;  // as the list shows it
};

// In the list's order; the first is selected when the window starts.
inline constexpr std::array<TechniqueEntry, 2> kTechniques = {{
    {Technique::OnesAndZeros, "Ones and Zeros"},
    {Technique::RandomChars, "Random Chars"},
}};

// The technique at `index` of the list, or nothing for an index it cannot have.
constexpr std::optional<TechniqueEntry> TechniqueAt(int index) {
  if (index < 0 || index >= static_cast<int>(kTechniques.size())) return std::nullopt;
  return kTechniques[static_cast<std::size_t>(index)];
}

}  // namespace velmora
