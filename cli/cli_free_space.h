// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// `velmora --wipe-free-space FOLDER`: the window's free-space wipe without
// the window and without its question (the command is the answer). The
// fill is recorded, as the window records it, before its first byte, so a
// run killed with the disk full is cleaned up by the next start of either;
// fills such a run left are removed before this one begins.
#include <string>

#include "cli/cli_shred.h"
#include "report/report_keeper.h"

namespace velmora {

// The outcome's lines on `out`, a refusal on `err`. 0 when the whole free
// space was wiped and the fill removed, else 1.
int RunCliWipeFreeSpace(const std::string& folder, const ReasonTexts& texts, ReportRecordStore& fill_record,
                        const CliStreams& streams);

}  // namespace velmora
