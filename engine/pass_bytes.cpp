// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/pass_bytes.h"

#include <sys/random.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <random>

#include "platform/sys_calls.h"

namespace velmora {
namespace {

std::uint64_t Rotate(std::uint64_t x, int k) { return (x << k) | (x >> (64 - k)); }

// A seed the kernel's generator gives; std::random_device where getrandom is
// missing (it only fails before the pool is ready, or on very old kernels).
std::array<std::uint64_t, 4> Seed() {
  std::array<std::uint64_t, 4> seed{};
  if (getrandom(seed.data(), sizeof seed, 0) != static_cast<ssize_t>(sizeof seed)) {
    std::random_device device;
    for (std::uint64_t& word : seed) word = (std::uint64_t{device()} << 32) ^ device();
  }
  if (seed == std::array<std::uint64_t, 4>{}) seed[0] = 1;  // the one state the generator cannot leave
  return seed;
}

}  // namespace

SameByte::SameByte(std::uint8_t value) {
  static const std::vector<std::uint8_t> ones(kPassChunk, 0xFF), zeros(kPassChunk, 0x00);
  buffer_ = (value == 0xFF ? ones : zeros).data();
}

RandomBytes::RandomBytes() : state_(Seed()) {}

std::uint64_t RandomBytes::Next() {
  const std::uint64_t result = Rotate(state_[1] * 5, 7) * 9;
  const std::uint64_t t = state_[1] << 17;
  state_[2] ^= state_[0];
  state_[3] ^= state_[1];
  state_[1] ^= state_[2];
  state_[0] ^= state_[3];
  state_[2] ^= t;
  state_[3] = Rotate(state_[3], 45);
  return result;
}

const std::uint8_t* RandomBytes::At(off_t, std::size_t want) {
  // Fresh bytes for every write, a retried one included: nothing repeats.
  buffer_.resize(std::max(buffer_.size(), (want + 7) / 8 * 8));
  for (std::size_t i = 0; i < want; i += 8) {
    const std::uint64_t word = Next();
    std::memcpy(buffer_.data() + i, &word, sizeof word);
  }
  return buffer_.data();
}

bool WritePass(int fd, off_t from, off_t to, PassBytes& bytes, WriteProgress* progress, off_t* reached) {
  off_t at = from;
  struct Report {
    off_t& at;
    off_t* reached;
    ~Report() {
      if (reached) *reached = at;
    }
  } report{at, reached};
  while (at < to) {
    const std::size_t want = std::min<std::size_t>(kPassChunk, static_cast<std::size_t>(to - at));
    const std::uint8_t* data = bytes.At(at, want);
    // A stop is asked for before every attempt, an interrupted one's retry included.
    ssize_t done = RetryOnEintr([&]() -> ssize_t {
      if (progress && progress->StopRequested()) {
        errno = ECANCELED;
        return -1;
      }
      return Sys().pwrite(fd, data, want, at);
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
