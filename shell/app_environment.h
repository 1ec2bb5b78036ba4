// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the window needs to know about where it runs.
#include <string>
#include <vector>

#include "shell/web_links.h"
#include "shredlist/program_paths.h"

namespace velmora {

struct AppEnvironment {
  ProgramPaths program;                   // folder and file name of the executable
  std::string state_folder;               // the user's state folder for Velmora
  std::vector<std::string> mount_points;  // roots of mounted file systems
  WebAddresses addresses;
  std::string guide;  // the user guide's file; "" for the copy built in
};

// The environment of the running program.
AppEnvironment ReadAppEnvironment();

}  // namespace velmora
