// SPDX-License-Identifier: GPL-3.0-or-later
#include "shredlist/given_paths.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <memory>

#include "fs/path_text.h"

namespace velmora {
namespace {

std::vector<std::string> Steps(const std::string& path) {
  std::vector<std::string> steps;
  std::size_t i = 0;
  while (i <= path.size()) {
    std::size_t next = path.find('/', i);
    if (next == std::string::npos) next = path.size();
    std::string step = path.substr(i, next - i);
    if (!step.empty() && step != ".") steps.push_back(std::move(step));
    i = next + 1;
  }
  return steps;
}

bool HasDotDot(const std::string& path) {
  const std::vector<std::string> steps = Steps(path);
  return std::find(steps.begin(), steps.end(), "..") != steps.end();
}

// The folder as the file system names it, links and ".." resolved; "" when
// it cannot be resolved.
std::string Resolved(const std::string& folder) {
  std::unique_ptr<char, decltype(&std::free)> real(::realpath(folder.c_str(), nullptr), &std::free);
  return real ? std::string(real.get()) : std::string();
}

}  // namespace

std::string AbsolutePath(const std::string& given, const std::string& cwd) {
  // Without a working folder a relative path names nothing for certain.
  if (given.empty() || (given[0] != '/' && cwd.empty())) return given;
  // Rooted at "/" even should `cwd` not be. (Appended to a "/" of its own:
  // "/" + string makes GCC 12 at -O3 warn of a false overlap inside
  // std::string, as in its bugs 105329 and 105651.)
  std::string rooted(1, '/');
  rooted += given[0] == '/' ? given : JoinPath(cwd, given);
  std::string lexical = WithoutEmptySteps(rooted);
  if (!HasDotDot(lexical)) return lexical;
  // The last step is kept as it is (never followed) unless it is ".." itself.
  std::string folder, last;
  SplitPath(lexical, folder, last);
  const bool last_is_dotdot = last == "..";
  const std::string resolved = Resolved(last_is_dotdot ? lexical : folder);
  if (resolved.empty()) return lexical;
  return last_is_dotdot ? resolved : JoinPath(resolved, last);
}

PathKind KindOf(const std::string& absolute_path) {
  if (absolute_path.empty() || absolute_path[0] != '/' || absolute_path.find('\0') != std::string::npos)
    return PathKind::Missing;
  if (HasDotDot(absolute_path)) return PathKind::Missing;
  struct stat st{};
  if (::lstat(absolute_path.c_str(), &st) != 0) return PathKind::Missing;
  if (S_ISDIR(st.st_mode)) return PathKind::Folder;
  if (S_ISREG(st.st_mode)) return PathKind::File;
  if (S_ISLNK(st.st_mode)) return PathKind::Link;
  return PathKind::Special;
}

std::vector<GivenPath> LookAtPaths(const std::vector<std::string>& given, const std::string& cwd) {
  std::vector<GivenPath> out;
  for (const std::string& path : given) {
    std::string absolute = AbsolutePath(path, cwd);
    const PathKind kind = KindOf(absolute);
    out.push_back({std::move(absolute), kind});
  }
  return out;
}

bool AllFolders(const std::vector<GivenPath>& paths) {
  return !paths.empty() &&
         std::all_of(paths.begin(), paths.end(), [](const GivenPath& p) { return p.kind == PathKind::Folder; });
}

namespace {

// The reason for a path of the wrong kind for the mode.
IntakeRefusal RefusalOf(PathKind kind) {
  switch (kind) {
    case PathKind::Missing: return IntakeRefusal::Missing;
    case PathKind::Link: return IntakeRefusal::Link;
    case PathKind::Special: return IntakeRefusal::NotRegularFile;
    case PathKind::Folder: return IntakeRefusal::Folder;  // in file mode
    case PathKind::File: break;                           // in folder mode
  }
  return IntakeRefusal::File;
}

}  // namespace

IntakePlan PlanIntake(const std::vector<GivenPath>& paths, bool folder_mode) {
  IntakePlan plan;
  const PathKind wanted = folder_mode ? PathKind::Folder : PathKind::File;
  for (const GivenPath& p : paths) {
    if (p.kind == wanted)
      plan.add.push_back(p.path);
    else
      plan.unlisted.push_back({p.path, RefusalOf(p.kind)});
  }
  return plan;
}

std::string CurrentFolder() {
  std::unique_ptr<char, decltype(&std::free)> cwd(::getcwd(nullptr, 0), &std::free);
  return cwd ? std::string(cwd.get()) : std::string();
}

}  // namespace velmora
