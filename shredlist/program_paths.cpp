// SPDX-License-Identifier: GPL-3.0-or-later
#include "shredlist/program_paths.h"

namespace velmora {

std::string SystemFolder;
std::string WindowsFolder;

void ReadSystemFolder() { SystemFolder = SystemDirectory(); }
void ReadWindowsFolder() { WindowsFolder = SystemRootDirectory(); }

}  // namespace velmora
