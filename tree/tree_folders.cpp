// SPDX-License-Identifier: GPL-3.0-or-later
#include "tree/tree_folders.h"

#include <memory>

#include "fs/entry_at.h"
#include "tree/tree_open.h"

namespace velmora {
namespace {

using EntryVisit = std::function<void(FolderNode&, int, std::size_t, std::size_t)>;

class FolderVisits {
 public:
  FolderVisits(int root, std::uint64_t mount, const EntryVisit& visit)
      : root_(root), mount_(mount), visit_(visit), hand_off_(pool_, root, mount) {}

  bool Run(FolderNode& top, unsigned threads) {
    return pool_.Run(threads, [this, &top] { Visit(top, UniqueFd(OpenFolderAt(root_, "."))); });
  }

 private:
  void Visit(FolderNode& node, UniqueFd fd) {
    if (!fd.valid()) {
      node.keeps = true;
      return;
    }
    for (FolderNode* child : node.children) {
      UniqueFd opened = OpenNode(fd.get(), *child, mount_);
      if (!opened.valid()) {
        child->keeps = true;
        continue;
      }
      hand_off_.Add(child, std::move(opened),
                    [this](FolderNode* next, UniqueFd next_fd) { Visit(*next, std::move(next_fd)); });
    }
    // The chunks share the folder's descriptor; the last one done closes it.
    auto shared = std::make_shared<UniqueFd>(std::move(fd));
    ShareOut(pool_, node.entries.size(),
             [this, &node, shared](std::size_t begin, std::size_t end) { visit_(node, shared->get(), begin, end); });
  }

  const int root_;
  const std::uint64_t mount_;
  const EntryVisit& visit_;
  WorkPool pool_;
  FolderHandOff hand_off_;
};

}  // namespace

bool ForEachFolder(int root, std::uint64_t mount, TreeModel& model, unsigned threads,
                   const std::function<void(FolderNode&, int fd, std::size_t begin, std::size_t end)>& visit) {
  return FolderVisits(root, mount, visit).Run(model.root(), threads);
}

}  // namespace velmora
