// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The roots of mounted file systems: on this platform, what a "drive's root
// folder" is.
#include <cstdint>
#include <string>
#include <vector>

namespace velmora {

// Mount points named in the text of /proc/self/mountinfo, unescaped.
std::vector<std::string> ParseMountInfo(const std::string& text);

// The mount points of the running process; empty when they cannot be read.
std::vector<std::string> ReadMountPoints();

// Where the mount with the id `mount_id` (statx's mount id, the first field
// of mountinfo) is mounted, from the text of /proc/self/mountinfo; "" when
// none has it.
std::string MountPointWithId(const std::string& mountinfo, std::uint64_t mount_id);
// The same for the running process.
std::string MountPointOf(std::uint64_t mount_id);

}  // namespace velmora
