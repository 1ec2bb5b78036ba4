// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The path readers: the folders the protection rules guard.
#include <string>

#include "platform/program_location.h"

namespace velmora {

// Set once at start-up by the readers below, then only read.
extern std::string SystemFolder;
extern std::string WindowsFolder;

// The system's own programs.
void ReadSystemFolder();
// The system's installation tree.
void ReadWindowsFolder();

}  // namespace velmora
