// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/outcome_box.h"

namespace velmora {

std::string OutcomeReason(ItemOutcome outcome) {
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
  }
  return "(could not be opened)";
}

std::string OutcomeBoxText(const ShredList& items, const std::vector<ItemOutcome>& outcomes,
                           const std::vector<PartlyOverwritten>& partly) {
  std::string text;
  for (std::size_t i = 0; i < items.size() && i < outcomes.size(); ++i) {
    if (outcomes[i] == ItemOutcome::Shredded) continue;
    text += "\n" + items[i].path + " " + OutcomeReason(outcomes[i]);
    for (const PartlyOverwritten& file : partly)
      if (file.item == i) text += "\n" + file.path + " " + OutcomeReason(ItemOutcome::StoppedPartWay);
  }
  return text.empty() ? text : "Some items could not be shredded:" + text;
}

}  // namespace velmora
