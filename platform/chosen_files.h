// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the file chooser hands back, as the add rules take it. No Qt.
#include <string>
#include <utility>
#include <vector>

namespace velmora {

// Files chosen together come as their folder and their names in it, in the
// chooser's order. A file chosen alone (or a path handed in from outside)
// has no folder: its one name is its full path, and it is listed and shown
// by that path. No names: the chooser was cancelled.
struct ChosenFiles {
  ChosenFiles() = default;
  // One file alone, by its full path ("" for nothing chosen).
  ChosenFiles(std::string path) {  // NOLINT: a path is one file chosen alone
    if (!path.empty()) names.push_back(std::move(path));
  }
  ChosenFiles(const char* path) : ChosenFiles(std::string(path)) {}  // NOLINT: as above
  ChosenFiles(std::string in_folder, std::vector<std::string> chosen_names)
      : folder(std::move(in_folder)), names(std::move(chosen_names)) {}

  bool Alone() const { return folder.empty(); }
  bool operator==(const ChosenFiles&) const = default;

  std::string folder;
  std::vector<std::string> names;
};

}  // namespace velmora
