// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Paths as text alone: joined and compared without asking the disk.
#include <string>

namespace velmora {

// `folder` and `name` with one "/" between them ("" + "x" gives "/x").
std::string JoinPath(const std::string& folder, const std::string& name);

// The path with doubled slashes, "." steps and a trailing "/" taken out
// ("/opt//velmora/./velmora/" gives "/opt/velmora/velmora"); "/" stays "/",
// a relative path stays relative. A ".." is kept: the step before it may be
// a link.
std::string WithoutEmptySteps(const std::string& path);

// Splits a path into its folder and its last component ("a/b" -> "a", "b";
// "b" -> ".", "b"). The last component is empty for "/" or a trailing "/".
void SplitPath(const std::string& path, std::string& folder, std::string& name);

}  // namespace velmora
