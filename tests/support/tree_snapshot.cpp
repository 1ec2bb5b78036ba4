// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/tree_snapshot.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <vector>

namespace velmora::testing {
namespace {

void Walk(const std::string& root, const std::string& relative, TreeSnapshot& out) {
  std::string path = relative.empty() ? root : root + "/" + relative;
  struct stat st;
  if (::lstat(path.c_str(), &st) != 0) return;
  std::ostringstream entry;
  entry << std::oct << (st.st_mode & 0170777) << std::dec << " links=" << st.st_nlink;
  if (S_ISLNK(st.st_mode)) {
    std::vector<char> target(4096);
    ssize_t n = ::readlink(path.c_str(), target.data(), target.size());
    entry << " -> " << std::string(target.data(), n > 0 ? n : 0);
  } else if (S_ISREG(st.st_mode)) {
    std::ifstream in(path, std::ios::binary);
    entry << " " << in.rdbuf();
  }
  out[relative.empty() ? "." : relative] = entry.str();
  if (!S_ISDIR(st.st_mode)) return;
  DIR* dir = ::opendir(path.c_str());
  if (dir == nullptr) return;
  std::vector<std::string> names;
  while (struct dirent* e = ::readdir(dir)) {
    std::string name = e->d_name;
    if (name != "." && name != "..") names.push_back(name);
  }
  ::closedir(dir);
  for (const std::string& name : names) Walk(root, relative.empty() ? name : relative + "/" + name, out);
}

}  // namespace

TreeSnapshot Snapshot(const std::string& root) {
  TreeSnapshot out;
  Walk(root, "", out);
  return out;
}

}  // namespace velmora::testing
