// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The bytes one overwrite pass puts at each offset of a file, and the loop
// that writes them over a range.
#include <sys/types.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/write_progress.h"

namespace velmora {

// The most one write of a pass carries: large enough for the disk to stream,
// small enough that memory use stays flat whatever the file's size.
inline constexpr std::size_t kPassChunk = std::size_t{1} << 20;

class PassBytes {
 public:
  virtual ~PassBytes() = default;
  // `want` (at most kPassChunk) bytes to write at offset `at`; valid until
  // the next call.
  virtual const std::uint8_t* At(off_t at, std::size_t want) = 0;
};

// Every byte the same (0xFF or 0x00). The buffer is shared by every pass.
class SameByte : public PassBytes {
 public:
  explicit SameByte(std::uint8_t value);
  const std::uint8_t* At(off_t, std::size_t) override { return buffer_; }

 private:
  const std::uint8_t* buffer_;
};

// Random bytes: xoshiro256** seeded from getrandom for each pass, so no
// pass repeats a buffer over the file nor another pass's bytes, at memory
// speed (the kernel's generator alone is slower than a fast disk).
class RandomBytes : public PassBytes {
 public:
  RandomBytes();
  const std::uint8_t* At(off_t at, std::size_t want) override;

 private:
  std::uint64_t Next();
  std::array<std::uint64_t, 4> state_{};
  std::vector<std::uint8_t> buffer_;
};

// Writes `bytes` over [from, to) of fd, in chunks. False, with errno set, at
// the first failed write. Each write is told to `progress`, when given,
// which is asked before each attempt whether to stop (false then, with
// errno ECANCELED); `reached`, when given, gets the offset written up to.
bool WritePass(int fd, off_t from, off_t to, PassBytes& bytes, WriteProgress* progress = nullptr,
               off_t* reached = nullptr);

}  // namespace velmora
