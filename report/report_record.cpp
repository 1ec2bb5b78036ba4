// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/report_record.h"

#include <algorithm>
#include <string_view>

#include "fs/path_encoding.h"
#include "fs/record_lines.h"
#include "fs/remove_entry.h"

namespace velmora {
namespace {

constexpr std::string_view kTemporaryPrefix = ".note-";
constexpr std::size_t kTemporaryRandomLength = 10;

// "note DEV INO CSEC CNSEC PATH", "temp DEV INO PATH" (written before birth
// times were kept) or "temp DEV INO BSEC BNSEC PATH".
bool ParseLine(std::string_view line, ReportIdentity& id) {
  std::vector<std::string_view> w;
  if (!SplitWords(line, w, 6) || (w.size() != 4 && w.size() != 6)) return false;
  unsigned long long device = 0, inode = 0;
  long long sec = 0, nsec = 0;
  if (!ReadNumber(w[1], device) || !ReadNumber(w[2], inode)) return false;
  if (w.size() == 6 && (!ReadNumber(w[3], sec) || !ReadNumber(w[4], nsec) || nsec < 0 || nsec >= 1000000000))
    return false;
  if (w[0] == "note") {
    if (w.size() != 6) return false;
    id.in_place = true;
    id.ctime_sec = sec;
    id.ctime_nsec = nsec;
  } else if (w[0] == "temp") {
    id.has_birth = w.size() == 6;
    id.birth_sec = sec;
    id.birth_nsec = nsec;
  } else {
    return false;
  }
  id.device = static_cast<dev_t>(device);
  id.inode = static_cast<ino_t>(inode);
  return DecodePath(w.back(), id.path);
}

}  // namespace

std::string FormatReportRecord(const std::vector<ReportIdentity>& files) {
  std::string out;
  const std::size_t skip = files.size() > kMaxReportRecordEntries ? files.size() - kMaxReportRecordEntries : 0;
  for (std::size_t i = skip; i < files.size(); ++i) {
    const ReportIdentity& id = files[i];
    out += id.in_place ? "note " : "temp ";
    out += std::to_string(static_cast<unsigned long long>(id.device)) + " " +
           std::to_string(static_cast<unsigned long long>(id.inode)) + " ";
    if (id.in_place) out += std::to_string(id.ctime_sec) + " " + std::to_string(id.ctime_nsec) + " ";
    if (!id.in_place && id.has_birth) out += std::to_string(id.birth_sec) + " " + std::to_string(id.birth_nsec) + " ";
    out += EncodePath(id.path) + "\n";
  }
  return out;
}

std::vector<ReportIdentity> ParseReportRecord(const std::string& record) {
  std::vector<ReportIdentity> files;
  std::vector<std::string_view> lines;
  if (!RecordLines(record, lines)) return files;
  for (std::string_view line : lines) {
    ReportIdentity id;
    if (ParseLine(line, id)) files.push_back(std::move(id));
  }
  return files;
}

bool IsTemporaryReportName(const std::string& name) {
  if (name.size() != kTemporaryPrefix.size() + kTemporaryRandomLength ||
      name.compare(0, kTemporaryPrefix.size(), kTemporaryPrefix) != 0)
    return false;
  return std::all_of(name.begin() + static_cast<std::ptrdiff_t>(kTemporaryPrefix.size()), name.end(), [](char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
  });
}

std::string NewTemporaryReportName() {
  return std::string(kTemporaryPrefix) + RandomName(kTemporaryRandomLength);
}

}  // namespace velmora
