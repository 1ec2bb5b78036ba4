#include "shred/remove_entry.h"

#include <fcntl.h>

#include <cerrno>
#include <random>

#include "platform/sys_calls.h"
#include "shred/entry_at.h"

namespace velmora {

std::string RandomName(std::size_t length) {
  static const char kAlphabet[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  static std::mt19937_64 engine{std::random_device{}()};
  std::uniform_int_distribution<std::size_t> pick(0, sizeof kAlphabet - 2);
  std::string name(length, 'x');
  for (char& c : name) c = kAlphabet[pick(engine)];
  return name;
}

std::string ScrubName(int dirfd, const std::string& name) {
  // A handful of tries covers collisions even for one-letter names.
  for (int attempt = 0; attempt < 16; ++attempt) {
    std::string scrubbed = RandomName(name.size());
    if (Sys().renameat(dirfd, name.c_str(), dirfd, scrubbed.c_str()) == 0) return scrubbed;
    if (errno != EEXIST) break;  // refused for good
  }
  return name;
}

bool HoldsInode(int dirfd, const std::string& name, const struct stat& expected) {
  struct stat now;
  return ::fstatat(dirfd, name.c_str(), &now, AT_SYMLINK_NOFOLLOW) == 0 && SameInode(now, expected) &&
         (now.st_mode & S_IFMT) == (expected.st_mode & S_IFMT);
}

bool RemoveExpected(int dirfd, const std::string& name, const struct stat& expected, bool is_folder) {
  const int flags = is_folder ? AT_REMOVEDIR : 0;
  if (!HoldsInode(dirfd, name, expected)) return false;
  std::string current = ScrubName(dirfd, name);
  if (current != name) {
    Sys().fsync(dirfd);
    // Something may have been renamed onto our random name meanwhile.
    if (!HoldsInode(dirfd, current, expected)) return false;
  }
  if (Sys().unlinkat(dirfd, current.c_str(), flags) == 0) return true;
  if (current != name) Sys().renameat(dirfd, current.c_str(), dirfd, name.c_str());
  return false;
}

}  // namespace velmora
