// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The fixed fill block written from offset 0 over every shredded file.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "engine/pass_positions.h"

namespace velmora {

// The repeat factor N for a pass-count position (0..5), or nothing for a
// position the list cannot have.
std::optional<int> RepeatFactor(int position);

// 52 * N + 440: the length of the fill block.
std::size_t FillBlockLength(int repeat_factor);

// The fill block for repeat factor N, byte for byte.
std::vector<std::uint8_t> BuildFillBlock(int repeat_factor);

}  // namespace velmora
