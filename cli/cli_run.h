// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A run without a window, from `main` before anything of Qt exists.
#include "cli/cli_command.h"
#include "cli/cli_shred.h"
#include "report/report_keeper.h"

namespace velmora {

// Does what `command` asks (any action but None) and returns the exit
// status: --help on standard output (0), a usage error's one line and the
// usage on standard error (2), a run's status. A run that a stop signal
// ended says what was left and then ends the process by that signal.
int RunCli(const CliCommand& command, const ReasonTexts& texts, ReportRecordStore& fill_record);

}  // namespace velmora
