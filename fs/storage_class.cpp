// SPDX-License-Identifier: GPL-3.0-or-later
#include "fs/storage_class.h"

#include <sys/statfs.h>
#include <sys/sysmacros.h>

#include <cstdio>
#include <initializer_list>

#include "fs/entry_stat.h"
#include "platform/sys_calls.h"

namespace velmora {
namespace {

// statfs's f_type of the file systems we tell apart (linux/magic.h and the
// file systems' own sources).
constexpr std::uint32_t kExt4 = 0xEF53, kTmpfs = 0x01021994, kRamfs = 0x858458F6;
constexpr std::uint32_t kBtrfs = 0x9123683E, kZfs = 0x2FC12FC1, kBcachefs = 0xCA451A4E, kNilfs = 0x3434,
                        kF2fs = 0xF2F52010;
constexpr std::uint32_t kOverlay = 0x794C7630, kFuse = 0x65735546;
constexpr std::uint32_t kNfs = 0x6969, kSmb = 0x517B, kCifs = 0xFF534D42, kSmb2 = 0xFE534D42, kCoda = 0x73757245,
                        kAfs = 0x5346414F, kKafs = 0x6B414653, kCeph = 0x00C36400, k9p = 0x01021997;

// A loop device over a file on a loop device... stops somewhere.
constexpr int kMaxDepth = 8;

bool OneOf(std::uint32_t magic, std::initializer_list<std::uint32_t> magics) {
  for (std::uint32_t m : magics)
    if (magic == m) return true;
  return false;
}

bool NamedOneOf(const std::string& name, std::initializer_list<const char*> names) {
  for (const char* n : names)
    if (name == n) return true;
  return false;
}

// What the file system alone decides, by its statfs type and, where that is
// not enough (FUSE) or not known, its name in the mount table. Nothing when
// it writes in place: then the device beneath decides.
std::optional<StorageRisk> FileSystemRisk(std::uint32_t magic, const std::string& name) {
  // virtiofs speaks FUSE to the host, which keeps the files on its own disk.
  if (name == "virtiofs") return StorageRisk::Network;
  // fuseblk (NTFS, exFAT through a FUSE driver) writes in place on a local
  // disk of its own: that disk decides.
  if (name == "fuseblk") return std::nullopt;
  if (magic == kFuse || name == "fuse" || name.starts_with("fuse.")) return StorageRisk::UserSpace;
  if (OneOf(magic, {kNfs, kSmb, kCifs, kSmb2, kCoda, kAfs, kKafs, kCeph, k9p}) ||
      NamedOneOf(name, {"nfs", "nfs4", "cifs", "smb3", "smbfs", "coda", "afs", "ceph", "9p", "lustre"}))
    return StorageRisk::Network;
  if (magic == kOverlay || name == "overlay") return StorageRisk::Overlay;
  if (OneOf(magic, {kBtrfs, kZfs, kBcachefs, kNilfs, kF2fs}) ||
      NamedOneOf(name, {"btrfs", "zfs", "bcachefs", "nilfs2", "f2fs"}))
    return StorageRisk::CopyOnWrite;
  // Memory: nothing of it outlives the machine's power.
  if (OneOf(magic, {kTmpfs, kRamfs}) || NamedOneOf(name, {"tmpfs", "ramfs"})) return StorageRisk::None;
  return std::nullopt;
}

bool HasOption(const std::string& options, const std::string& wanted) {
  std::size_t start = 0;
  while (start <= options.size()) {
    std::size_t end = options.find(',', start);
    if (end == std::string::npos) end = options.size();
    if (options.compare(start, end - start, wanted) == 0) return true;
    start = end + 1;
  }
  return false;
}

// A sysfs attribute's first line, without blanks around it.
std::string Trimmed(const std::optional<std::string>& text) {
  if (!text) return {};
  std::string line = text->substr(0, text->find('\n'));
  const std::size_t first = line.find_first_not_of(" \t");
  if (first == std::string::npos) return {};
  return line.substr(first, line.find_last_not_of(" \t") - first + 1);
}

std::string DeviceFolder(unsigned major, unsigned minor) {
  return "/sys/dev/block/" + std::to_string(major) + ":" + std::to_string(minor);
}

// The stronger of two answers; flash drives beneath both are all named.
void Combine(StorageClass& into, const StorageClass& other) {
  if (other.risk > into.risk) {
    into = other;
  } else if (other.risk == into.risk && other.risk == StorageRisk::Flash) {
    into.drives.insert(into.drives.end(), other.drives.begin(), other.drives.end());
  }
}

}  // namespace

StorageClass StorageSurvey::Classify(int fd, std::uint64_t mount_id, dev_t dev, bool journal_zeroed) {
  if (mount_id != 0) {
    auto known = by_mount_.find({mount_id, journal_zeroed});
    if (known != by_mount_.end()) return known->second;
  }
  FsLook look;
  struct statfs fs;
  if (Sys().fstatfs(fd, &fs) == 0) look.fs_type = static_cast<long>(fs.f_type);
  look.mount_id = mount_id;
  look.dev_major = major(dev);
  look.dev_minor = minor(dev);
  return ClassifyMount(look, 0, journal_zeroed);
}

StorageClass StorageSurvey::Classify(int fd) {
  EntryStat st;
  if (!StatFd(fd, st)) return {};
  return Classify(fd, st.mount_id, st.st.st_dev);
}

const MountRow* StorageSurvey::FindMount(std::uint64_t id) {
  if (!mounts_) mounts_ = ParseMountRows(files_.Read("/proc/self/mountinfo").value_or(""));
  for (const MountRow& row : *mounts_)
    if (row.id == id) return &row;
  return nullptr;
}

StorageClass StorageSurvey::ClassifyMount(const FsLook& look, int depth, bool journal_zeroed) {
  if (look.mount_id != 0) {
    auto known = by_mount_.find({look.mount_id, journal_zeroed});
    if (known != by_mount_.end()) return known->second;
  }
  const MountRow* row = look.mount_id != 0 ? FindMount(look.mount_id) : nullptr;
  const std::string name = row ? row->fs_type : std::string();
  const auto magic = static_cast<std::uint32_t>(look.fs_type);
  StorageClass result;
  if (std::optional<StorageRisk> risk = FileSystemRisk(magic, name)) {
    result.risk = *risk;
  } else {
    // The device a mount is on, as the mount table says (a file system on
    // several devices shows one); the look's own device otherwise.
    const unsigned major = row ? row->dev_major : look.dev_major;
    const unsigned minor = row ? row->dev_minor : look.dev_minor;
    // The journal's copies are the file system's own; they outrank flash.
    // Zeroed after the run (which needs privileges), it keeps none.
    if (!journal_zeroed && (magic == kExt4 || name == "ext4" || name == "ext3") && row &&
        HasOption(row->super_options, "data=journal"))
      result.risk = StorageRisk::DataJournal;
    // Major 0 is no block device (a pseudo or memory file system).
    else if (major != 0)
      result = ClassifyDevice(major, minor, depth);
  }
  if (look.mount_id != 0) by_mount_[{look.mount_id, journal_zeroed}] = result;
  return result;
}

StorageClass StorageSurvey::ClassifyDevice(unsigned major, unsigned minor, int depth) {
  const auto key = std::make_pair(major, minor);
  auto known = by_device_.find(key);
  if (known != by_device_.end()) return known->second;
  StorageClass result;
  if (depth < kMaxDepth) {
    const std::string device = DeviceFolder(major, minor);
    const std::string backing = Trimmed(files_.Read(device + "/loop/backing_file"));
    const std::vector<std::string> below = files_.List(device + "/slaves");
    if (!backing.empty()) {
      // A loop device reports itself as non-rotational over a file in
      // memory: what counts is the file system its file is on. A file
      // deleted since cannot be looked at; nothing is claimed then.
      if (std::optional<FsLook> look = files_.Look(backing)) result = ClassifyMount(*look, depth + 1);
    } else if (!below.empty()) {
      // Device-mapper, RAID: every device beneath it.
      for (const std::string& name : below) {
        unsigned sub_major = 0, sub_minor = 0;
        const std::string dev = Trimmed(files_.Read("/sys/class/block/" + name + "/dev"));
        if (std::sscanf(dev.c_str(), "%u:%u", &sub_major, &sub_minor) == 2)
          Combine(result, ClassifyDevice(sub_major, sub_minor, depth + 1));
      }
    } else {
      result = ClassifyDisk(device);
    }
  }
  by_device_[key] = result;
  return result;
}

StorageClass StorageSurvey::ClassifyDisk(const std::string& device) {
  // A partition's queue and identity are its disk's.
  const std::string disk = files_.Read(device + "/partition") ? device + "/.." : device;
  const std::string uevent = files_.Read(disk + "/uevent").value_or("");
  const std::size_t at = uevent.find("DEVNAME=");
  const std::string name = at == std::string::npos ? "" : Trimmed(uevent.substr(at + 8));
  // RAM disks call themselves non-rotational; they are memory, not flash.
  if (name.starts_with("zram") || name.starts_with("ram")) return {};
  // Unreadable attributes claim nothing: a false alarm teaches users to
  // ignore the box.
  const bool flash = Trimmed(files_.Read(disk + "/queue/rotational")) == "0" ||
                     Trimmed(files_.Read(disk + "/removable")) == "1";
  if (!flash) return {};
  // A USB stick's serial number is its USB device's, four levels above its
  // SCSI device (interface, host, target, LUN).
  std::string identity;
  for (const char* attribute : {"/wwid", "/device/wwid", "/device/serial", "/serial", "/device/../../../../serial"}) {
    identity = Trimmed(files_.Read(disk + attribute));
    if (!identity.empty()) break;
  }
  return {StorageRisk::Flash, {identity}};
}

StorageClass ClassifyStorage(int fd) {
  StorageSurvey survey;
  return survey.Classify(fd);
}

}  // namespace velmora
