// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A small file system of our own: an image file, formatted and loop-mounted
// in a temporary folder, so tests can look at its raw bytes afterwards.
#include <string>
#include <utility>
#include <vector>

#include "support/temp_dir.h"

namespace velmora::testing {

class LoopFs {
 public:
  // The image lives on tmpfs (/dev/shm) when there is one.
  LoopFs();
  ~LoopFs();

  // Formats (`fs_type` "ext4", "ext4-nojournal", "ext4-datajournal" (mounted
  // with data=journal), "xfs" or "btrfs") and mounts. Returns an
  // empty string on success, else why it could not (the caller skips).
  std::string Mount(std::size_t megabytes, const std::string& fs_type = "ext4");
  void Unmount();
  Bytes Raw() const;  // the image's bytes; unmount first

  // The byte ranges of the image that hold the file system's journal
  // (empty without one). Unmount first.
  std::vector<std::pair<std::size_t, std::size_t>> JournalRanges() const;

  const std::string& root() const { return mount_point_; }
  const std::string& folder() const { return folder_; }  // where the image file is
  std::string operator/(const std::string& name) const { return mount_point_ + "/" + name; }

 private:
  std::string folder_;
  std::string image_;
  std::string mount_point_;
  bool mounted_ = false;
};

}  // namespace velmora::testing
