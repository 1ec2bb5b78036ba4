// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/mount_points.h"

#include <fstream>
#include <sstream>

namespace velmora {
namespace {

// mountinfo writes blanks, tabs, newlines and backslashes as \ooo.
std::string Unescape(const std::string& field) {
  std::string out;
  for (std::size_t i = 0; i < field.size(); ++i) {
    if (field[i] == '\\' && i + 3 < field.size()) {
      const std::string digits = field.substr(i + 1, 3);
      if (digits.size() == 3 && digits.find_first_not_of("01234567") == std::string::npos) {
        out += static_cast<char>(std::stoi(digits, nullptr, 8));
        i += 3;
        continue;
      }
    }
    out += field[i];
  }
  return out;
}

}  // namespace

std::vector<std::string> ParseMountInfo(const std::string& text) {
  std::vector<std::string> points;
  std::istringstream lines(text);
  std::string line;
  while (std::getline(lines, line)) {
    std::istringstream fields(line);
    std::string id, parent, devno, root, mount_point;
    if (fields >> id >> parent >> devno >> root >> mount_point) points.push_back(Unescape(mount_point));
  }
  return points;
}

std::vector<std::string> ReadMountPoints() {
  std::ifstream in("/proc/self/mountinfo");
  std::stringstream text;
  text << in.rdbuf();
  return ParseMountInfo(text.str());
}

std::string MountPointWithId(const std::string& mountinfo, std::uint64_t mount_id) {
  std::istringstream lines(mountinfo);
  std::string line;
  while (std::getline(lines, line)) {
    std::istringstream fields(line);
    std::uint64_t id = 0;
    std::string parent, devno, root, mount_point;
    if (fields >> id >> parent >> devno >> root >> mount_point && id == mount_id) return Unescape(mount_point);
  }
  return {};
}

std::string MountPointOf(std::uint64_t mount_id) {
  std::ifstream in("/proc/self/mountinfo");
  std::stringstream text;
  text << in.rdbuf();
  return MountPointWithId(text.str(), mount_id);
}

}  // namespace velmora
