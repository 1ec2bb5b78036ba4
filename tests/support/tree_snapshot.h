// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Everything below a folder, byte for byte: kinds, modes, link targets and
// contents, to prove that nothing outside what was listed changed.
#include <map>
#include <string>

namespace velmora::testing {

// Path (relative) -> a description of the entry and its contents.
using TreeSnapshot = std::map<std::string, std::string>;

TreeSnapshot Snapshot(const std::string& root);

}  // namespace velmora::testing
