// UTF-8 read strictly: no overlong forms, no surrogates, nothing above U+10FFFF.
//
// ReadUtf8Char(text, i)
//   The character whose first byte is text[i]: its length (1 to 4 bytes) and
//   code point, or length 0 when the bytes there are no character. `cut` tells
//   the one case where they could still become one: every byte up to the end of
//   `text` fits the sequence, but the text ends before it does.
//     "A" -> {1, U+0041}     "\xC3\xA9" -> {2, U+00E9}     "\xC0\x80" -> {0}
//     "\xED\xA0\x80" -> {0} (a surrogate)     "\xE3\x81" -> {0, cut}
//
// IsValidUtf8(bytes, cutAtEnd)
//   Whether `bytes` is UTF-8 throughout. With `cutAtEnd`, a character cut off by
//   the end still counts (a sample taken from the start of a longer file).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace kestrova {

struct Utf8Char {
  std::size_t length = 0;  // 0: no character
  std::uint32_t codePoint = 0;
  bool cut = false;  // length 0 only because `text` ends inside the character
};

Utf8Char ReadUtf8Char(std::string_view text, std::size_t i);

bool IsValidUtf8(std::string_view bytes, bool cutAtEnd = false);

// What a code point is to the formats that show texts (the chart text blanks
// every kind but kOrdinary and kNoncharacter; the HTML page replaces
// kControl and kNoncharacter with U+FFFD):
//   kLayout        tab, LF and CR;
//   kControl       the other C0 controls, DEL and the C1 controls (NEL too);
//   kSeparator     U+2028 LINE SEPARATOR and U+2029 PARAGRAPH SEPARATOR;
//   kNoncharacter  U+FDD0 to U+FDEF and U+xFFFE, U+xFFFF of every plane;
//   kOrdinary      everything else.
enum class CharKind : std::uint8_t { kOrdinary, kLayout, kControl, kSeparator, kNoncharacter };
CharKind KindOfChar(std::uint32_t codePoint);

}  // namespace kestrova
