// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The report of a shred run, note.txt: what was meant to be shredded, with
// which technique label and pass count.
#include <string>
#include <vector>

#include "engine/shred_options.h"

namespace velmora {

// Where the report's date and time come from (the user's short formats).
class ReportClock {
 public:
  virtual ~ReportClock() = default;
  virtual std::string ShortDateNow() = 0;
  virtual std::string ShortTimeNow() = 0;
};

inline constexpr const char* kReportFileName = "note.txt";

// The report's path in `folder`.
std::string ReportPathIn(const std::string& folder);

// The report's exact bytes: nine fixed lines, then one line per item path,
// every line ended by CR LF.
std::string FormatReport(const std::string& date, const std::string& time,
                         const ShredOptions& options, const ShredList& items);

// Where a run puts its report's bytes (the program's is ReportKeeper,
// report_keeper.h). False when they could not be written whole.
class ReportSink {
 public:
  virtual ~ReportSink() = default;
  virtual bool Write(const std::string& bytes) = 0;
};

// The report's bytes for this run, written through `sink`.
bool WriteReport(ReportSink& sink, const ShredOptions& options, const ShredList& items,
                 ReportClock& clock);

}  // namespace velmora
