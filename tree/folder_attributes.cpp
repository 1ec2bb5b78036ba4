// SPDX-License-Identifier: GPL-3.0-or-later
#include "tree/folder_attributes.h"

#include <sys/xattr.h>

#include <cerrno>
#include <cstring>

#include "engine/wipe_file.h"
#include "fs/journal_scrub.h"
#include "platform/sys_calls.h"

namespace velmora {
namespace {

// The names of the attributes of `fd`, NUL-separated; empty when it has none
// or they cannot be listed.
std::vector<char> ListNames(int fd) {
  std::vector<char> names(256);
  for (int attempt = 0; attempt < 4; ++attempt) {
    const ssize_t size = Sys().flistxattr(fd, names.data(), names.size());
    if (size >= 0) {
      names.resize(static_cast<std::size_t>(size));
      return names;
    }
    if (errno != ERANGE) break;
    const ssize_t wanted = Sys().flistxattr(fd, nullptr, 0);
    if (wanted <= 0) break;
    names.resize(static_cast<std::size_t>(wanted));
  }
  return {};
}

}  // namespace

SavedAttributes ZeroFolderAttributes(int fd) {
  SavedAttributes saved;
  const std::vector<char> names = ListNames(fd);
  for (const char* name = names.data(); name < names.data() + names.size(); name += std::strlen(name) + 1) {
    const ssize_t length = Sys().fgetxattr(fd, name, nullptr, 0);
    if (length < 0) continue;
    std::string value(static_cast<std::size_t>(length), '\0');
    const ssize_t read = Sys().fgetxattr(fd, name, value.data(), value.size());
    if (read < 0) continue;  // changed meanwhile: not ours to put back
    value.resize(static_cast<std::size_t>(read));
    saved.emplace_back(name, std::move(value));
  }
  if (saved.empty()) return saved;
  if (!ZeroAttributeValues(fd).empty()) {
    // The zeros reach the disk before the folder, and its attribute block,
    // is freed (the journal checkpoint needs the privilege; silent without).
    BestEffort(RetryOnEintr([fd] { return Sys().fsync(fd); }));
    BestEffort(CheckpointJournal(fd, /*zero_out=*/false));
  }
  return saved;
}

void PutAttributesBack(int fd, const SavedAttributes& saved) {
  // A folder that stays has them as it had them; what cannot be written back
  // (another's attribute, a full disk) is all we can say was changed.
  for (const auto& [name, value] : saved)
    BestEffort(Sys().fsetxattr(fd, name.c_str(), value.data(), value.size(), 0));
}

}  // namespace velmora
