#include "shred/tree_walk.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

#include "shred/entry_at.h"
#include "shred/entry_stat.h"
#include "shred/unique_fd.h"

namespace velmora {
namespace {

// Folders deeper than this give their parent's descriptor back while they
// are walked and find the parent again through "..".
constexpr std::size_t kOpenFolders = 64;

struct Frame {
  UniqueFd fd;
  struct stat st;
  std::string name;                // in the parent
  std::vector<std::string> names;  // read at once, so the descriptor may close
  std::size_t next = 0;
};

std::vector<std::string> ReadNames(int fd) {
  std::vector<std::string> names;
  int own = OpenFolderAt(fd, ".");
  if (own < 0) return names;
  DIR* dir = ::fdopendir(own);
  if (dir == nullptr) {
    ::close(own);
    return names;
  }
  while (struct dirent* entry = ::readdir(dir)) {
    std::string name = entry->d_name;
    if (name != "." && name != "..") names.push_back(std::move(name));
  }
  ::closedir(dir);
  return names;
}

// Opens `name` in `dirfd` as a folder, but only the very one `st` describes,
// and only while it is still on the tree's mount.
UniqueFd OpenExpectedFolder(int dirfd, const std::string& name, const struct stat& st,
                            std::uint64_t mount, TreeVisitor& visitor) {
  UniqueFd fd(OpenFolderAt(dirfd, name));
  if (!fd.valid() && errno == EACCES && visitor.MakeReadable(dirfd, name, st))
    fd = UniqueFd(OpenFolderAt(dirfd, name));
  EntryStat now;
  if (!fd.valid() || !StatFd(fd.get(), now) || !SameInode(now.st, st) || IsOtherMount(now, mount))
    return UniqueFd();
  return fd;
}

}  // namespace

bool WalkTree(int root, std::uint64_t root_mount, TreeVisitor& visitor) {
  std::vector<Frame> stack;
  {
    Frame top;
    top.fd = UniqueFd(OpenFolderAt(root, "."));
    if (!top.fd.valid() || ::fstat(top.fd.get(), &top.st) != 0) return false;
    top.names = ReadNames(top.fd.get());
    stack.push_back(std::move(top));
  }
  const dev_t device = stack.front().st.st_dev;

  while (!stack.empty()) {
    Frame& top = stack.back();
    if (top.next == top.names.size()) {
      if (stack.size() == 1) break;
      Frame& parent = stack[stack.size() - 2];
      if (!parent.fd.valid()) {
        // Climb back through "..", and only to the folder we came from.
        UniqueFd up(OpenFolderAt(top.fd.get(), ".."));
        struct stat now;
        if (!up.valid() || ::fstat(up.get(), &now) != 0 || !SameInode(now, parent.st)) return false;
        parent.fd = std::move(up);
      }
      std::string name = std::move(top.name);
      struct stat st = top.st;
      stack.pop_back();
      visitor.LeaveFolder(stack.back().fd.get(), name, st);
      continue;
    }

    const std::string& name = top.names[top.next++];
    EntryStat entry;
    if (!StatAt(top.fd.get(), name, entry)) {
      if (errno == ENOENT) continue;  // gone meanwhile
      visitor.Kept(top.fd.get(), name);
      continue;
    }
    const struct stat& st = entry.st;
    if (IsOtherMount(entry, root_mount) || st.st_dev != device) {
      visitor.Kept(top.fd.get(), name);
      continue;
    }
    if (!S_ISDIR(st.st_mode)) {
      visitor.Entry(top.fd.get(), name, st);
      continue;
    }
    UniqueFd child = OpenExpectedFolder(top.fd.get(), name, st, root_mount, visitor);
    if (!child.valid()) {
      visitor.Kept(top.fd.get(), name);
      continue;
    }
    visitor.EnterFolder(child.get(), name, st);
    Frame frame;
    frame.fd = std::move(child);
    frame.st = st;
    frame.name = name;
    frame.names = ReadNames(frame.fd.get());
    if (stack.size() >= kOpenFolders) top.fd.Reset();
    stack.push_back(std::move(frame));
  }
  return true;
}

}  // namespace velmora
