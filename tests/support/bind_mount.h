// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A bind mount for the length of a test: a folder or a file of the same file
// system shown at a second place, the case a plain device comparison misses.
#include <sys/mount.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

namespace velmora::testing {

class BindMounts {
 public:
  ~BindMounts() {
    for (auto it = targets_.rbegin(); it != targets_.rend(); ++it) ::umount2(it->c_str(), MNT_DETACH);
  }
  // Empty on success, else why it could not (the caller skips).
  std::string Bind(const std::string& source, const std::string& target) {
    if (::mount(source.c_str(), target.c_str(), nullptr, MS_BIND, nullptr) != 0)
      return "cannot bind-mount here (" + std::string(std::strerror(errno)) + ")";
    targets_.push_back(target);
    return {};
  }

 private:
  std::vector<std::string> targets_;
};

}  // namespace velmora::testing
