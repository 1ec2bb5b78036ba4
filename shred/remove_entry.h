#pragma once
// Removing one directory entry so that its name does not stay behind.
#include <string>

namespace velmora {

// Renames the entry to a random name of the same length in the same folder,
// makes that durable, then removes it (as a folder when is_folder). When the
// rename is refused the original name is removed instead. When the removal
// fails the entry stays, under its new name if the rename went through.
bool RemoveEntryScrubbed(int dirfd, const std::string& name, bool is_folder);

// Renames the entry to a random name of the same length in the same folder.
// Returns the name it now has: the original one when the rename was refused.
std::string ScrubName(int dirfd, const std::string& name);

// A random name of the given length from [A-Za-z0-9], never "." or "..".
std::string RandomName(std::size_t length);

}  // namespace velmora
