// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The fill block repeated end to end, so any range of a file can be covered
// with large writes whatever its offset.
#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "engine/pass_bytes.h"
#include "engine/write_progress.h"

namespace velmora {

class FillPattern {
 public:
  // For repeat factor N; the first period() bytes are the fill block.
  explicit FillPattern(int repeat_factor);

  std::size_t period() const { return period_; }
  const std::vector<std::uint8_t>& block() const { return block_; }

  // Writes the pattern over [from, to) of fd: the byte at offset x is
  // block()[x % period()]. False, with errno set, at the first failed write.
  // Each write is told to `progress`, when given, which is asked before
  // each write whether to stop (false then, with errno ECANCELED);
  // `reached`, when given, gets the offset written up to.
  bool WriteRange(int fd, off_t from, off_t to, WriteProgress* progress = nullptr,
                  off_t* reached = nullptr) const;

  // The pattern from offset `at` on, for at least kPassChunk bytes.
  const std::uint8_t* At(off_t at) const { return repeated_.data() + static_cast<std::size_t>(at) % period_; }

 private:
  std::vector<std::uint8_t> block_;
  std::vector<std::uint8_t> repeated_;  // one chunk plus one period
  std::size_t period_;
};

// The pattern as the bytes of a pass (the last one of every shred).
class FillBytes : public PassBytes {
 public:
  explicit FillBytes(const FillPattern& pattern) : pattern_(pattern) {}
  const std::uint8_t* At(off_t at, std::size_t) override { return pattern_.At(at); }

 private:
  const FillPattern& pattern_;
};

// The one place a pass-count position becomes a pattern: nothing for a
// position the list cannot have.
std::optional<FillPattern> PatternForPosition(int position);

}  // namespace velmora
