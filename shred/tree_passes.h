#pragma once
// The three walks of a folder shred: overwrite the files, scrub the names,
// remove what was shredded.
#include <sys/stat.h>

#include <cstdint>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "shred/fill_pattern.h"
#include "shred/run_control.h"
#include "shred/tree_walk.h"

namespace velmora {

using InodeKey = std::pair<dev_t, ino_t>;

// Folders must be listable, searchable and writable for the walks.
void EnsureFolderMode(int fd, const struct stat& st, mode_t bits);

// A walk that gives every folder it meets the permission `bits` it needs.
class ForcingVisitor : public TreeVisitor {
 public:
  explicit ForcingVisitor(mode_t bits) : bits_(bits) {}
  void EnterFolder(int fd, const struct stat& st) override { EnsureFolderMode(fd, st, bits_); }
  bool MakeReadable(int dirfd, const std::string& name, const struct stat& st) override;

 private:
  mode_t bits_;
};

// Overwrites every singly linked regular file, without a sync of its own;
// the caller syncs the file system once afterwards.
// Once `control` asks to stop, the files not yet reached are left as they
// are (and so keep their folders).
class OverwritePass : public ForcingVisitor {
 public:
  OverwritePass(const FillPattern& pattern, RunControl& control, const std::string& item)
      : ForcingVisitor(S_IRUSR | S_IXUSR), pattern_(pattern), control_(control), item_(item) {}
  void Entry(int dirfd, const std::string& name, const struct stat& st) override;
  void LeaveFolder(int, const std::string&, const struct stat&) override {}
  const std::set<InodeKey>& overwritten() const { return overwritten_; }
  bool stopped() const { return stopped_; }

 private:
  const FillPattern& pattern_;
  RunControl& control_;
  const std::string& item_;
  std::set<InodeKey> overwritten_;
  std::uint64_t done_ = 0;
  bool stopped_ = false;
};

// What may go: anything that is not a regular file (links, FIFOs, sockets,
// device nodes), a file with other hard links (removed, not overwritten),
// and every file that was overwritten. Never a folder of another file system.
bool Removable(const struct stat& st, const std::set<InodeKey>& overwritten);

// Renames everything that will go to random names, folders after their
// contents. A folder that keeps anything keeps its name. The caller syncs
// the file system afterwards, so the folders' blocks hold only the new names
// before they are freed.
class ScrubNamesPass : public ForcingVisitor {
 public:
  explicit ScrubNamesPass(const std::set<InodeKey>& overwritten)
      : ForcingVisitor(S_IRWXU), overwritten_(overwritten) {}
  void EnterFolder(int fd, const struct stat& st) override;
  void Entry(int dirfd, const std::string& name, const struct stat& st) override;
  void LeaveFolder(int dirfd, const std::string& name, const struct stat& st) override;
  bool root_keeps_something() const { return keeps_.front(); }

 private:
  const std::set<InodeKey>& overwritten_;
  std::vector<bool> keeps_{false};  // one per open folder, the root first
};

// Removes what was shredded, and the folders that are then empty.
class RemovePass : public ForcingVisitor {
 public:
  explicit RemovePass(const std::set<InodeKey>& overwritten) : ForcingVisitor(S_IRWXU), overwritten_(overwritten) {}
  void Entry(int dirfd, const std::string& name, const struct stat& st) override;
  void LeaveFolder(int dirfd, const std::string& name, const struct stat& st) override;
  std::size_t left_behind() const { return left_behind_; }

 private:
  const std::set<InodeKey>& overwritten_;
  std::size_t left_behind_ = 0;
};

}  // namespace velmora
