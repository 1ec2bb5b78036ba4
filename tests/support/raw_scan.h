// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Looking for secrets in raw bytes: any 64-byte window of a secret contains
// a whole 32-byte chunk starting at a multiple of 32 in that secret, so
// finding no such chunk anywhere proves no 64-byte window survived.
#include <cstdint>
#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace velmora::testing {

class SecretScanner {
 public:
  void AddSecret(const Bytes& secret);
  // Bytes of the raw image that belong to a secret chunk (0 when clean).
  std::size_t FoundBytes(const Bytes& raw) const;

 private:
  static constexpr std::size_t kChunk = 32;
  std::vector<Bytes> secrets_;
  std::vector<std::uint64_t> table_;  // open addressing on the first 8 bytes; 0 = empty
  std::vector<std::pair<std::uint64_t, const std::uint8_t*>> chunks_;
  void Rebuild();
};

// Occurrences of `text` in `raw`.
std::size_t CountOccurrences(const Bytes& raw, const std::string& text);

}  // namespace velmora::testing
