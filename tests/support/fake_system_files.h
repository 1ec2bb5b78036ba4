// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A described system for the storage classification: the mount table, the
// sysfs attributes and folders, and the file systems of loop devices'
// backing files, with a count of every read.
#include <map>
#include <string>
#include <vector>

#include "platform/system_files.h"

namespace velmora::testing {

class FakeSystemFiles : public SystemFiles {
 public:
  std::map<std::string, std::string> files;                // path -> contents
  std::map<std::string, std::vector<std::string>> folders; // path -> names
  std::map<std::string, FsLook> looks;                     // backing file -> its file system
  std::map<std::string, int> reads;                        // path -> times read or listed
  std::map<std::string, FileIdentity> identities;          // path -> what it leads to

  std::optional<std::string> Read(const std::string& path) override {
    ++reads[path];
    auto it = files.find(path);
    if (it == files.end()) return std::nullopt;
    return it->second;
  }
  std::vector<std::string> List(const std::string& folder) override {
    ++reads[folder];
    auto it = folders.find(folder);
    return it == folders.end() ? std::vector<std::string>{} : it->second;
  }
  std::optional<FsLook> Look(const std::string& path) override {
    ++reads[path];
    auto it = looks.find(path);
    if (it == looks.end()) return std::nullopt;
    return it->second;
  }

  std::optional<FileIdentity> Identity(const std::string& path) override {
    auto it = identities.find(path);
    return it == identities.end() ? std::nullopt : std::optional(it->second);
  }

  // A line of the mount table: mount `id` of a `type` file system on
  // `device` ("8:1") with its own `options`.
  void Mount(std::uint64_t id, const std::string& device, const std::string& type,
             const std::string& options = "rw,relatime") {
    files["/proc/self/mountinfo"] += std::to_string(id) + " 1 " + device + " / /mnt/" + std::to_string(id) +
                                     " rw,relatime shared:1 - " + type + " /dev/x " + options + "\n";
  }
  // A whole disk at `device` ("8:0"), named `name`.
  void Disk(const std::string& device, const std::string& name, bool rotational, bool removable = false) {
    const std::string at = "/sys/dev/block/" + device;
    files[at + "/uevent"] = "MAJOR=0\nMINOR=0\nDEVNAME=" + name + "\nDEVTYPE=disk\n";
    files[at + "/queue/rotational"] = rotational ? "1\n" : "0\n";
    files[at + "/removable"] = removable ? "1\n" : "0\n";
    files["/sys/class/block/" + name + "/dev"] = device + "\n";
  }
  // Partition `device` of the disk at `disk_device`: sysfs reaches the disk
  // through "..".
  void Partition(const std::string& device, const std::string& name, const std::string& disk_device) {
    const std::string at = "/sys/dev/block/" + device;
    files[at + "/partition"] = "1\n";
    const std::string disk = "/sys/dev/block/" + disk_device;
    for (const std::string attribute : {"/uevent", "/queue/rotational", "/removable", "/wwid", "/device/wwid",
                                        "/device/serial", "/serial"}) {
      auto it = files.find(disk + attribute);
      if (it != files.end()) files[at + "/.." + attribute] = it->second;
    }
    files["/sys/class/block/" + name + "/dev"] = device + "\n";
  }
  // A device-mapper or RAID device at `device` over the named ones.
  void Stacked(const std::string& device, const std::string& name, std::vector<std::string> below) {
    folders["/sys/dev/block/" + device + "/slaves"] = std::move(below);
    files["/sys/class/block/" + name + "/dev"] = device + "\n";
  }
};

}  // namespace velmora::testing
