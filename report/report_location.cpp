// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/report_location.h"

#include <fcntl.h>
#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <cerrno>
#include <memory>

#include "platform/sys_calls.h"

namespace velmora {
namespace {

// Whether `path` is `top` or lies below it ("/usr" holds "/usr/bin", not "/usrx").
bool AtOrBelow(const std::string& path, const std::string& top) {
  return path.compare(0, top.size(), top) == 0 && (path.size() == top.size() || path[top.size()] == '/');
}

// Whether `path`, links followed, is a folder, and (when `owner` is given)
// one owned by that user.
bool IsFolder(const std::string& path, const uid_t* owner = nullptr) {
  struct statx x;
  if (Sys().statx(AT_FDCWD, path.c_str(), 0, STATX_TYPE | STATX_UID, &x) != 0) return false;
  return S_ISDIR(x.stx_mode) && (owner == nullptr || x.stx_uid == *owner);
}

std::string RealPath(const std::string& path) {
  std::unique_ptr<char, decltype(&::free)> real(::realpath(path.c_str(), nullptr), &::free);
  return real ? std::string(real.get()) : std::string();
}

}  // namespace

bool IsSystemFolder(const std::string& folder) {
  std::string path = folder;
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  if (path.empty() || path == "/") return true;
  for (const char* top : {"/usr", "/bin", "/sbin", "/opt", "/etc"})
    if (AtOrBelow(path, top)) return true;
  // /lib, /lib32, /lib64, /libx32 and whatever else a system names so.
  std::string first = path.substr(0, path.find('/', 1));
  return first.compare(0, 4, "/lib") == 0;
}

bool MayKeepReportBeside(const std::string& program_folder, uid_t user) {
  if (program_folder.empty() || program_folder[0] != '/' || IsSystemFolder(program_folder)) return false;
  std::string real = RealPath(program_folder);
  if (real.empty() || IsSystemFolder(real)) return false;
  return IsFolder(real, &user);
}

std::vector<std::string> ReportFolders(const std::string& program_folder, const std::string& state_folder,
                                       uid_t user) {
  std::vector<std::string> folders;
  if (MayKeepReportBeside(program_folder, user)) folders.push_back(program_folder);
  if (!state_folder.empty() && state_folder != program_folder) folders.push_back(state_folder);
  return folders;
}

bool MakePrivateFolders(const std::string& path) {
  if (path.empty()) return false;
  for (std::size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
    std::string part = path.substr(0, slash);
    if (!part.empty() && Sys().mkdirat(AT_FDCWD, part.c_str(), 0700) != 0 && errno != EEXIST) return false;
    if (slash == std::string::npos) break;
  }
  return IsFolder(path);
}

}  // namespace velmora
