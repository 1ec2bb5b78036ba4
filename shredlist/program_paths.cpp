// SPDX-License-Identifier: GPL-3.0-or-later
#include "shredlist/program_paths.h"

namespace velmora {

std::string ReadSystemFolder() { return SystemDirectory(); }
std::string ReadWindowsFolder() { return SystemRootDirectory(); }

}  // namespace velmora
