#include "shred/name_scrub.h"

#include <sys/statfs.h>

#include "platform/sys_calls.h"

namespace velmora {
namespace {
constexpr long kXfsMagic = 0x58465342;
constexpr long kBtrfsMagic = 0x9123683E;
}  // namespace

bool RenameScrubsNamesOn(int fd, NameScrubbing policy) {
  if (policy != NameScrubbing::WhereItHelps) return policy == NameScrubbing::Always;
  struct statfs fs;
  if (Sys().fstatfs(fd, &fs) != 0) return true;
  return fs.f_type != kXfsMagic && fs.f_type != kBtrfsMagic;
}

}  // namespace velmora
