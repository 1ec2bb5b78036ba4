// SPDX-License-Identifier: GPL-3.0-or-later
#include "fs/path_text.h"

#include <string_view>

namespace velmora {

std::string JoinPath(const std::string& folder, const std::string& name) {
  if (!folder.empty() && folder.back() == '/') return folder + name;
  return folder + "/" + name;
}

std::string WithoutEmptySteps(const std::string& path) {
  std::string out;
  std::size_t i = 0;
  while (i < path.size()) {
    std::size_t next = path.find('/', i);
    if (next == std::string::npos) next = path.size();
    const std::string_view step(path.data() + i, next - i);
    if (!step.empty() && step != ".") {
      if (!out.empty() || path[0] == '/') out.push_back('/');
      out.append(step);
    }
    i = next + 1;
  }
  if (out.empty() && !path.empty() && path[0] == '/') out.push_back('/');
  return out;
}

void SplitPath(const std::string& path, std::string& folder, std::string& name) {
  std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) {
    folder = ".";
    name = path;
    return;
  }
  if (slash == 0)
    folder.assign(1, '/');
  else
    folder.assign(path, 0, slash);
  name.assign(path, slash + 1, std::string::npos);
}

}  // namespace velmora
