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

// New strings, moved in: assigning a literal into an existing string makes
// GCC 12 at -O3 warn of an overlap that cannot happen (its bug 105329).
void SplitPath(const std::string& path, std::string& folder, std::string& name) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) {
    folder = std::string(1, '.');
    name = path;
    return;
  }
  folder = slash == 0 ? std::string(1, '/') : path.substr(0, slash);
  name = path.substr(slash + 1);
}

}  // namespace velmora
