// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The fault tests' run: the list shredded as Shred Now does, at the default
// passes, with the report in a folder of the test's, checked to leave no
// descriptor open whatever went wrong.
#include <gtest/gtest.h>

#include <string>

#include "run/shred_run.h"
#include "support/fixed_host.h"
#include "support/report_in_folder.h"
#include "support/temp_dir.h"

namespace velmora::testing {

inline ShredRunResult RunWithChecks(const ShredList& list, bool folder_mode, const std::string& report_folder) {
  FixedHost host;
  ShredOptions options;
  options.FolderMode = folder_mode;
  ReportInFolder keeper(report_folder);
  int fds = OpenDescriptorCount();
  ShredRunResult result = RunShred(AtPosition(options, 5), list, keeper, host);
  EXPECT_EQ(OpenDescriptorCount(), fds) << "descriptors leaked";
  return result;
}

}  // namespace velmora::testing
