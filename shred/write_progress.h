// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// How the overwrite engine tells, while it writes, how far it has come.
#include <cstdint>

namespace velmora {

class WriteProgress {
 public:
  virtual ~WriteProgress() = default;
  // `bytes` more of the pattern are on their way to the file.
  virtual void Written(std::uint64_t bytes) = 0;
};

}  // namespace velmora
