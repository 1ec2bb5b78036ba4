// SPDX-License-Identifier: GPL-3.0-or-later
#include "shred/tree_folders.h"


#include "shred/entry_at.h"
#include "shred/tree_open.h"

namespace velmora {
namespace {

class FolderVisits {
 public:
  FolderVisits(int root, std::uint64_t mount, const std::function<void(FolderNode&, int)>& visit)
      : root_(root), mount_(mount), visit_(visit), hand_off_(pool_, root, mount) {}

  void Run(FolderNode& top, unsigned threads) {
    pool_.Run(threads, [this, &top] { Visit(top, UniqueFd(OpenFolderAt(root_, "."))); });
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
    visit_(node, fd.get());
  }

  const int root_;
  const std::uint64_t mount_;
  const std::function<void(FolderNode&, int)>& visit_;
  WorkPool pool_;
  FolderHandOff hand_off_;
};

}  // namespace

void ForEachFolder(int root, std::uint64_t mount, TreeModel& model, unsigned threads,
                   const std::function<void(FolderNode&, int fd)>& visit) {
  FolderVisits(root, mount, visit).Run(model.root(), threads);
}

}  // namespace velmora
