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

// The report of a run at the host's date and time in which every one of
// `paths` was shredded, byte for byte.
inline std::string ShreddedReport(const std::string& technique, int times, const std::vector<std::string>& paths) {
  std::string text = "Velmora\r\n07/12/2026\r\n09:41\r\n\r\nTechnique Used: " + technique +
                     "\r\nFiles Overwritten: " + std::to_string(times) +
                     " times\r\n\r\nFiles Have Been Shredded Are: \r\n\r\n";
  for (const std::string& path : paths) text += path + "\r\n";
  return text;
}

// `options` at pass-count `position`, with the technique its name says.
inline ShredOptions AtPosition(ShredOptions options, int position) {
  ChoosePasses(options, position, options.OverwriteWith == kTechniques[1].name ? 1 : 0);
  return options;
}

}  // namespace velmora::testing
