// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The text of the report keeper's record: which files the program wrote,
// kept between sessions in a settings file that anyone (another machine, a
// backup, another program) may have written. It is read as untrusted input:
// small, read in linear time, and whatever it names is checked again before
// anything is done to it (report_keeper.cpp).
#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fs/record_lines.h"

namespace velmora {

// The keeper never has more than a couple of reports in flight; a record
// beyond these bounds was not written by it and is dropped whole.
inline constexpr std::size_t kMaxReportRecordEntries = kMaxRecordEntries;
inline constexpr std::size_t kMaxReportRecordBytes = kMaxRecordBytes;

// One file the program wrote: a report under its name, or one still under
// the temporary name it was written under (its change time is not known
// yet; the random name stands in for it).
struct ReportIdentity {
  std::string path;
  dev_t device = 0;
  ino_t inode = 0;
  std::int64_t ctime_sec = 0;
  std::int64_t ctime_nsec = 0;
  bool in_place = false;  // renamed to note.txt: the change time must match too
  // A temporary file's birth time, where the file system keeps one: a
  // note.txt with the same inode and birth time is that file renamed into
  // place, even if the session died before it could record the rename.
  bool has_birth = false;
  std::int64_t birth_sec = 0;
  std::int64_t birth_nsec = 0;
  bool operator==(const ReportIdentity&) const = default;
};

// The record's text: one line per file, the path percent-encoded so any
// byte survives a settings file; only the newest kMaxReportRecordEntries.
std::string FormatReportRecord(const std::vector<ReportIdentity>& files);

// Lines that do not parse, and paths holding a NUL or an encoded "/", are
// dropped: what cannot be read is never taken for the program's own. A
// record over kMaxReportRecordBytes or with more than
// kMaxReportRecordEntries lines gives nothing at all.
std::vector<ReportIdentity> ParseReportRecord(const std::string& record);

// Whether `name` is one the keeper gives a report while it is written:
// ".note-" and ten letters or digits.
bool IsTemporaryReportName(const std::string& name);

// A new such name.
std::string NewTemporaryReportName();

}  // namespace velmora
