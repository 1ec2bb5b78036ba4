// SPDX-License-Identifier: GPL-3.0-or-later
#include "tree/tree_remove.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <atomic>
#include <cerrno>
#include <functional>
#include <mutex>
#include <optional>
#include <vector>

#include "engine/wipe_file.h"
#include "fs/entry_at.h"
#include "fs/entry_stat.h"
#include "fs/remove_entry.h"
#include "fs/unique_fd.h"
#include "platform/sys_calls.h"
#include "tree/folder_attributes.h"
#include "tree/tree_folders.h"
#include "tree/tree_open.h"

namespace velmora {
namespace {

// Whether `name` in `dirfd` still holds the inode `inode`, of the kind
// expected, on the tree's mount.
bool StillHolds(int dirfd, const std::string& name, ino_t inode, bool folder, std::uint64_t mount) {
  EntryStat now;
  return StatAt(dirfd, name, now) && now.st.st_ino == inode && S_ISDIR(now.st.st_mode) == folder &&
         !IsOtherMount(now, mount);
}

// A folder on the way down a children-first walk: its node, its descriptor
// (given back while a folder far below is visited) and its next subfolder.
struct Frame {
  FolderNode* node;
  UniqueFd fd;
  std::size_t next = 0;
};

// Enters the next subfolder of the folder on top of `stack`; one that cannot
// be found again is marked as staying and not entered.
void EnterNextChild(std::vector<Frame>& stack, std::uint64_t mount) {
  Frame& frame = stack.back();
  FolderNode* child = frame.node->children[frame.next++];
  UniqueFd fd = OpenNode(frame.fd.get(), *child, mount);
  if (!fd.valid()) {
    child->keeps = true;
    return;
  }
  // Past the limit a folder gives its parent's descriptor back while it is
  // visited and finds the parent again through "..".
  if (stack.size() >= kFoldersHeldOpen) frame.fd.Reset();
  stack.push_back({child, std::move(fd)});
}

// The descriptor of the parent of the folder on top of `stack` (-1 for the
// root), opened again if it was given back; nullopt when the way back up
// leads anywhere but to the folder we came from.
std::optional<int> ParentOfTop(std::vector<Frame>& stack) {
  if (stack.size() < 2) return -1;
  Frame& up = stack[stack.size() - 2];
  if (!up.fd.valid()) {
    UniqueFd back(OpenFolderAt(stack.back().fd.get(), ".."));
    EntryStat now;
    if (!back.valid() || !StatFd(back.get(), now) || now.st.st_ino != up.node->st.st_ino) return std::nullopt;
    up.fd = std::move(back);
  }
  return up.fd.get();
}

// Visits every folder below and including the root, each after its
// subfolders, with its descriptor and its parent's (-1 for the root). A
// folder that cannot be found again is marked as staying and not visited.
void ChildrenFirst(int root, std::uint64_t mount, FolderNode& top,
                   const std::function<void(FolderNode&, int fd, int parent)>& visit) {
  std::vector<Frame> stack;
  stack.push_back({&top, UniqueFd(OpenFolderAt(root, "."))});
  if (!stack.back().fd.valid()) {
    top.keeps = true;
    return;
  }
  while (!stack.empty()) {
    Frame& frame = stack.back();
    if (frame.next < frame.node->children.size()) {
      EnterNextChild(stack, mount);
      continue;
    }
    const std::optional<int> parent = ParentOfTop(stack);
    if (!parent) {
      for (Frame& f : stack) f.node->keeps = true;
      return;
    }
    visit(*frame.node, frame.fd.get(), *parent);
    stack.pop_back();
  }
}

// Covers what a file grew by since the overwrite walk and forces that to the
// disk: only the very inode the walk met, on the tree's mount.
bool CoverLateGrowth(int dirfd, const TreeEntry& entry, const FillPattern& pattern, std::uint64_t mount) {
  UniqueFd fd(RetryOnEintr([&] {
    return Sys().openat(dirfd, entry.name.c_str(), O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY, 0);
  }));
  EntryStat opened;
  if (!fd.valid() || !StatFd(fd.get(), opened) || opened.st.st_ino != entry.inode || !S_ISREG(opened.st.st_mode) ||
      IsOtherMount(opened, mount))
    return false;
  const off_t fs_block = FsBlockSize(opened.st);
  FillBytes bytes(pattern);
  return CoverGrowth(fd.get(), entry.covered, fs_block, bytes) == WipeOutcome::Shredded &&
         RetryOnEintr([&] { return Sys().fdatasync(fd.get()); }) == 0 && fd.Close();
}

// Gives an entry that stays its listed name back, if the name still holds
// the very inode we renamed.
void NameBack(int dirfd, std::string& name, const std::string& original, ino_t inode, bool folder,
              std::uint64_t mount) {
  if (name != original && StillHolds(dirfd, name, inode, folder, mount) &&
      Sys().rename_noreplace(dirfd, name.c_str(), dirfd, original.c_str()) == 0)
    name = original;
}

enum class FileRemoval { AlreadyGone, Removed, Stays };

// Removes one file of the tree. The name is looked at right before it goes:
// only the very inode the overwrite walk met is removed, and only once all
// it holds is covered.
FileRemoval RemoveTreeFile(int fd, const TreeEntry& entry, std::uint64_t mount, const FillPattern& pattern) {
  EntryStat now;
  if (!StatAt(fd, entry.name, now) && now.error == ENOENT) return FileRemoval::AlreadyGone;
  const auto holds_it = [&] {
    return now.st.st_ino == entry.inode && !S_ISDIR(now.st.st_mode) && !IsOtherMount(now, mount);
  };
  bool may_go = Removable(entry) && holds_it();
  if (may_go && entry.overwritten && now.st.st_size > entry.covered)
    may_go = CoverLateGrowth(fd, entry, pattern, mount) && StatAt(fd, entry.name, now) && holds_it();
  if (may_go && Sys().unlinkat(fd, entry.name.c_str(), 0) == 0) return FileRemoval::Removed;
  return FileRemoval::Stays;
}

// What removing one chunk of a folder's files came to.
struct ChunkRemoval {
  bool removed_inside = false;
  bool keeps = false;
};

// Removes the files [begin, end) of `node`, open as `fd`. Each that stays is
// added to `stayed` at once and gets its listed name back; `handled` hears
// of each once it is dealt with, whatever came of it.
ChunkRemoval RemoveChunk(FolderNode& node, int fd, std::size_t begin, std::size_t end, std::uint64_t mount,
                         const FillPattern& pattern, const std::function<void()>& handled,
                         std::atomic<std::size_t>& stayed) {
  ChunkRemoval chunk;
  for (std::size_t i = begin; i < end; ++i) {
    struct Tell {
      const std::function<void()>& handled;
      ~Tell() {
        if (handled) handled();
      }
    } tell{handled};
    TreeEntry& entry = node.entries[i];
    errno = 0;  // a swap fails no call: no error is told then
    const FileRemoval removal = RemoveTreeFile(fd, entry, mount, pattern);
    entry.removed = removal != FileRemoval::Stays;
    if (removal == FileRemoval::Removed) chunk.removed_inside = true;
    if (removal != FileRemoval::Stays) continue;
    if (Removable(entry) && Overwritten(entry.outcome)) {
      entry.outcome = WipeOutcome::RemoveFailed;
      entry.error = errno;
    }
    ++stayed;
    chunk.keeps = true;
    NameBack(fd, entry.name, entry.original, entry.inode, false, mount);
  }
  return chunk;
}

// Every entry and folder below `root` still there under a random name gets
// its listed name back.
void GiveNamesBack(int root, std::uint64_t mount, TreeModel& model) {
  FolderNode* top = &model.root();
  // An entry's own name may be another's random one until that one goes
  // back to its own (a file's, a folder's): a few rounds undo such chains.
  for (int round = 0; round < 4; ++round) {
    bool renamed = false, waiting = false;
    const auto back = [&](int dirfd, std::string& name, const std::string& original, ino_t inode, bool folder) {
      if (name == original || !StillHolds(dirfd, name, inode, folder, mount)) return;
      if (Sys().rename_noreplace(dirfd, name.c_str(), dirfd, original.c_str()) == 0) {
        name = original;
        renamed = true;
      } else {
        waiting = true;
      }
    };
    ChildrenFirst(root, mount, *top, [&](FolderNode& node, int fd, int parent) {
      for (TreeEntry& entry : node.entries) back(fd, entry.name, entry.original, entry.inode, false);
      if (&node != top) back(parent, node.name, node.original, node.st.st_ino, true);
    });
    if (!renamed || !waiting) return;
  }
}

}  // namespace

void MarkWhatStays(TreeModel& model) {
  model.ChildrenFirst([](FolderNode& node) {
    for (const TreeEntry& entry : node.entries) node.keeps = node.keeps || !Removable(entry);
    if (node.keeps && node.parent != nullptr) node.parent->keeps = true;
  });
}

bool ScrubFileNames(int root, std::uint64_t mount, TreeModel& model, unsigned threads) {
  return ForEachFolder(root, mount, model, threads,
                       [mount](FolderNode& node, int fd, std::size_t begin, std::size_t end) {
                         for (std::size_t i = begin; i < end; ++i) {
                           TreeEntry& entry = node.entries[i];
                           if (Removable(entry) && StillHolds(fd, entry.name, entry.inode, false, mount))
                             entry.name = ScrubName(fd, entry.name);
                         }
                       });
}

void ScrubFolderNames(int root, std::uint64_t mount, TreeModel& model) {
  // Each in its parent; few enough to take on one thread.
  ChildrenFirst(root, mount, model.root(), [mount](FolderNode& node, int fd, int) {
    for (FolderNode* child : node.children) {
      if (!child->keeps && StillHolds(fd, child->name, child->st.st_ino, true, mount))
        child->name = ScrubName(fd, child->name);
    }
  });
}

std::size_t RemoveFiles(int root, std::uint64_t mount, TreeModel& model, unsigned threads,
                        const FillPattern& pattern, const std::function<void()>& handled) {
  std::atomic<std::size_t> stayed{0};
  // Chunks of one folder run at once: what they learn of the folder is
  // gathered per chunk and set under this lock.
  std::mutex node_mutex;
  const auto remove_chunk = [&](FolderNode& node, int fd, std::size_t begin, std::size_t end) {
    const ChunkRemoval chunk = RemoveChunk(node, fd, begin, end, mount, pattern, handled, stayed);
    if (!chunk.removed_inside && !chunk.keeps) return;
    std::lock_guard<std::mutex> lock(node_mutex);
    node.removed_inside = node.removed_inside || chunk.removed_inside;
    node.keeps = node.keeps || chunk.keeps;
  };
  const bool all_visited = ForEachFolder(root, mount, model, threads, remove_chunk);
  if (!all_visited) {
    // The pool failed part way: what it did not reach stays, and so does
    // the listed folder (which gives every name back).
    ++stayed;
    model.root().keeps = true;
  }
  return stayed;
}

std::size_t RemoveFolders(int root, std::uint64_t mount, TreeModel& model, const std::function<void()>& handled) {
  std::size_t stayed = 0;
  FolderNode* top = &model.root();
  ChildrenFirst(root, mount, *top, [&](FolderNode& node, int fd, int parent) {
    for (const FolderNode* child : node.children) node.keeps = node.keeps || child->keeps;
    if (&node == top) return;  // the caller removes the listed folder itself
    if (handled) handled();
    if (!node.keeps && StillHolds(parent, node.name, node.st.st_ino, true, mount)) {
      const SavedAttributes attributes = ZeroFolderAttributes(fd);
      if (Sys().unlinkat(parent, node.name.c_str(), AT_REMOVEDIR) == 0) return;
      PutAttributesBack(fd, attributes);
    }
    // The folder stays, as it was: its own name, its own mode, its own
    // attributes, and the removals inside it made durable on their own.
    ++stayed;
    node.keeps = true;
    if (node.removed_inside) BestEffort(Sys().fsync(fd));
    NameBack(parent, node.name, node.original, node.st.st_ino, true, mount);
    if (node.mode_changed) BestEffort(Sys().fchmod(fd, node.original_mode));
  });
  // What stays may have found its own name taken by another entry's random
  // one, gone or named back since.
  if (top->keeps) GiveNamesBack(root, mount, model);
  return stayed;
}

void PutModesBack(int root, std::uint64_t mount, TreeModel& model) {
  ChildrenFirst(root, mount, model.root(), [](FolderNode& node, int fd, int) {
    if (node.mode_changed) BestEffort(Sys().fchmod(fd, node.original_mode));  // as RemoveFolders does
  });
}

}  // namespace velmora
