#include "shred/tree_folders.h"

#include <atomic>
#include <vector>

#include "shred/entry_at.h"
#include "shred/entry_stat.h"
#include "shred/unique_fd.h"
#include "shred/work_pool.h"

namespace velmora {
namespace {

// Folders held open by tasks waiting in the pool, at most; past that a task
// finds its folder again from the root.
constexpr int kHeldOpen = 64;

class FolderVisits {
 public:
  FolderVisits(int root, std::uint64_t mount, const std::function<void(FolderNode&, int)>& visit)
      : root_(root), mount_(mount), visit_(visit) {}

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
      UniqueFd opened = Open(fd.get(), *child);
      if (!opened.valid()) {
        child->keeps = true;
        continue;
      }
      if (held_open_.fetch_add(1) < kHeldOpen) {
        pool_.Add([this, child, raw = opened.Release()] {
          --held_open_;
          Visit(*child, UniqueFd(raw));
        });
      } else {
        --held_open_;
        opened.Reset();
        pool_.Add([this, child] { Visit(*child, FromRoot(*child)); });
      }
    }
    visit_(node, fd.get());
  }

  // The very folder the overwrite walk met, on the tree's mount.
  UniqueFd Open(int dirfd, const FolderNode& node) {
    UniqueFd fd(OpenFolderAt(dirfd, node.name));
    EntryStat opened;
    if (!fd.valid() || !StatFd(fd.get(), opened) || opened.st.st_ino != node.st.st_ino ||
        IsOtherMount(opened, mount_))
      return UniqueFd();
    return fd;
  }

  UniqueFd FromRoot(const FolderNode& node) {
    std::vector<const FolderNode*> chain;
    for (const FolderNode* at = &node; at->parent != nullptr; at = at->parent) chain.push_back(at);
    UniqueFd fd(OpenFolderAt(root_, "."));
    for (auto it = chain.rbegin(); it != chain.rend() && fd.valid(); ++it) fd = Open(fd.get(), **it);
    return fd;
  }

  const int root_;
  const std::uint64_t mount_;
  const std::function<void(FolderNode&, int)>& visit_;
  WorkPool pool_;
  std::atomic<int> held_open_{0};
};

}  // namespace

void ForEachFolder(int root, std::uint64_t mount, TreeModel& model, unsigned threads,
                   const std::function<void(FolderNode&, int fd)>& visit) {
  FolderVisits(root, mount, visit).Run(model.root(), threads);
}

}  // namespace velmora
