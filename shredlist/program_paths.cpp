#include "shredlist/program_paths.h"

#include <limits.h>
#include <unistd.h>

#include <vector>

namespace velmora {

std::string SystemFolder;
std::string WindowsFolder;

void ReadSystemFolder() { SystemFolder = "/usr/bin"; }
void ReadWindowsFolder() { WindowsFolder = "/usr"; }

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
    ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (n < 0) return {};
    if (static_cast<std::size_t>(n) < buffer.size()) return ProgramPathsOf(std::string(buffer.data(), n));
    buffer.resize(buffer.size() * 2);
  }
}

}  // namespace velmora
