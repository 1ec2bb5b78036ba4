// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/fill_block.h"

#include <initializer_list>

namespace velmora {
namespace {

using Unit = std::initializer_list<std::uint8_t>;

constexpr Unit kTen = {0x0A, 0x00, 0x00, 0x00};  // the 32-bit integer 10, little-endian
constexpr Unit kPairOne = {0xEA, 0xDE};
constexpr Unit kPairTwo = {0x31, 0xE7};
constexpr Unit kTextTen = {0x31, 0x30};  // the characters "10"

void Append(std::vector<std::uint8_t>& out, Unit unit, int count) {
  for (int i = 0; i < count; ++i) out.insert(out.end(), unit.begin(), unit.end());
}

}  // namespace

std::optional<int> RepeatFactor(int position) {
  if (position < 0 || position >= kPassPositions) return std::nullopt;
  return 100 * position;
}

std::size_t FillBlockLength(int repeat_factor) {
  return 52 * static_cast<std::size_t>(repeat_factor) + 440;
}

std::vector<std::uint8_t> BuildFillBlock(int n) {
  std::vector<std::uint8_t> out;
  out.reserve(FillBlockLength(n));
  // The runs in writing order; the order is what puts each byte at its offset.
  Append(out, kTen, n);
  Append(out, kPairOne, n);
  Append(out, kPairTwo, n);
  for (int run = 0; run < 10; ++run) Append(out, kTextTen, n);
  for (std::uint8_t c : Unit{0x2E, 0x2E, 0x56, 0x65, 0x72, 0x97, 0x31, 0x2E, 0x30, 0x2E, 0x30})
    Append(out, {c}, n);
  for (int run = 0; run < 3; ++run) Append(out, kTen, n);
  Append(out, kTen, 10);
  Append(out, kTen, 100);
  Append(out, {0x00}, n);
  return out;
}

}  // namespace velmora
