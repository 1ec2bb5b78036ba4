// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/report.h"

namespace velmora {
namespace {
constexpr const char* kEol = "\r\n";
}

std::string ReportPathIn(const std::string& folder) {
  if (!folder.empty() && folder.back() == '/') return folder + kReportFileName;
  return folder + "/" + kReportFileName;
}

std::string FormatReport(const std::string& date, const std::string& time,
                         const ShredOptions& options, const ShredList& items) {
  std::string out;
  out += "Velmora";
  out += kEol;
  out += date + kEol;
  out += time + kEol + kEol;
  out += "Technique Used: " + options.OverwriteWith + kEol;
  out += "Files Overwritten: " + std::to_string(options.OverwriteNoOfTimes) + " times" + kEol + kEol;
  out += std::string("Files Have Been Shredded Are: ") + kEol + kEol;
  for (const ShredListItem& item : items) out += item.path + kEol;
  return out;
}

bool WriteReport(ReportSink& sink, const ShredOptions& options, const ShredList& items,
                 ReportClock& clock) {
  // The date is read before the time, each as its line is written.
  std::string date = clock.ShortDateNow();
  std::string time = clock.ShortTimeNow();
  return sink.Write(FormatReport(date, time, options, items));
}

}  // namespace velmora
