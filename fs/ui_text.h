// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Texts of the core that the window shows. VELMORA_UI_TEXT marks one for
// lupdate (which reads it as QT_TRANSLATE_NOOP: translations/CMakeLists.txt);
// the core keeps the English text as it is, for the report, standard error
// and the command line. A function that builds a sentence takes a
// TextLookup: English by default, the user's language from the window.
#include <functional>
#include <string>
#include <vector>

#define VELMORA_UI_TEXT(context, text) text

namespace velmora {

using TextLookup = std::function<std::string(const char* english)>;
inline std::string English(const char* text) { return text; }

// `pattern` with %1...%9 replaced by `args`, in one pass: an argument that
// holds "%1" itself (a path may) stays as it is.
inline std::string FillIn(const std::string& pattern, const std::vector<std::string>& args) {
  std::string out;
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    const char next = i + 1 < pattern.size() ? pattern[i + 1] : '\0';
    const auto index = static_cast<std::size_t>(next - '1');
    if (pattern[i] == '%' && next >= '1' && next <= '9' && index < args.size()) {
      out += args[index];
      ++i;
    } else {
      out += pattern[i];
    }
  }
  return out;
}

}  // namespace velmora
