// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/not_shredded.h"

#include <cstring>

#include "report/report.h"

namespace velmora {
std::string OutcomeReason(ItemOutcome outcome, int passes_done, int passes, const TextLookup& words) {
  switch (outcome) {
    case ItemOutcome::Shredded: return "";
    case ItemOutcome::ReadOnly: return words(VELMORA_UI_TEXT("Velmora", "(read-only)"));
    case ItemOutcome::Link: return words(VELMORA_UI_TEXT("Velmora", "(a link)"));
    case ItemOutcome::NotRegularFile: return words(VELMORA_UI_TEXT("Velmora", "(not a regular file)"));
    case ItemOutcome::NotFolder: return words(VELMORA_UI_TEXT("Velmora", "(not a folder)"));
    case ItemOutcome::MountPoint: return words(VELMORA_UI_TEXT("Velmora", "(a mount point)"));
    case ItemOutcome::NotFound: return words(VELMORA_UI_TEXT("Velmora", "(not found)"));
    case ItemOutcome::OpenFailed: return words(VELMORA_UI_TEXT("Velmora", "(could not be opened)"));
    case ItemOutcome::InUse: return words(VELMORA_UI_TEXT("Velmora", "(in use by another program)"));
    case ItemOutcome::WriteFailed: return words(VELMORA_UI_TEXT("Velmora", "(could not be written)"));
    case ItemOutcome::SyncFailed: return words(VELMORA_UI_TEXT("Velmora", "(could not be forced to the disk)"));
    case ItemOutcome::RemoveFailed: return words(VELMORA_UI_TEXT("Velmora", "(could not be removed)"));
    case ItemOutcome::Changed: return words(VELMORA_UI_TEXT("Velmora", "(changed while being shredded)"));
    case ItemOutcome::SomethingInsideKept:
      return words(VELMORA_UI_TEXT("Velmora", "(something inside could not be shredded)"));
    case ItemOutcome::StoppedBeforeReached: return words(VELMORA_UI_TEXT("Velmora", "(stopped before it was reached)"));
    case ItemOutcome::StoppedBeforeFinished:
      return words(VELMORA_UI_TEXT("Velmora", "(stopped before it was finished)"));
    case ItemOutcome::StoppedPartWay:
      return words(VELMORA_UI_TEXT("Velmora", "(stopped part way: partly overwritten)"));
    case ItemOutcome::StoppedAfterPasses: {
      const char* pattern = VELMORA_UI_TEXT("Velmora", "(stopped after %1 of %2 passes: removed)");
      if (passes == 0) return FillIn(words(pattern), {"<k>", "<P>"});
      return FillIn(words(pattern), {std::to_string(passes_done), std::to_string(passes)});
    }
  }
  return words(VELMORA_UI_TEXT("Velmora", "(could not be opened)"));
}

std::string NotShreddedLine(const NotShredded& left, bool with_error, const TextLookup& words) {
  std::string reason = OutcomeReason(left.outcome, left.passes_done, left.passes, words);
  if (left.outcome == ItemOutcome::StoppedBeforeFinished && left.files_total != 0)
    reason = FillIn(words(VELMORA_UI_TEXT("Velmora", "(stopped before it was finished: %1 of %2 files left)")),
                    {std::to_string(left.files_left), std::to_string(left.files_total)});
  // Not the locale's words: the report is in English, and its reader may
  // search for them.
  const char* description = left.error != 0 ? strerrordesc_np(left.error) : nullptr;
  if (with_error && description != nullptr) {
    const bool bracketed = !reason.empty() && reason.back() == ')';
    if (bracketed) reason.pop_back();
    reason += std::string(": ") + description + (bracketed ? ")" : "");
  }
  return left.path + " " + reason;
}

std::string FormatDoneReport(const std::string& date, const std::string& time, const ShredOptions& options,
                             const ShredList& shredded, const std::vector<NotShredded>& left) {
  std::string out = FormatReport(date, time, options, shredded);
  out += "\r\nFiles Not Shredded Are: \r\n";
  for (const NotShredded& line : left) out += NotShreddedLine(line, /*with_error=*/true) + "\r\n";
  return out;
}

}  // namespace velmora
