// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The path readers: the folders the protection rules guard.
#include <string>

#include "platform/program_location.h"

namespace velmora {

// The system's own programs.
std::string ReadSystemFolder();
// The system's installation tree.
std::string ReadWindowsFolder();

}  // namespace velmora
