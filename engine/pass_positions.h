// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The pass-count list, in one table: the drop-down list shows it, the report
// and the result caption print the count, and the engine takes the position
// (fill_pattern.h: PatternForPosition), never the count.
#include <array>
#include <cstdint>
#include <optional>

namespace velmora {

// The counts the list offers, in its order.
inline constexpr std::array<std::int16_t, 6> kPassCounts = {1, 2, 3, 5, 7, 10};
inline constexpr int kPassPositions = static_cast<int>(kPassCounts.size());

// The position selected when the window starts: "3".
inline constexpr int kDefaultPassPosition = 2;

// The count shown at `position`, or nothing for a position the list cannot have.
constexpr std::optional<std::int16_t> PassCountAt(int position) {
  if (position < 0 || position >= kPassPositions) return std::nullopt;
  return kPassCounts[static_cast<std::size_t>(position)];
}

}  // namespace velmora
