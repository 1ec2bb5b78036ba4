// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/raw_scan.h"

#include <algorithm>
#include <cstring>
#include <unordered_map>

namespace velmora::testing {
namespace {
std::uint64_t Load(const std::uint8_t* p) {
  std::uint64_t v;
  std::memcpy(&v, p, 8);
  return v;
}
std::size_t Slot(std::uint64_t key, std::size_t mask) { return (key * 0x9E3779B97F4A7C15ull >> 20) & mask; }
}  // namespace

void SecretScanner::AddSecret(const Bytes& secret) {
  secrets_.push_back(secret);
  Rebuild();
}

void SecretScanner::Rebuild() {
  chunks_.clear();
  for (const Bytes& s : secrets_)
    for (std::size_t at = 0; at + kChunk <= s.size(); at += kChunk) chunks_.push_back({Load(&s[at]), &s[at]});
  std::size_t size = 1;
  while (size < chunks_.size() * 4) size <<= 1;
  table_.assign(size, 0);
  for (auto& [key, ptr] : chunks_) {
    if (key == 0) continue;  // 0 marks an empty slot; such a chunk is 1 in 2^64
    std::size_t i = Slot(key, size - 1);
    while (table_[i] != 0 && table_[i] != key) i = (i + 1) & (size - 1);
    table_[i] = key;
  }
}

std::size_t SecretScanner::FoundBytes(const Bytes& raw) const {
  if (chunks_.empty() || raw.size() < kChunk) return 0;
  std::unordered_multimap<std::uint64_t, const std::uint8_t*> by_key;
  for (auto& [key, ptr] : chunks_) by_key.emplace(key, ptr);
  const std::size_t mask = table_.size() - 1;
  std::size_t found = 0;
  for (std::size_t at = 0; at + kChunk <= raw.size(); ++at) {
    std::uint64_t key = Load(&raw[at]);
    if (key == 0) continue;
    std::size_t i = Slot(key, mask);
    while (table_[i] != 0 && table_[i] != key) i = (i + 1) & mask;
    if (table_[i] != key) continue;
    auto range = by_key.equal_range(key);
    for (auto it = range.first; it != range.second; ++it) {
      if (std::memcmp(it->second, &raw[at], kChunk) == 0) {
        found += kChunk;
        break;
      }
    }
  }
  return found;
}

std::size_t CountOccurrences(const Bytes& raw, const std::string& text) {
  std::size_t count = 0;
  auto it = raw.begin();
  while ((it = std::search(it, raw.end(), text.begin(), text.end())) != raw.end()) {
    ++count;
    ++it;
  }
  return count;
}

}  // namespace velmora::testing
