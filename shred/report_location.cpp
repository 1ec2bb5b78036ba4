#include "shred/report_location.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

namespace velmora {

bool CanCreateFileIn(const std::string& folder) {
  if (folder.empty()) return false;
  std::string probe = folder + (folder.back() == '/' ? "" : "/") + ".velmora-probe-XXXXXX";
  std::vector<char> name(probe.begin(), probe.end());
  name.push_back('\0');
  int fd = ::mkstemp(name.data());
  if (fd < 0) return false;
  ::close(fd);
  ::unlink(name.data());
  return true;
}

namespace {
// mkdir -p, private to the user for the folders it makes.
void MakeFolders(const std::string& path) {
  for (std::size_t slash = path.find('/', 1); ; slash = path.find('/', slash + 1)) {
    std::string part = path.substr(0, slash);
    if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return;
    if (slash == std::string::npos) return;
  }
}
}  // namespace

std::string ChooseReportFolder(const std::string& program_folder, const std::string& state_folder) {
  if (CanCreateFileIn(program_folder) || state_folder.empty()) return program_folder;
  MakeFolders(state_folder);
  return state_folder;
}

}  // namespace velmora
