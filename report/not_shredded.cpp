// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/not_shredded.h"

#include <cstring>

#include "report/report.h"

namespace velmora {
namespace {

// The reason's text between its brackets.
std::string ReasonText(ItemOutcome outcome, int passes_done, int passes) {
  switch (outcome) {
    case ItemOutcome::Shredded: return "";
    case ItemOutcome::ReadOnly: return "read-only";
    case ItemOutcome::Link: return "a link";
    case ItemOutcome::NotRegularFile: return "not a regular file";
    case ItemOutcome::NotFolder: return "not a folder";
    case ItemOutcome::MountPoint: return "a mount point";
    case ItemOutcome::NotFound: return "not found";
    case ItemOutcome::OpenFailed: return "could not be opened";
    case ItemOutcome::InUse: return "in use by another program";
    case ItemOutcome::WriteFailed: return "could not be written";
    case ItemOutcome::SyncFailed: return "could not be forced to the disk";
    case ItemOutcome::RemoveFailed: return "could not be removed";
    case ItemOutcome::Changed: return "changed while being shredded";
    case ItemOutcome::SomethingInsideKept: return "something inside could not be shredded";
    case ItemOutcome::StoppedBeforeReached: return "stopped before it was reached";
    case ItemOutcome::StoppedBeforeFinished: return "stopped before it was finished";
    case ItemOutcome::StoppedPartWay: return "stopped part way: partly overwritten";
    case ItemOutcome::StoppedAfterPasses:
      if (passes == 0) return "stopped after <k> of <P> passes: removed";
      return "stopped after " + std::to_string(passes_done) + " of " + std::to_string(passes) + " passes: removed";
  }
  return "could not be opened";
}

}  // namespace

std::string OutcomeReason(ItemOutcome outcome, int passes_done, int passes) {
  if (outcome == ItemOutcome::Shredded) return "";
  return "(" + ReasonText(outcome, passes_done, passes) + ")";
}

std::string NotShreddedLine(const NotShredded& left, bool with_error) {
  std::string reason = ReasonText(left.outcome, left.passes_done, left.passes);
  if (left.outcome == ItemOutcome::StoppedBeforeFinished && left.files_total != 0)
    reason += ": " + std::to_string(left.files_left) + " of " + std::to_string(left.files_total) + " files left";
  // Not the locale's words: the report is in English, and its reader may
  // search for them.
  const char* description = left.error != 0 ? strerrordesc_np(left.error) : nullptr;
  if (with_error && description != nullptr) reason += std::string(": ") + description;
  return left.path + " (" + reason + ")";
}

std::string FormatDoneReport(const std::string& date, const std::string& time, const ShredOptions& options,
                             const ShredList& shredded, const std::vector<NotShredded>& left) {
  std::string out = FormatReport(date, time, options, shredded);
  out += "\r\nFiles Not Shredded Are: \r\n";
  for (const NotShredded& line : left) out += NotShreddedLine(line, /*with_error=*/true) + "\r\n";
  return out;
}

}  // namespace velmora
