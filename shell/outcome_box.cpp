// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/outcome_box.h"

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

std::string OutcomeBoxText(const ShredList& items, const ShredRunResult& result, const TextLookup& words) {
  const std::vector<ItemOutcome>& outcomes = result.outcomes;
  std::string text;
  for (std::size_t i = 0; i < items.size() && i < outcomes.size(); ++i) {
    if (outcomes[i] == ItemOutcome::Shredded) continue;
    const int done = i < result.passes_done.size() ? result.passes_done[i] : 0;
    text += "\n" + items[i].path + " " + OutcomeReason(outcomes[i], done, result.passes, words);
    for (const PartlyOverwritten& file : result.partly_overwritten) {
      if (file.item != i) continue;
      text += "\n" + file.path + " " +
              (file.passes_done == 0
                   ? OutcomeReason(ItemOutcome::StoppedPartWay, 0, 0, words)
                   : OutcomeReason(ItemOutcome::StoppedAfterPasses, file.passes_done, result.passes, words));
    }
  }
  return text.empty() ? text : words(VELMORA_UI_TEXT("Velmora", "Some items could not be shredded:")) + text;
}

}  // namespace velmora
