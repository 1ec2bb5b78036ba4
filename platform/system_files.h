// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the storage classification reads of the system besides the shredded
// files themselves: the mount table, the block devices' attributes in
// /sys, and a look at a loop device's backing file. Behind one interface
// so tests can describe any disk without having one.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace velmora {

// One look at the file system a path or descriptor is on.
struct FsLook {
  long fs_type = 0;            // statfs's f_type; 0 when it could not be told
  std::uint64_t mount_id = 0;  // as in /proc/self/mountinfo; 0 when unknown
  unsigned dev_major = 0, dev_minor = 0;
};

// Which file or folder a path names: device and inode.
struct FileIdentity {
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
  bool operator==(const FileIdentity&) const = default;
};

class SystemFiles {
 public:
  virtual ~SystemFiles() = default;
  // A small text file of /proc or /sys, whole; nothing when unreadable.
  virtual std::optional<std::string> Read(const std::string& path) = 0;
  // The names in a folder of /sys (without "." and ".."); none when unreadable.
  virtual std::vector<std::string> List(const std::string& folder) = 0;
  // The file system the file at `path` is on, never through a final link.
  virtual std::optional<FsLook> Look(const std::string& path) = 0;
  // What `path` leads to, through links; nothing when it does not exist.
  virtual std::optional<FileIdentity> Identity(const std::string& path) = 0;
};

// The real system, unless a test put its own in place.
SystemFiles& CurrentSystemFiles();

// Puts `files` in place of the real system until it goes out of scope.
class ScopedSystemFiles {
 public:
  explicit ScopedSystemFiles(SystemFiles& files);
  ~ScopedSystemFiles();
  ScopedSystemFiles(const ScopedSystemFiles&) = delete;
  ScopedSystemFiles& operator=(const ScopedSystemFiles&) = delete;

 private:
  SystemFiles* saved_;
};

// One line of /proc/self/mountinfo, the fields the classification needs.
struct MountRow {
  std::uint64_t id = 0;
  unsigned dev_major = 0, dev_minor = 0;
  std::string fs_type;        // "ext4", "fuse.sshfs", "fuseblk", "nfs4"...
  std::string super_options;  // the file system's own ("rw,data=journal")
};

std::vector<MountRow> ParseMountRows(const std::string& mountinfo);

}  // namespace velmora
