// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A folder's extended attributes (its ACLs among them) go with the folder:
// their values are zeroed right before it is removed, once everything in it
// is gone, and never earlier, so a folder that stays keeps them untouched.
// A removal that fails after all gets them back as they were.
#include <string>
#include <utility>
#include <vector>

namespace velmora {

// Every attribute of a folder with its value, as it was before the zeroing.
using SavedAttributes = std::vector<std::pair<std::string, std::string>>;

// Keeps a copy of the attributes of the open folder `fd`, zeroes their values
// (removing those we may not rewrite) and forces that to the disk. Returns
// the copy: empty for a folder without attributes, which costs one call.
SavedAttributes ZeroFolderAttributes(int fd);

// Puts back every attribute of `saved` on the open folder `fd`.
void PutAttributesBack(int fd, const SavedAttributes& saved);

}  // namespace velmora
