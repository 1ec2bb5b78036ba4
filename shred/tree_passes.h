#pragma once
// The three walks of a folder shred: overwrite the files, scrub the names,
// remove what was shredded. What one walk learns that the next must trust
// (what was overwritten, which name now holds which inode, which folder had
// its mode changed) is kept in one ledger.
#include <sys/stat.h>

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "shred/fill_pattern.h"
#include "shred/run_control.h"
#include "shred/tree_walk.h"

namespace velmora {

using InodeKey = std::pair<dev_t, ino_t>;

inline InodeKey KeyOf(const struct stat& st) { return {st.st_dev, st.st_ino}; }

struct TreeLedger {
  // Files whose every byte was overwritten.
  std::set<InodeKey> overwritten;
  // Folders whose mode we widened, with the mode they had.
  std::map<InodeKey, mode_t> original_modes;
  // Every name the scrub walk left for removal, under the name it has now
  // (folder, name), with the inode it held and the name it had.
  struct Scrubbed {
    InodeKey entry;
    std::string original;
  };
  std::map<std::pair<InodeKey, std::string>, Scrubbed> to_remove;
};

// Folders must be listable, searchable and writable for the walks.
void EnsureFolderMode(int fd, const struct stat& st, mode_t bits, TreeLedger& ledger);

// A walk that gives every folder it meets the permission `bits` it needs,
// and knows which folder it is in.
class ForcingVisitor : public TreeVisitor {
 public:
  ForcingVisitor(mode_t bits, TreeLedger& ledger, const struct stat& root)
      : ledger_(ledger), bits_(bits), folders_{KeyOf(root)} {}
  void EnterFolder(int fd, const std::string& name, const struct stat& st) override;
  void LeaveFolder(int dirfd, const std::string& name, const struct stat& st) override;
  bool MakeReadable(int dirfd, const std::string& name, const struct stat& st) override;

 protected:
  // The folder whose entries are being visited.
  const InodeKey& Folder() const { return folders_.back(); }
  TreeLedger& ledger_;

 private:
  mode_t bits_;
  std::vector<InodeKey> folders_;
};

// Overwrites every regular file that is the user's alone: singly linked, or
// with every one of its names inside the tree. No sync of its own; the
// caller syncs the file system once afterwards. Once `control` asks to
// stop, the files not yet reached are left as they are (and so keep their
// folders).
class OverwritePass : public ForcingVisitor {
 public:
  OverwritePass(const FillPattern& pattern, RunControl& control, const std::string& item, TreeLedger& ledger,
                const struct stat& root, std::uint64_t mount)
      : ForcingVisitor(S_IRUSR | S_IXUSR, ledger, root), pattern_(pattern), control_(control), item_(item),
        mount_(mount) {}
  void EnterFolder(int fd, const std::string& name, const struct stat& st) override;
  void Entry(int dirfd, const std::string& name, const struct stat& st) override;
  void LeaveFolder(int dirfd, const std::string& name, const struct stat& st) override;
  void Kept(int, const std::string&) override {}
  // After the walk: overwrites the multiply linked files whose names were
  // all found in the tree below `root`.
  void OverwriteLinkedInside(int root);
  bool stopped() const { return stopped_; }

 private:
  struct Linked {
    nlink_t names_seen = 0;
    nlink_t links = 0;
    std::vector<std::string> path;  // one of its names, from the root
    struct stat st {};
  };
  bool Overwrite(int dirfd, const std::string& name, const struct stat& st, nlink_t links);

  const FillPattern& pattern_;
  RunControl& control_;
  const std::string& item_;
  std::uint64_t mount_;
  std::vector<std::string> path_;  // of the folder being visited, from the root
  std::map<InodeKey, Linked> linked_;
  std::uint64_t done_ = 0;
  bool stopped_ = false;
};

// What may go: anything that is not a regular file (links, FIFOs, sockets,
// device nodes), a file with other hard links (removed, not overwritten),
// and every file that was overwritten. Never a folder: folders go only once
// empty.
bool Removable(const struct stat& st, const std::set<InodeKey>& overwritten);

// Renames everything that will go to random names, folders after their
// contents, and records in the ledger which inode each name now holds. A
// folder that keeps anything keeps its name. The caller syncs the file
// system afterwards, so the folders' blocks hold only the new names before
// they are freed.
class ScrubNamesPass : public ForcingVisitor {
 public:
  ScrubNamesPass(TreeLedger& ledger, const struct stat& root) : ForcingVisitor(S_IRWXU, ledger, root) {}
  void EnterFolder(int fd, const std::string& name, const struct stat& st) override;
  void Entry(int dirfd, const std::string& name, const struct stat& st) override;
  void LeaveFolder(int dirfd, const std::string& name, const struct stat& st) override;
  void Kept(int, const std::string&) override { keeps_.back() = true; }
  bool root_keeps_something() const { return keeps_.front(); }

 private:
  void Scrub(int dirfd, const std::string& name, const struct stat& st, const InodeKey& folder);
  std::vector<bool> keeps_{false};  // one per open folder, the root first
};

// Removes each name the ledger holds for removal, only while it still holds
// the very inode recorded, and the folders that are then empty. What has to
// stay gets its own name and its folder's mode back.
class RemovePass : public ForcingVisitor {
 public:
  RemovePass(TreeLedger& ledger, const struct stat& root) : ForcingVisitor(S_IRWXU, ledger, root) {}
  void Entry(int dirfd, const std::string& name, const struct stat& st) override;
  void LeaveFolder(int dirfd, const std::string& name, const struct stat& st) override;
  void Kept(int, const std::string&) override { ++left_behind_; }
  std::size_t left_behind() const { return left_behind_; }

 private:
  // The ledger's record for `name` in the current folder when it still
  // holds the inode `st` describes.
  const TreeLedger::Scrubbed* Recorded(const InodeKey& folder, const std::string& name, const struct stat& st) const;
  std::size_t left_behind_ = 0;
};

}  // namespace velmora
