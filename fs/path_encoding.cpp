// SPDX-License-Identifier: GPL-3.0-or-later
#include "fs/path_encoding.h"

namespace velmora {
namespace {

bool PlainPathByte(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '/' || c == '.' ||
         c == '_' || c == '-';
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

std::string EncodePath(const std::string& path) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (const char byte : path) {
    const auto c = static_cast<unsigned char>(byte);
    if (PlainPathByte(c)) {
      out += byte;
    } else {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 15];
    }
  }
  return out;
}

// A NUL would cut the path short at the system call, and an encoded "/"
// would hide a folder inside a name: neither is ever written, both refused.
bool DecodePath(std::string_view text, std::string& path) {
  path.clear();
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') {
      if (!PlainPathByte(static_cast<unsigned char>(text[i]))) return false;
      path += text[i];
      continue;
    }
    if (i + 2 >= text.size()) return false;
    const int high = HexValue(text[i + 1]), low = HexValue(text[i + 2]);
    if (high < 0 || low < 0) return false;
    const char c = static_cast<char>(high * 16 + low);
    if (c == '\0' || c == '/') return false;
    path += c;
    i += 2;
  }
  return !path.empty() && path[0] == '/';
}

}  // namespace velmora
