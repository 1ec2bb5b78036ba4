// SPDX-License-Identifier: GPL-3.0-or-later
#include "fs/remove_entry.h"

#include <fcntl.h>

#include <cerrno>
#include <random>

#include "fs/entry_at.h"
#include "fs/entry_stat.h"
#include "platform/sys_calls.h"

namespace velmora {

std::string RandomName(std::size_t length) {
  static const char kAlphabet[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  // One engine per thread: the folder walk scrubs names on several at once.
  thread_local std::mt19937_64 engine{std::random_device{}()};
  std::uniform_int_distribution<std::size_t> pick(0, sizeof kAlphabet - 2);
  std::string name(length, 'x');
  for (char& c : name) c = kAlphabet[pick(engine)];
  return name;
}

std::string ScrubName(int dirfd, const std::string& name) {
  // A handful of tries covers collisions even for one-letter names.
  for (int attempt = 0; attempt < 16; ++attempt) {
    std::string scrubbed = RandomName(name.size());
    if (Sys().rename_noreplace(dirfd, name.c_str(), dirfd, scrubbed.c_str()) == 0) return scrubbed;
    if (errno != EEXIST) break;  // refused for good
  }
  return name;
}

bool HoldsInode(int dirfd, const std::string& name, const struct stat& expected) {
  EntryStat now;
  return StatAt(dirfd, name, now) && SameInode(now.st, expected) &&
         (now.st.st_mode & S_IFMT) == (expected.st_mode & S_IFMT);
}

bool RemoveExpected(int dirfd, const std::string& name, const struct stat& expected, bool is_folder,
                    bool scrub_name) {
  const int flags = is_folder ? AT_REMOVEDIR : 0;
  if (!HoldsInode(dirfd, name, expected)) return false;
  std::string current = scrub_name ? ScrubName(dirfd, name) : name;
  if (current != name) {
    BestEffort(Sys().fsync(dirfd));
    // Something may have been renamed onto our random name meanwhile.
    if (!HoldsInode(dirfd, current, expected)) return false;
  }
  if (Sys().unlinkat(dirfd, current.c_str(), flags) == 0) return true;
  // The entry stays: under its own name again where it can be, else under
  // the random one; the caller reports it kept either way.
  if (current != name) BestEffort(Sys().rename_noreplace(dirfd, current.c_str(), dirfd, name.c_str()));
  return false;
}

}  // namespace velmora
