// SPDX-License-Identifier: GPL-3.0-or-later
#include "shredlist/program_paths.h"

namespace velmora {

std::string ReadSystemFolder() { return SystemDirectory(); }
std::string ReadWindowsFolder() { return SystemRootDirectory(); }

AddContext RulesContextFor(const ProgramPaths& program, const std::vector<std::string>& mount_points) {
  return AddContext{program.folder, program.executable_name, ReadSystemFolder(), ReadWindowsFolder(), mount_points};
}

}  // namespace velmora
