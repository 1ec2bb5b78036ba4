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

// `options` at pass-count `position`, with the technique its name says.
inline ShredOptions AtPosition(ShredOptions options, int position) {
  ChoosePasses(options, position, options.OverwriteWith == kTechniques[1].name ? 1 : 0);
  return options;
}

}  // namespace velmora::testing
