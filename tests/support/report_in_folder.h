// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The report as a run writes it, through the program's own keeper, into a
// folder of the test's choosing; and how a fault aimed at the shred tells
// the report's own system calls apart.
#include <string>
#include <string_view>
#include <vector>

#include "report/report.h"
#include "report/report_keeper.h"
#include "report/report_record.h"
#include "support/memory_record.h"
#include "support/temp_dir.h"

namespace velmora::testing {

namespace detail {
struct HeldRecord {
  MemoryRecord record;
};
}  // namespace detail

// A keeper writing note.txt into `folder`, else into `state_folder` when
// given; with neither writable the report is written nowhere. Its record is
// held here, made before the keeper that uses it.
class ReportInFolder : private detail::HeldRecord, public ReportKeeper {
 public:
  explicit ReportInFolder(const std::string& folder, const std::string& state_folder = "")
      : ReportKeeper({folder, state_folder}, record) {}
};

// Every report a run writes, kept in memory, oldest first.
struct ReportsInMemory : ReportSink {
  std::vector<std::string> written;
  bool Write(const std::string& bytes) override {
    written.push_back(bytes);
    return true;
  }
};

// Whether `name` (bare, or the end of a path) is one the keeper gives a
// report: note.txt, or a temporary name while it is written.
inline bool IsReportName(std::string_view name) {
  if (const std::size_t slash = name.rfind('/'); slash != std::string_view::npos) name.remove_prefix(slash + 1);
  return name == kReportFileName || IsTemporaryReportName(std::string(name));
}

// Whether the open file `fd` is a report.
inline bool IsReportFile(int fd) { return IsReportName(PathOfFd(fd)); }

}  // namespace velmora::testing
