#include "shred/free_space_caveat.h"

namespace velmora {

// The hook for the storage classification: no reason until it is connected.
std::string FreeSpaceOldCopiesReason(int /*fd*/) { return {}; }

}  // namespace velmora
