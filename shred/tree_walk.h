#pragma once
// A depth-first walk of one folder's tree through descriptors: every step is
// relative to an open parent, links are never followed, other file systems
// are not entered, and depth is not limited by PATH_MAX or by the number of
// descriptors a process may hold.
#include <sys/stat.h>

#include <string>

namespace velmora {

class TreeVisitor {
 public:
  virtual ~TreeVisitor() = default;
  // A folder of the tree, just opened; `st` describes it.
  virtual void EnterFolder(int fd, const struct stat& st) = 0;
  // An entry that is not a folder of the tree's file system.
  virtual void Entry(int dirfd, const std::string& name, const struct stat& st) = 0;
  // A folder's contents are done; it is `name` in `dirfd`.
  virtual void LeaveFolder(int dirfd, const std::string& name, const struct stat& st) = 0;
  // A folder that could not be opened for reading: a chance to fix its mode.
  virtual bool MakeReadable(int dirfd, const std::string& name, const struct stat& st) = 0;
};

// Walks below the open folder `root` (not reported itself). False when the
// walk had to stop early because the tree changed under it.
bool WalkTree(int root, TreeVisitor& visitor);

}  // namespace velmora
