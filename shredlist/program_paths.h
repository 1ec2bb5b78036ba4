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

// The folders the system itself lives in (/etc, /var, /home... where they
// exist; "/" and /usr have rules of their own) and the user's home folder
// (`home`: $HOME, and the password database's entry), by identity, as
// CurrentSystemFiles() finds them.
std::vector<ProtectedFolder> ReadProtectedFolders(const std::vector<std::string>& homes);
// $HOME and the password database's home folder of the effective user.
std::vector<std::string> UserHomeFolders();
// What the protection rules compare against: the running program, read
// at start, and the system folders, read now. The window and the command
// line build it here, so both keep the same things off the list.
AddContext RulesContextFor(const ProgramPaths& program, const std::vector<std::string>& mount_points);

}  // namespace velmora
