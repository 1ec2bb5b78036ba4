// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/program_location.h"

#include <limits.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

namespace velmora {

ProgramPaths ProgramPathsOf(const std::string& executable_path) {
  ProgramPaths paths;
  std::size_t slash = executable_path.rfind('/');
  if (slash == std::string::npos) return paths;
  paths.folder = slash == 0 ? "/" : executable_path.substr(0, slash);
  paths.executable_name = executable_path.substr(slash + 1);
  return paths;
}

ProgramPaths ReadProgramPaths() {
  std::vector<char> buffer(PATH_MAX);
  for (;;) {
    const ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (n < 0) return {};
    const auto length = static_cast<std::size_t>(n);
    if (length < buffer.size()) return ProgramPathsOf(std::string(buffer.data(), length));
    buffer.resize(buffer.size() * 2);
  }
}

std::string SystemDirectory() { return "/usr/bin"; }
std::string SystemRootDirectory() { return "/usr"; }

std::string UserStateFolder() {
  const char* state = std::getenv("XDG_STATE_HOME");
  if (state != nullptr && state[0] == '/') return std::string(state) + "/velmora";
  const char* home = std::getenv("HOME");
  if (home != nullptr && home[0] == '/') return std::string(home) + "/.local/state/velmora";
  return {};
}

}  // namespace velmora
