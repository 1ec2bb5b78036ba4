// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Devices of the benchmark's own, as root: a loop-mounted ext4 image, and a
// write limit on a device through the kernel's block I/O controller. Both
// are undone when they go out of scope, whatever the figures did.
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "bench_files.h"

namespace velmora::bench {

// A journaled ext4 image (the default mount: ordered data, no discard) of
// `mib` MiB, loop-mounted in `folder` while this lives; only for root.
class LoopExt4 {
 public:
  explicit LoopExt4(const std::string& folder, int mib = 1024, const std::string& name = "ext4")
      : image_(folder + "/" + name + ".img"), point_(folder + "/" + name) {
    if (::geteuid() != 0 || ::mkdir(point_.c_str(), 0755) != 0) return;
    mounted_ = std::system(("truncate -s " + std::to_string(mib) + "M " + Quote(image_) + " && mkfs.ext4 -q -F " +
                            Quote(image_) + " && mount -o loop " + Quote(image_) + " " + Quote(point_))
                               .c_str()) == 0;
  }
  ~LoopExt4() {
    if (mounted_ && std::system(("umount " + Quote(point_)).c_str()) != 0)
      std::fprintf(stderr, "failed: umount %s\n", point_.c_str());
    ::unlink(image_.c_str());
    ::rmdir(point_.c_str());
  }
  LoopExt4(const LoopExt4&) = delete;
  LoopExt4& operator=(const LoopExt4&) = delete;

  bool mounted() const { return mounted_; }
  const std::string& point() const { return point_; }

 private:
  std::string image_, point_;
  bool mounted_ = false;
};

// A cap on the bytes per second written to one device by the processes
// that join it: cgroup v2's io.max where the io controller is on the
// unified hierarchy, else cgroup v1's blkio throttle (which caps what a
// process submits itself: its own syncs and sync_file_range, not the
// kernel's background writeback). `how()` says which, or why neither.
class WriteLimit {
 public:
  WriteLimit(dev_t device, std::uint64_t bytes_per_second) {
    const std::string dev = std::to_string(major(device)) + ":" + std::to_string(minor(device));
    const std::string name = "/velmora-bench-" + std::to_string(::getpid());
    if (::geteuid() != 0) {
      how_ = "needs root";
    } else if (const char* v2 = UnifiedWithIo()) {
      if (Set(v2 + name, "io.max", dev + " wbps=" + std::to_string(bytes_per_second)))
        how_ = "cgroup v2 io.max";
    } else if (Readable("/sys/fs/cgroup/blkio/blkio.throttle.write_bps_device")) {
      if (Set("/sys/fs/cgroup/blkio" + name, "blkio.throttle.write_bps_device",
              dev + " " + std::to_string(bytes_per_second)))
        how_ = "cgroup v1 blkio.throttle.write_bps_device";
    } else {
      how_ = "no block I/O controller";
    }
  }
  ~WriteLimit() {
    if (!group_.empty()) ::rmdir(group_.c_str());  // empty once its processes ended
  }
  WriteLimit(const WriteLimit&) = delete;
  WriteLimit& operator=(const WriteLimit&) = delete;

  bool set() const { return set_; }
  const std::string& how() const { return how_; }
  // Moves the calling process under the cap.
  bool Join() const { return set_ && WriteText(group_ + "/cgroup.procs", std::to_string(::getpid())); }

 private:
  static bool Readable(const std::string& path) { return ::access(path.c_str(), R_OK) == 0; }
  static bool WriteText(const std::string& path, const std::string& text) {
    std::ofstream out(path);
    out << text << std::flush;
    return static_cast<bool>(out);
  }
  // A unified hierarchy whose children may use the io controller.
  static const char* UnifiedWithIo() {
    for (const char* root : {"/sys/fs/cgroup", "/sys/fs/cgroup/unified"}) {
      std::ifstream in(std::string(root) + "/cgroup.subtree_control");
      std::stringstream words;
      words << in.rdbuf();
      if (words.str().find("io") != std::string::npos) return root;
    }
    return nullptr;
  }
  bool Set(const std::string& group, const std::string& file, const std::string& text) {
    if (::mkdir(group.c_str(), 0755) != 0) {
      how_ = "could not make " + group;
      return false;
    }
    group_ = group;
    set_ = WriteText(group + "/" + file, text);
    if (!set_) how_ = "could not write " + file;
    return set_;
  }
  std::string group_, how_;
  bool set_ = false;
};

}  // namespace velmora::bench
