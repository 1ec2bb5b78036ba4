// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The report as the window keeps it, for both benchmarks: the program's
// ReportKeeper, with its record held in memory instead of the settings.
#include <string>
#include <utility>

#include "report/report_keeper.h"

namespace velmora::bench {

class BenchRecord : public ReportRecordStore {
 public:
  explicit BenchRecord(std::string text = {}) : text_(std::move(text)) {}
  std::string Read() override { return text_; }
  bool Write(const std::string& record) override {
    text_ = record;
    return true;
  }

 private:
  std::string text_;
};

namespace detail {
struct HeldRecord {
  BenchRecord record;
};
}  // namespace detail

// A keeper writing beside a program in `program_folder`, with the window's
// state folder below it. Its record is made before the keeper that uses it.
class BenchReport : private detail::HeldRecord, public ReportKeeper {
 public:
  explicit BenchReport(const std::string& program_folder)
      : ReportKeeper({program_folder, program_folder + "/state"}, record) {}
};

}  // namespace velmora::bench
