// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/cli_run.h"

#include <cstdio>

#include "cli/cli_free_space.h"
#include "cli/stop_signals.h"

namespace velmora {
namespace {

void Print(std::FILE* stream, const std::string& text) {
  std::fwrite(text.data(), 1, text.size(), stream);
  std::fflush(stream);
}

}  // namespace

int RunCli(const CliCommand& command, const ReasonTexts& texts, ReportRecordStore& fill_record) {
  using Action = CliCommand::Action;
  switch (command.action) {
    case Action::None:
    case Action::Help: Print(stdout, CliHelp()); return 0;
    case Action::UsageError: Print(stderr, "velmora: " + command.error + "\n" + CliUsage()); return 2;
    case Action::Shred:
    case Action::WipeFreeSpace: break;
  }
  CatchStopSignals();
  CliStreams streams;
  streams.stop = [] { return CaughtStopSignal() != 0; };
  const int status = command.action == Action::Shred
                         ? RunCliShred(command, texts, streams)
                         : RunCliWipeFreeSpace(command.paths.front(), texts, fill_record, streams);
  if (const int signal = CaughtStopSignal(); signal != 0) return EndBySignal(signal);
  return status;
}

}  // namespace velmora
