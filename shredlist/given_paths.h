// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Paths handed in from outside the choosers (the command line, a drop on the
// list page): made absolute, looked at without following a link, and sorted
// into those the add rules get and those that cannot be listed at all.
#include <string>
#include <vector>

#include "fs/ui_text.h"

namespace velmora {

// A link is a Link whatever it points at; a FIFO, socket or device is Special.
enum class PathKind { Folder, File, Link, Special, Missing };

struct GivenPath {
  std::string path;  // absolute, no trailing "/" (except "/" itself)
  PathKind kind;
};

// `given` made absolute against `cwd`, without a trailing "/", doubled
// slashes or "." steps. A ".." step cannot be taken out by text alone (the
// step before it may be a link), so the folder part is resolved on disk; if
// that fails the ".." stays and the path counts as missing.
std::string AbsolutePath(const std::string& given, const std::string& cwd);

// What lstat says. A path that cannot be looked at exactly (a NUL byte, a
// ".." left) is Missing.
PathKind KindOf(const std::string& absolute_path);

// Each path made absolute and looked at, in the order given.
std::vector<GivenPath> LookAtPaths(const std::vector<std::string>& given, const std::string& cwd);

// The command line's mode: folders when every path is a folder.
bool AllFolders(const std::vector<GivenPath>& paths);

// Why a path handed in is not listed: it could never be shredded in this
// mode, so it is refused when it arrives rather than after "Shred Now".
enum class IntakeRefusal { Missing, Link, NotRegularFile, Folder, File };

struct UnlistedPath {
  std::string path;
  IntakeRefusal reason;
  bool operator==(const UnlistedPath&) const = default;
};

// In folder mode only folders go to the add rules, in file mode only regular
// files; the rest is named to the user with its reason.
struct IntakePlan {
  std::vector<std::string> add;
  std::vector<UnlistedPath> unlisted;
};
IntakePlan PlanIntake(const std::vector<GivenPath>& paths, bool folder_mode);

// The heading of the one box that names what could not be listed.
inline constexpr const char* kUnlistedHeading = VELMORA_UI_TEXT("Velmora", "These could not be put on the shred list:");

// The process's working folder; "" when it cannot be read.
std::string CurrentFolder();

}  // namespace velmora
