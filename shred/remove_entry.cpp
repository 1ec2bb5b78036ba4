#include "shred/remove_entry.h"

#include <fcntl.h>

#include <cerrno>
#include <random>

#include "platform/sys_calls.h"

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

bool RemoveEntryScrubbed(int dirfd, const std::string& name, bool is_folder) {
  const int flags = is_folder ? AT_REMOVEDIR : 0;
  std::string current = ScrubName(dirfd, name);
  if (current != name) Sys().fsync(dirfd);
  return Sys().unlinkat(dirfd, current.c_str(), flags) == 0;
}

}  // namespace velmora
