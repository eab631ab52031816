#include "numtext/utf8.h"

namespace kestrova {

Utf8Char ReadUtf8Char(std::string_view text, std::size_t i) {
  const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
  const unsigned char b0 = byte(i);
  Utf8Char ch;
  std::size_t length = 0;
  unsigned char low = 0x80;  // bounds of the second byte
  unsigned char high = 0xBF;
  if (b0 < 0x80) {
    return {1, b0, false};
  } else if (b0 >= 0xC2 && b0 <= 0xDF) {
    length = 2;
    ch.codePoint = b0 & 0x1Fu;
  } else if (b0 >= 0xE0 && b0 <= 0xEF) {
    length = 3;
    ch.codePoint = b0 & 0x0Fu;
    if (b0 == 0xE0) low = 0xA0;   // no overlong forms
    if (b0 == 0xED) high = 0x9F;  // no surrogates
  } else if (b0 >= 0xF0 && b0 <= 0xF4) {
    length = 4;
    ch.codePoint = b0 & 0x07u;
    if (b0 == 0xF0) low = 0x90;
    if (b0 == 0xF4) high = 0x8F;  // nothing above U+10FFFF
  } else {
    return {};
  }
  for (std::size_t k = 1; k < length; ++k) {
    if (i + k >= text.size()) return {0, 0, true};
    const unsigned char b = byte(i + k);
    if (b < (k == 1 ? low : 0x80) || b > (k == 1 ? high : 0xBF)) return {};
    ch.codePoint = (ch.codePoint << 6) | (b & 0x3Fu);
  }
  ch.length = length;
  return ch;
}

bool IsValidUtf8(std::string_view bytes, bool cutAtEnd) {
  for (std::size_t i = 0; i < bytes.size();) {
    const Utf8Char ch = ReadUtf8Char(bytes, i);
    if (ch.length == 0) return ch.cut && cutAtEnd;
    i += ch.length;
  }
  return true;
}

CharKind KindOfChar(std::uint32_t c) {
  if (c == '\t' || c == '\n' || c == '\r') return CharKind::kLayout;
  if (c < 0x20 || (c >= 0x7F && c <= 0x9F)) return CharKind::kControl;
  if (c == 0x2028 || c == 0x2029) return CharKind::kSeparator;
  if ((c >= 0xFDD0 && c <= 0xFDEF) || (c & 0xFFFEu) == 0xFFFEu) return CharKind::kNoncharacter;
  return CharKind::kOrdinary;
}

}  // namespace kestrova
