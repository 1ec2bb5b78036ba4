// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Where the running program lives, and the user's and the system's folders,
// as this platform names them.
#include <string>

namespace velmora {

struct ProgramPaths {
  std::string folder;           // no trailing "/" unless it is "/"
  std::string executable_name;  // the file name alone
};

// Read from /proc/self/exe; both empty when it cannot be read.
ProgramPaths ReadProgramPaths();

// Splits a full executable path into ProgramPaths.
ProgramPaths ProgramPathsOf(const std::string& executable_path);

// The system's own programs, and the system's installation tree.
std::string SystemDirectory();
std::string SystemRootDirectory();

// $XDG_STATE_HOME/velmora, or ~/.local/state/velmora; "" when neither is known.
std::string UserStateFolder();

}  // namespace velmora
