#include "shred/tree_shred.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <set>
#include <string_view>
#include <utility>

#include "shred/force_mode.h"
#include "shred/remove_entry.h"
#include "shred/tree_walk.h"
#include "shred/wipe_file.h"

namespace velmora {
namespace {

using InodeKey = std::pair<dev_t, ino_t>;

InodeKey KeyOf(const struct stat& st) { return {st.st_dev, st.st_ino}; }

// Folders must be listable and searchable for the walk to see their files.
void EnsureFolderMode(int fd, const struct stat& st, mode_t bits) {
  if ((st.st_mode & bits) != bits) ::fchmod(fd, (st.st_mode & 07777) | bits);
}

bool IsEmptyFolder(int dirfd, const std::string& name) {
  int fd = ::openat(dirfd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return false;
  DIR* dir = ::fdopendir(fd);
  if (dir == nullptr) {
    ::close(fd);
    return false;
  }
  bool empty = true;
  while (struct dirent* entry = ::readdir(dir)) {
    std::string_view n = entry->d_name;
    if (n != "." && n != "..") {
      empty = false;
      break;
    }
  }
  ::closedir(dir);
  return empty;
}

// First pass: overwrite every singly linked regular file, without a sync of
// its own; the caller syncs the file system once afterwards.
class OverwritePass : public TreeVisitor {
 public:
  explicit OverwritePass(const FillPattern& pattern) : pattern_(pattern) {}

  void EnterFolder(int fd, const struct stat& st) override { EnsureFolderMode(fd, st, S_IRUSR | S_IXUSR); }
  bool MakeReadable(int dirfd, const std::string& name, const struct stat& st) override {
    return AddModeBits(dirfd, name, st, S_IRUSR | S_IXUSR);
  }
  void LeaveFolder(int, const std::string&, const struct stat&) override {}

  void Entry(int dirfd, const std::string& name, const struct stat& st) override {
    if (!S_ISREG(st.st_mode) || st.st_nlink != 1) return;
    WipePolicy policy;
    policy.force_read_only = true;
    policy.create_missing = false;
    UniqueFd fd;
    struct stat opened;
    if (OpenSeenForWrite(dirfd, name, &st, policy, fd, opened) != WipeOutcome::Shredded) return;
    if (opened.st_nlink != 1) return;  // a link appeared since we looked
    if (OverwriteOpenFile(fd.get(), opened, pattern_) && fd.Close()) overwritten_.insert(KeyOf(opened));
  }

  const std::set<InodeKey>& overwritten() const { return overwritten_; }

 private:
  const FillPattern& pattern_;
  std::set<InodeKey> overwritten_;
};

// Second pass: remove what was overwritten, links of every kind, and the
// folders that are then empty. A file that was not overwritten stays, and so
// do the folders above it.
class RemovePass : public TreeVisitor {
 public:
  explicit RemovePass(const std::set<InodeKey>& overwritten) : overwritten_(overwritten) {}

  void EnterFolder(int fd, const struct stat& st) override {
    EnsureFolderMode(fd, st, S_IRWXU);
  }
  bool MakeReadable(int dirfd, const std::string& name, const struct stat& st) override {
    return AddModeBits(dirfd, name, st, S_IRWXU);
  }
  void Entry(int dirfd, const std::string& name, const struct stat& st) override {
    bool removable = !S_ISREG(st.st_mode) || st.st_nlink > 1 || overwritten_.count(KeyOf(st)) > 0;
    if (S_ISDIR(st.st_mode)) removable = false;  // a mount point of another file system
    Remove(dirfd, name, /*is_folder=*/false, removable);
  }
  void LeaveFolder(int dirfd, const std::string& name, const struct stat&) override {
    // A folder that keeps something keeps its name too: it is not scrubbed
    // into gibberish for nothing.
    if (Remove(dirfd, name, /*is_folder=*/true, IsEmptyFolder(dirfd, name))) return;
    // The folder stays: make the removals inside it durable on their own.
    UniqueFd fd(::openat(dirfd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (fd.valid()) Sys().fsync(fd.get());
  }

  std::size_t left_behind() const { return left_behind_; }

 private:
  // Removals are made durable per folder, not per entry: the removal of a
  // folder is synced through its parent, and a folder that stays is synced
  // when it is left.
  bool Remove(int dirfd, const std::string& name, bool is_folder, bool removable) {
    if (removable && RemoveEntryScrubbed(dirfd, name, is_folder, /*sync_between=*/false)) return true;
    ++left_behind_;
    return false;
  }

  const std::set<InodeKey>& overwritten_;
  std::size_t left_behind_ = 0;
};

}  // namespace

TreeShredResult ShredTree(const std::string& path, const FillPattern& pattern) {
  TreeShredResult result;
  std::string parent_path, name;
  SplitPath(path, parent_path, name);
  if (name.empty() || name == "." || name == "..") return result;

  UniqueFd parent(::open(parent_path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!parent.valid()) return result;
  struct stat st;
  // A listed folder that is itself a link is left alone.
  if (::fstatat(parent.get(), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISDIR(st.st_mode))
    return result;
  UniqueFd root(::openat(parent.get(), name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
  if (!root.valid() && errno == EACCES && AddModeBits(parent.get(), name, st, S_IRWXU))
    root = UniqueFd(::openat(parent.get(), name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
  struct stat opened;
  if (!root.valid() || ::fstat(root.get(), &opened) != 0 || opened.st_dev != st.st_dev ||
      opened.st_ino != st.st_ino)
    return result;
  EnsureFolderMode(root.get(), opened, S_IRWXU);

  OverwritePass overwrite(pattern);
  WalkTree(root.get(), overwrite);
  result.files_overwritten = overwrite.overwritten().size();
  // One sync of the file system puts every overwrite on the device before
  // any name goes; if it fails, nothing is removed.
  if (Sys().syncfs(root.get()) != 0) {
    result.left_behind = 1;
    return result;
  }

  RemovePass remove(overwrite.overwritten());
  WalkTree(root.get(), remove);
  result.left_behind = remove.left_behind();
  if (remove.left_behind() > 0) Sys().fsync(root.get());
  root.Reset();
  result.folder_removed = remove.left_behind() == 0 &&
                          RemoveEntryScrubbed(parent.get(), name, /*is_folder=*/true, false);
  if (result.folder_removed) Sys().fsync(parent.get());
  return result;
}

}  // namespace velmora
