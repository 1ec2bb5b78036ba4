// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/fill_pattern.h"

#include <algorithm>
#include <cerrno>

#include "engine/fill_block.h"
#include "platform/sys_calls.h"

namespace velmora {
namespace {
// Large enough for the disk to stream, small enough that memory use stays
// flat whatever the file's size.
constexpr std::size_t kChunk = 1 << 20;
}  // namespace

std::optional<FillPattern> PatternForPosition(int position) {
  std::optional<int> n = RepeatFactor(position);
  if (!n) return std::nullopt;
  return FillPattern(*n);
}

FillPattern::FillPattern(int repeat_factor)
    : block_(BuildFillBlock(repeat_factor)), period_(block_.size()) {
  repeated_.reserve(kChunk + period_);
  while (repeated_.size() < kChunk + period_) {
    std::size_t take = std::min(period_, kChunk + period_ - repeated_.size());
    repeated_.insert(repeated_.end(), block_.begin(), block_.begin() + static_cast<std::ptrdiff_t>(take));
  }
}

bool FillPattern::WriteRange(int fd, off_t from, off_t to, WriteProgress* progress, off_t* reached) const {
  off_t at = from;
  struct Report {
    off_t& at;
    off_t* reached;
    ~Report() {
      if (reached) *reached = at;
    }
  } report{at, reached};
  while (at < to) {
    std::size_t phase = static_cast<std::size_t>(at) % period_;
    std::size_t want = std::min<std::size_t>(kChunk, static_cast<std::size_t>(to - at));
    // A stop is asked for before every attempt, an interrupted one's retry included.
    ssize_t done = RetryOnEintr([&]() -> ssize_t {
      if (progress && progress->StopRequested()) {
        errno = ECANCELED;
        return -1;
      }
      return Sys().pwrite(fd, repeated_.data() + phase, want, at);
    });
    if (done < 0) return false;
    if (done == 0) {  // no progress and no error: treat as a full disk
      errno = ENOSPC;
      return false;
    }
    at += done;
    if (progress) progress->WroteRange(at - done, static_cast<std::uint64_t>(done));
  }
  return true;
}

}  // namespace velmora
