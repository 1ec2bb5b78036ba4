// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The roots of mounted file systems: on this platform, what a "drive's root
// folder" is.
#include <string>
#include <vector>

namespace velmora {

// Mount points named in the text of /proc/self/mountinfo, unescaped.
std::vector<std::string> ParseMountInfo(const std::string& text);

// The mount points of the running process; empty when they cannot be read.
std::vector<std::string> ReadMountPoints();

}  // namespace velmora
