// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the storage beneath a shredded item can promise. Overwriting a file
// in place destroys its old bytes only where the file system writes in place
// onto a device that does the same; elsewhere the disk may keep old copies,
// and the window says so per item. Decided once per mount and once per
// device in a run, never per file.
#include <sys/types.h>

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/system_files.h"

namespace velmora {

// Weakest first: where several apply (Btrfs on an SSD), the strongest is
// the one told, and the one a user cannot silence.
enum class StorageRisk {
  None,         // written in place, on a spinning disk or in memory
  Flash,        // a non-rotational or removable device remaps its writes
  DataJournal,  // ext4 with data=journal: old data may stay in the journal
  CopyOnWrite,  // Btrfs, ZFS, bcachefs, NILFS2, F2FS: new blocks, old ones kept
  Overlay,      // the file may come from a lower layer that is never touched
  UserSpace,    // FUSE (but fuseblk): a program decides where the bytes go
  Network,      // NFS, SMB...: the overwrite happens on storage we cannot see
};

struct StorageClass {
  StorageRisk risk = StorageRisk::None;
  // For Flash: one entry per flash drive beneath, its identity (serial or
  // WWN as sysfs gives it), or "" for a drive that has none.
  std::vector<std::string> drives;
  bool operator==(const StorageClass&) const = default;
};

// Classifies the storage of open files and folders, reading the mount table
// once and each device's attributes once for as long as it lives (one run).
class StorageSurvey {
 public:
  explicit StorageSurvey(SystemFiles& files = CurrentSystemFiles()) : files_(files) {}

  // The open file or folder `fd`, on mount `mount_id` of device `dev` as
  // its statx said. The file system's type is asked once per mount.
  // `journal_zeroed`: its ext4 journal was checkpointed and zeroed after
  // the overwrite, so a data journal keeps no old copy.
  StorageClass Classify(int fd, std::uint64_t mount_id, dev_t dev, bool journal_zeroed = false);

  // The same, looking at `fd` first.
  StorageClass Classify(int fd);

 private:
  StorageClass ClassifyMount(const FsLook& look, int depth, bool journal_zeroed = false);
  StorageClass ClassifyDevice(unsigned major, unsigned minor, int depth);
  StorageClass ClassifyDisk(const std::string& device);
  const MountRow* FindMount(std::uint64_t id);

  SystemFiles& files_;
  std::optional<std::vector<MountRow>> mounts_;
  // By mount and whether its journal was zeroed (a mount met as an item's
  // and as a loop file's is told apart).
  std::map<std::pair<std::uint64_t, bool>, StorageClass> by_mount_;
  std::map<std::pair<unsigned, unsigned>, StorageClass> by_device_;
};

// The open file or folder `fd` on its own (a mount point, a folder), with
// a survey of its own.
StorageClass ClassifyStorage(int fd);

}  // namespace velmora
