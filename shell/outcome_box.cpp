// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/outcome_box.h"

namespace velmora {

std::string OutcomeReason(ItemOutcome outcome, int passes_done, int passes) {
  switch (outcome) {
    case ItemOutcome::Shredded: return "";
    case ItemOutcome::ReadOnly: return "(read-only)";
    case ItemOutcome::Link: return "(a link)";
    case ItemOutcome::NotRegularFile: return "(not a regular file)";
    case ItemOutcome::NotFolder: return "(not a folder)";
    case ItemOutcome::MountPoint: return "(a mount point)";
    case ItemOutcome::NotFound: return "(not found)";
    case ItemOutcome::OpenFailed: return "(could not be opened)";
    case ItemOutcome::InUse: return "(in use by another program)";
    case ItemOutcome::WriteFailed: return "(could not be written)";
    case ItemOutcome::SyncFailed: return "(could not be forced to the disk)";
    case ItemOutcome::RemoveFailed: return "(could not be removed)";
    case ItemOutcome::Changed: return "(changed while being shredded)";
    case ItemOutcome::SomethingInsideKept: return "(something inside could not be shredded)";
    case ItemOutcome::StoppedBeforeReached: return "(stopped before it was reached)";
    case ItemOutcome::StoppedBeforeFinished: return "(stopped before it was finished)";
    case ItemOutcome::StoppedPartWay: return "(stopped part way: partly overwritten)";
    case ItemOutcome::StoppedAfterPasses:
      if (passes == 0) return "(stopped after <k> of <P> passes: removed)";
      return "(stopped after " + std::to_string(passes_done) + " of " + std::to_string(passes) + " passes: removed)";
  }
  return "(could not be opened)";
}

std::string OutcomeBoxText(const ShredList& items, const ShredRunResult& result) {
  const std::vector<ItemOutcome>& outcomes = result.outcomes;
  std::string text;
  for (std::size_t i = 0; i < items.size() && i < outcomes.size(); ++i) {
    if (outcomes[i] == ItemOutcome::Shredded) continue;
    const int done = i < result.passes_done.size() ? result.passes_done[i] : 0;
    text += "\n" + items[i].path + " " + OutcomeReason(outcomes[i], done, result.passes);
    for (const PartlyOverwritten& file : result.partly_overwritten) {
      if (file.item != i) continue;
      text += "\n" + file.path + " " +
              (file.passes_done == 0 ? OutcomeReason(ItemOutcome::StoppedPartWay)
                                     : OutcomeReason(ItemOutcome::StoppedAfterPasses, file.passes_done, result.passes));
    }
  }
  return text.empty() ? text : "Some items could not be shredded:" + text;
}

}  // namespace velmora
