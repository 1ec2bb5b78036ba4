// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/outcome_box.h"

namespace velmora {

std::string OutcomeReason(ItemOutcome outcome) {
  switch (outcome) {
    case ItemOutcome::Shredded: return "";
    case ItemOutcome::ReadOnly: return VELMORA_UI_TEXT("Velmora", "(read-only)");
    case ItemOutcome::Link: return VELMORA_UI_TEXT("Velmora", "(a link)");
    case ItemOutcome::NotRegularFile: return VELMORA_UI_TEXT("Velmora", "(not a regular file)");
    case ItemOutcome::NotFolder: return VELMORA_UI_TEXT("Velmora", "(not a folder)");
    case ItemOutcome::MountPoint: return VELMORA_UI_TEXT("Velmora", "(a mount point)");
    case ItemOutcome::NotFound: return VELMORA_UI_TEXT("Velmora", "(not found)");
    case ItemOutcome::OpenFailed: return VELMORA_UI_TEXT("Velmora", "(could not be opened)");
    case ItemOutcome::InUse: return VELMORA_UI_TEXT("Velmora", "(in use by another program)");
    case ItemOutcome::WriteFailed: return VELMORA_UI_TEXT("Velmora", "(could not be written)");
    case ItemOutcome::SyncFailed: return VELMORA_UI_TEXT("Velmora", "(could not be forced to the disk)");
    case ItemOutcome::RemoveFailed: return VELMORA_UI_TEXT("Velmora", "(could not be removed)");
    case ItemOutcome::Changed: return VELMORA_UI_TEXT("Velmora", "(changed while being shredded)");
    case ItemOutcome::SomethingInsideKept:
      return VELMORA_UI_TEXT("Velmora", "(something inside could not be shredded)");
    case ItemOutcome::StoppedBeforeReached: return VELMORA_UI_TEXT("Velmora", "(stopped before it was reached)");
    case ItemOutcome::StoppedBeforeFinished: return VELMORA_UI_TEXT("Velmora", "(stopped before it was finished)");
    case ItemOutcome::StoppedPartWay: return VELMORA_UI_TEXT("Velmora", "(stopped part way: partly overwritten)");
  }
  return VELMORA_UI_TEXT("Velmora", "(could not be opened)");
}

std::string OutcomeBoxText(const ShredList& items, const std::vector<ItemOutcome>& outcomes,
                           const std::vector<PartlyOverwritten>& partly, const TextLookup& words) {
  std::string text;
  for (std::size_t i = 0; i < items.size() && i < outcomes.size(); ++i) {
    if (outcomes[i] == ItemOutcome::Shredded) continue;
    text += "\n" + items[i].path + " " + words(OutcomeReason(outcomes[i]).c_str());
    for (const PartlyOverwritten& file : partly)
      if (file.item == i) text += "\n" + file.path + " " + words(OutcomeReason(ItemOutcome::StoppedPartWay).c_str());
  }
  return text.empty() ? text : words(VELMORA_UI_TEXT("Velmora", "Some items could not be shredded:")) + text;
}

}  // namespace velmora
