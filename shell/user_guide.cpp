// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/user_guide.h"

#include <unistd.h>

namespace velmora {
namespace {

bool Readable(const std::string& path) { return ::access(path.c_str(), R_OK) == 0; }

}  // namespace

std::string UserGuidePath(const std::string& program_folder) {
  const std::string bin = "/bin";
  const bool installed = program_folder.size() >= bin.size() &&
                         program_folder.compare(program_folder.size() - bin.size(), bin.size(), bin) == 0;
  const std::string path =
      installed ? program_folder.substr(0, program_folder.size() - bin.size()) + "/share/doc/velmora/guide.html"
                : std::string(VELMORA_SOURCE_GUIDE);
  return Readable(path) ? path : std::string();
}

}  // namespace velmora
