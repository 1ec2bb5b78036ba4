// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/fill_pattern.h"

#include <algorithm>

#include "engine/fill_block.h"

namespace velmora {

std::optional<FillPattern> PatternForPosition(int position) {
  std::optional<int> n = RepeatFactor(position);
  if (!n) return std::nullopt;
  return FillPattern(*n);
}

FillPattern::FillPattern(int repeat_factor)
    : block_(BuildFillBlock(repeat_factor)), period_(block_.size()) {
  repeated_.reserve(kPassChunk + period_);
  while (repeated_.size() < kPassChunk + period_) {
    std::size_t take = std::min(period_, kPassChunk + period_ - repeated_.size());
    repeated_.insert(repeated_.end(), block_.begin(), block_.begin() + static_cast<std::ptrdiff_t>(take));
  }
}

bool FillPattern::WriteRange(int fd, off_t from, off_t to, WriteProgress* progress, off_t* reached) const {
  FillBytes bytes(*this);
  return WritePass(fd, from, to, bytes, progress, reached);
}

}  // namespace velmora
