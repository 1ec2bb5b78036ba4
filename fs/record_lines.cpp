// SPDX-License-Identifier: GPL-3.0-or-later
#include "fs/record_lines.h"

#include <algorithm>

namespace velmora {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

}  // namespace

bool RecordLines(std::string_view record, std::vector<std::string_view>& lines) {
  lines.clear();
  if (record.size() > kMaxRecordBytes) return false;
  while (!record.empty()) {
    const std::size_t end = std::min(record.find('\n'), record.size());
    const std::string_view line = record.substr(0, end);
    record.remove_prefix(std::min(end + 1, record.size()));
    if (std::all_of(line.begin(), line.end(), IsBlank)) continue;
    if (lines.size() == kMaxRecordEntries) {
      lines.clear();
      return false;
    }
    lines.push_back(line);
  }
  return true;
}

bool SplitWords(std::string_view line, std::vector<std::string_view>& words, std::size_t max) {
  words.clear();
  std::size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && IsBlank(line[i])) ++i;
    if (i == line.size()) break;
    const std::size_t start = i;
    while (i < line.size() && !IsBlank(line[i])) ++i;
    if (words.size() == max) return false;
    words.push_back(line.substr(start, i - start));
  }
  return true;
}

}  // namespace velmora
