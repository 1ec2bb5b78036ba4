// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/system_files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>

namespace velmora {
namespace {

class RealSystemFiles : public SystemFiles {
 public:
  std::optional<std::string> Read(const std::string& path) override {
    std::ifstream in(path);
    if (!in) return std::nullopt;
    std::ostringstream text;
    text << in.rdbuf();
    if (in.bad()) return std::nullopt;
    return text.str();
  }

  std::vector<std::string> List(const std::string& folder) override {
    std::vector<std::string> names;
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) return names;
    while (const dirent* entry = ::readdir(dir)) {
      const std::string name = entry->d_name;
      if (name != "." && name != "..") names.push_back(name);
    }
    ::closedir(dir);
    return names;
  }

  std::optional<FsLook> Look(const std::string& path) override {
    // O_PATH: nothing is opened for reading, not even a FIFO's other end.
    const int fd = ::open(path.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    FsLook look;
    struct statfs fs;
    struct statx sx;
    const bool ok = ::fstatfs(fd, &fs) == 0 &&
                    ::statx(fd, "", AT_EMPTY_PATH | AT_SYMLINK_NOFOLLOW, STATX_MNT_ID, &sx) == 0;
    ::close(fd);
    if (!ok) return std::nullopt;
    look.fs_type = static_cast<long>(fs.f_type);
    look.mount_id = (sx.stx_mask & STATX_MNT_ID) ? sx.stx_mnt_id : 0;
    look.dev_major = sx.stx_dev_major;
    look.dev_minor = sx.stx_dev_minor;
    return look;
  }

  std::optional<FileIdentity> Identity(const std::string& path) override {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return std::nullopt;
    return FileIdentity{st.st_dev, st.st_ino};
  }
};

SystemFiles*& Current() {
  static RealSystemFiles real;
  static SystemFiles* current = &real;
  return current;
}

}  // namespace

SystemFiles& CurrentSystemFiles() { return *Current(); }

ScopedSystemFiles::ScopedSystemFiles(SystemFiles& files) : saved_(Current()) { Current() = &files; }
ScopedSystemFiles::~ScopedSystemFiles() { Current() = saved_; }

std::vector<MountRow> ParseMountRows(const std::string& mountinfo) {
  // "36 35 98:0 /mnt1 /mnt2 rw,noatime master:1 - ext3 /dev/root rw,errors=continue":
  // optional fields up to the "-", then type, source and the super options.
  std::vector<MountRow> rows;
  std::istringstream lines(mountinfo);
  std::string line;
  while (std::getline(lines, line)) {
    std::istringstream fields(line);
    MountRow row;
    std::string devno, field;
    if (!(fields >> row.id >> field >> devno)) continue;
    if (std::sscanf(devno.c_str(), "%u:%u", &row.dev_major, &row.dev_minor) != 2) continue;
    while (fields >> field && field != "-") {
    }
    std::string source;
    if (!(fields >> row.fs_type >> source >> row.super_options)) continue;
    rows.push_back(std::move(row));
  }
  return rows;
}

}  // namespace velmora
