// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A shred-run host with a fixed date and time, counting repaints.
#include <string>
#include <vector>

#include "run/shred_run.h"

namespace velmora::testing {

class FixedHost : public ShredRunHost {
 public:
  std::string date = "07/12/2026";
  std::string time = "09:41";
  std::vector<std::string> calls;
  std::string ShortDateNow() override {
    calls.push_back("date");
    return date;
  }
  std::string ShortTimeNow() override {
    calls.push_back("time");
    return time;
  }
  void Repaint() override { calls.push_back("repaint"); }
};

}  // namespace velmora::testing
