#pragma once
// A depth-first walk of one folder's tree through descriptors: every step is
// relative to an open parent, links are never followed, other mounts are not
// entered, and depth is not limited by PATH_MAX or by the number of
// descriptors a process may hold.
#include <sys/stat.h>

#include <cstdint>
#include <string>

namespace velmora {

class TreeVisitor {
 public:
  virtual ~TreeVisitor() = default;
  // A folder of the tree, just opened as `name` in its parent; `st`
  // describes it.
  virtual void EnterFolder(int fd, const std::string& name, const struct stat& st) = 0;
  // An entry that is not a folder.
  virtual void Entry(int dirfd, const std::string& name, const struct stat& st) = 0;
  // A folder's contents are done; it is `name` in `dirfd`.
  virtual void LeaveFolder(int dirfd, const std::string& name, const struct stat& st) = 0;
  // An entry the walk leaves alone, and so must everything above it: another
  // mount (a folder or a file mounted here, from any file system), or a
  // folder that could not be opened.
  virtual void Kept(int dirfd, const std::string& name) = 0;
  // A folder that could not be opened for reading: a chance to fix its mode.
  virtual bool MakeReadable(int dirfd, const std::string& name, const struct stat& st) = 0;
};

// Walks below the open folder `root` (not reported itself), which is on the
// mount `root_mount`. False when the walk had to stop early because the tree
// changed under it.
bool WalkTree(int root, std::uint64_t root_mount, TreeVisitor& visitor);

}  // namespace velmora
