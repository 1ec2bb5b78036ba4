// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The engine on a path as the user listed it, with the pattern of a
// pass-count position, as a file-mode run takes it.
#include <optional>
#include <string>

#include "engine/fill_pattern.h"
#include "engine/wipe_file.h"

namespace velmora::testing {

// `position` is one the options page offers.
inline WipeOutcome WipeAtPosition(const std::string& path, int position) {
  return WipeFile(path, PatternForPosition(position).value());
}

}  // namespace velmora::testing
