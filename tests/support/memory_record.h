// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The report keeper's record held in memory, as one session sees it.
#include <string>

#include "report/report_keeper.h"

namespace velmora::testing {

class MemoryRecord : public ReportRecordStore {
 public:
  std::string text;
  std::string Read() override { return text; }
  bool Write(const std::string& record) override {
    text = record;
    return true;
  }
};

}  // namespace velmora::testing
