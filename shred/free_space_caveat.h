#pragma once
// Where a disk may keep old copies of deleted data whatever is written over
// its free blocks: copy-on-write, overlay, network or flash storage. The
// storage classification answers this; until it is connected here, no
// reason is known.
#include <string>

namespace velmora {

// Why the file system of the open folder `fd` may keep old copies after a
// free-space wipe ("copy-on-write", "flash storage"...), or "" for none known.
std::string FreeSpaceOldCopiesReason(int fd);

}  // namespace velmora
