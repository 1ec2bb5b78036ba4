// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// How the saved records (the report's, the free-space fill's) write a path:
// one word of plain bytes and %XX escapes, so a record line splits at blanks.
#include <string>
#include <string_view>

namespace velmora {

std::string EncodePath(const std::string& path);

// The absolute path `text` encodes; false for anything this program would
// not have written, an encoded NUL or "/" included.
bool DecodePath(std::string_view text, std::string& path);

}  // namespace velmora
