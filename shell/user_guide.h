// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Where the user guide (docs/guide.html) is for this copy of the program.
#include <string>

namespace velmora {

// Installed: <prefix>/share/doc/velmora/guide.html beside <prefix>/bin, the
// program's folder. Run from a build tree: the source tree's copy. "" when
// neither is there (the program then shows the copy built into it).
std::string UserGuidePath(const std::string& program_folder);

}  // namespace velmora
