// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/outcome_box.h"

namespace velmora {

std::string OutcomeBoxText(const ShredList& items, const ShredRunResult& result, const TextLookup& words) {
  std::string text, folder;
  std::size_t inside = 0, more = 0;
  const auto count_more = [&] {
    if (more != 0)
      text += "\n" + FillIn(words(VELMORA_UI_TEXT("Velmora", "%1: and %2 more (see the report)")),
                            {folder, std::to_string(more)});
    more = 0;
  };
  for (const NotShredded& left : WhatWasLeft(items, result)) {
    if (!left.inside) {
      count_more();
      folder = left.path;
      inside = 0;
    } else if (++inside > kNamedInsidePerFolder) {
      ++more;
      continue;
    }
    text += "\n" + NotShreddedLine(left, /*with_error=*/false, words);
  }
  count_more();
  return text.empty() ? text : words(VELMORA_UI_TEXT("Velmora", "Some items could not be shredded:")) + text;
}

std::string WhatWasLeftText(const ShredList& items, const ShredRunResult& result) {
  std::string text;
  for (const NotShredded& left : WhatWasLeft(items, result)) text += NotShreddedLine(left, /*with_error=*/true) + "\n";
  return text;
}

}  // namespace velmora
