// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The path readers: the folders the protection rules guard.
#include <string>
#include <vector>

#include "platform/program_location.h"
#include "shredlist/add_rules.h"

namespace velmora {

// The system's own programs.
std::string ReadSystemFolder();
// The system's installation tree.
std::string ReadWindowsFolder();

// What the protection rules compare against: the running program, read
// at start, and the system folders, read now. The window and the command
// line build it here, so both keep the same things off the list.
AddContext RulesContextFor(const ProgramPaths& program, const std::vector<std::string>& mount_points);

}  // namespace velmora
