// SPDX-License-Identifier: GPL-3.0-or-later
#include "tree/tree_open.h"

#include <vector>

#include "fs/entry_at.h"
#include "fs/entry_stat.h"
#include "platform/sys_calls.h"

namespace velmora {

UniqueFd OpenNode(int dirfd, const FolderNode& node, std::uint64_t mount) {
  UniqueFd fd(OpenFolderAt(dirfd, node.name));
  EntryStat opened;
  if (!fd.valid() || !StatFd(fd.get(), opened) || opened.st.st_ino != node.st.st_ino || IsOtherMount(opened, mount))
    return UniqueFd();
  return fd;
}

UniqueFd OpenNodeFromRoot(int root, const FolderNode& node, std::uint64_t mount) {
  std::vector<const FolderNode*> chain;
  for (const FolderNode* at = &node; at->parent != nullptr; at = at->parent) chain.push_back(at);
  UniqueFd fd(OpenFolderAt(root, "."));
  for (auto it = chain.rbegin(); it != chain.rend() && fd.valid(); ++it) fd = OpenNode(fd.get(), **it, mount);
  return fd;
}

void GrantOwnerRights(FolderNode& node, int fd, mode_t before, mode_t now) {
  if ((before & S_IRWXU) == S_IRWXU) return;
  node.mode_changed = true;
  node.original_mode = before & 07777;
  BestEffort(Sys().fchmod(fd, (now & 07777) | S_IRWXU));
}

}  // namespace velmora
