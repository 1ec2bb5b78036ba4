// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Records kept between sessions in a settings file that anyone may have
// written: read as untrusted input, in linear time, and bounded. The
// program never keeps more than a few entries in one; a record beyond these
// bounds was not written by it and is dropped whole.
#include <charconv>
#include <cstddef>
#include <string_view>
#include <vector>

namespace velmora {

inline constexpr std::size_t kMaxRecordEntries = 8;
inline constexpr std::size_t kMaxRecordBytes = 64 * 1024;

// The record's lines that hold more than blanks; false (and no lines) when
// the record is over kMaxRecordBytes or has more than kMaxRecordEntries of
// them.
bool RecordLines(std::string_view record, std::vector<std::string_view>& lines);

// Splits a line at blanks into at most `max` words; false when it has more.
bool SplitWords(std::string_view line, std::vector<std::string_view>& words, std::size_t max);

// A whole word as a number: no sign unless the type has one, nothing left.
template <typename Number>
bool ReadNumber(std::string_view text, Number& out) {
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), out);
  return error == std::errc() && end == text.data() + text.size();
}

}  // namespace velmora
