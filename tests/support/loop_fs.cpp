// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/loop_fs.h"

#include <fcntl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <regex>
#include <stdexcept>
#include <vector>

namespace velmora::testing {

LoopFs::LoopFs() {
  struct stat st;
  std::string base = ::stat("/dev/shm", &st) == 0 && S_ISDIR(st.st_mode) ? "/dev/shm" : "/tmp";
  std::string pattern = base + "/velmora-fs-XXXXXX";
  std::vector<char> buffer(pattern.begin(), pattern.end());
  buffer.push_back('\0');
  if (::mkdtemp(buffer.data()) == nullptr) throw std::runtime_error("mkdtemp");
  folder_ = buffer.data();
  image_ = folder_ + "/fs.img";
  mount_point_ = folder_ + "/mnt";
  ::mkdir(mount_point_.c_str(), 0755);
}

LoopFs::~LoopFs() {
  Unmount();
  [[maybe_unused]] int rc = std::system(("rm -rf '" + folder_ + "'").c_str());
}

std::string LoopFs::Mount(std::size_t megabytes, const std::string& fs_type) {
  if (::geteuid() != 0) return "mounting a loop file system needs root";
  int fd = ::open(image_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  if (fd < 0 || ::ftruncate(fd, static_cast<off_t>(megabytes) << 20) != 0) return "cannot make the image";
  ::close(fd);
  std::string mkfs;
  if (fs_type == "ext4" || fs_type == "ext4-nojournal" || fs_type == "ext4-datajournal") {
    std::string options = fs_type == "ext4-nojournal" ? "-O ^has_journal " : "";
    // No discard: freed blocks must keep whatever was last written to them.
    // Inodes of 256 bytes, as on any disk of today's size, have room for
    // short extended attributes inside them.
    mkfs = "mkfs.ext4 -q -F -I 256 -E nodiscard " + options;
  } else if (fs_type == "xfs") {
    mkfs = "mkfs.xfs -q -f -K ";
  } else if (fs_type == "btrfs") {
    mkfs = "mkfs.btrfs -q -f -K ";
  } else {
    return "no such file system type here: " + fs_type;
  }
  if (std::system((mkfs + "'" + image_ + "' >/dev/null 2>&1").c_str()) != 0)
    return "mkfs for " + fs_type + " is missing or failed";
  const std::string options = fs_type == "ext4-datajournal" ? "loop,nodiscard,data=journal" : "loop,nodiscard";
  std::string mount = "mount -o " + options + " '" + image_ + "' '" + mount_point_ + "' >/dev/null 2>&1";
  if (std::system(mount.c_str()) != 0) return "loop mounting is not allowed here";
  mounted_ = true;
  return {};
}

void LoopFs::Unmount() {
  if (!mounted_) return;
  ::sync();
  [[maybe_unused]] int rc = std::system(("umount '" + mount_point_ + "'").c_str());
  mounted_ = false;
}

namespace {
std::string Output(const std::string& command) {
  std::string out;
  if (FILE* pipe = ::popen(command.c_str(), "r")) {
    char buffer[4096];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
    ::pclose(pipe);
  }
  return out;
}
}  // namespace

std::vector<std::pair<std::size_t, std::size_t>> LoopFs::JournalRanges() const {
  std::vector<std::pair<std::size_t, std::size_t>> ranges;
  std::string header = Output("dumpe2fs -h '" + image_ + "' 2>/dev/null");
  std::smatch m;
  if (!std::regex_search(header, m, std::regex("Block size:\\s+(\\d+)"))) return ranges;
  const std::size_t block = std::stoul(m[1]);
  if (header.find("has_journal") == std::string::npos) return ranges;
  // debugfs lists the journal inode's extents as "(0-4095):16385-20480".
  std::string stat = Output("debugfs -R 'stat <8>' '" + image_ + "' 2>/dev/null");
  std::regex extent("\\(\\d+(?:-\\d+)?\\):(\\d+)(?:-(\\d+))?");
  for (auto it = std::sregex_iterator(stat.begin(), stat.end(), extent); it != std::sregex_iterator(); ++it) {
    std::size_t first = std::stoul((*it)[1]);
    std::size_t last = (*it)[2].matched ? std::stoul((*it)[2]) : first;
    ranges.push_back({first * block, (last - first + 1) * block});
  }
  return ranges;
}

Bytes LoopFs::Raw() const { return ReadFile(image_); }

}  // namespace velmora::testing
