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
  // `read_only`: the second place cannot be written at all, which a test
  // showing a system folder needs (its temporary folder is removed whole).
  std::string Bind(const std::string& source, const std::string& target, bool read_only = false) {
    if (::mount(source.c_str(), target.c_str(), nullptr, MS_BIND, nullptr) != 0)
      return "cannot bind-mount here (" + std::string(std::strerror(errno)) + ")";
    if (read_only && ::mount(nullptr, target.c_str(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) != 0) {
      const std::string why = std::strerror(errno);
      ::umount2(target.c_str(), MNT_DETACH);
      return "cannot make a bind mount read-only (" + why + ")";
    }
    targets_.push_back(target);
    return {};
  }

 private:
  std::vector<std::string> targets_;
};

}  // namespace velmora::testing
