// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/fill_block.h"

#include <gtest/gtest.h>

#include "engine/fill_pattern.h"

namespace velmora {
namespace {

// The block written independently of the production code: offsets from the
// layout table, filled run by run.
std::vector<std::uint8_t> ExpectedBlock(int n) {
  std::vector<std::uint8_t> b(52 * n + 440, 0xFF);
  auto fill32 = [&](std::size_t at, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
      b[at + 4 * i] = 0x0A;
      b[at + 4 * i + 1] = b[at + 4 * i + 2] = b[at + 4 * i + 3] = 0;
    }
  };
  auto fill16 = [&](std::size_t at, std::size_t count, std::uint8_t x, std::uint8_t y) {
    for (std::size_t i = 0; i < count; ++i) b[at + 2 * i] = x, b[at + 2 * i + 1] = y;
  };
  auto fill8 = [&](std::size_t at, std::size_t count, std::uint8_t x) {
    for (std::size_t i = 0; i < count; ++i) b[at + i] = x;
  };
  fill32(0, n);
  fill16(4 * n, n, 0xEA, 0xDE);
  fill16(6 * n, n, 0x31, 0xE7);
  fill16(8 * n, 10 * n, 0x31, 0x30);
  fill8(28 * n, 2 * n, 0x2E);
  const std::uint8_t singles[] = {0x56, 0x65, 0x72, 0x97, 0x31, 0x2E, 0x30, 0x2E, 0x30};
  for (int k = 0; k < 9; ++k) fill8((30 + k) * n, n, singles[k]);
  fill32(39 * n, 3 * n + 110);
  fill8(51 * n + 440, n, 0x00);
  return b;
}

TEST(FillBlock, RepeatFactorIsHundredTimesThePositionAndRejectsOthers) {
  for (int p = 0; p < 6; ++p) EXPECT_EQ(RepeatFactor(p), 100 * p);
  EXPECT_EQ(RepeatFactor(-1), std::nullopt);
  EXPECT_EQ(RepeatFactor(6), std::nullopt);
}

TEST(FillBlock, EveryPositionMatchesTheLayoutByteForByte) {
  const std::size_t lengths[] = {440, 5640, 10840, 16040, 21240, 26440};
  for (int p = 0; p < 6; ++p) {
    auto block = BuildFillBlock(100 * p);
    ASSERT_EQ(block.size(), lengths[p]) << "position " << p;
    EXPECT_EQ(block, ExpectedBlock(100 * p)) << "position " << p;
  }
}

TEST(FillBlock, LandmarksAtTheDefaultPosition) {
  auto b = BuildFillBlock(200);
  ASSERT_EQ(b.size(), 10840u);
  EXPECT_EQ(b[799], 0x00);
  EXPECT_EQ(b[800], 0xEA);
  EXPECT_EQ(b[801], 0xDE);
  EXPECT_EQ(b[5599], 0x30);
  EXPECT_EQ(b[5600], 0x2E);
  EXPECT_EQ(b[7799], 0x30);
  EXPECT_EQ(b[7800], 0x0A);
  EXPECT_EQ(b[7801], 0x00);
  for (std::size_t i = 10640; i < 10840; ++i) ASSERT_EQ(b[i], 0x00) << i;
  EXPECT_EQ(b[10636], 0x0A);
}

TEST(FillBlock, PositionZeroIs110TensOnly) {
  auto b = BuildFillBlock(0);
  ASSERT_EQ(b.size(), 440u);
  for (std::size_t i = 0; i < 440; i += 4) {
    EXPECT_EQ(b[i], 0x0A);
    EXPECT_EQ(b[i + 1] | b[i + 2] | b[i + 3], 0);
  }
}

TEST(FillPattern, RepeatsTheBlockPastOneChunk) {
  FillPattern pattern(100);
  EXPECT_EQ(pattern.period(), 5640u);
  EXPECT_EQ(pattern.block(), BuildFillBlock(100));
}

}  // namespace
}  // namespace velmora
