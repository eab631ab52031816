#include "cli/text_encoding.h"

namespace kestrova::cli {
namespace {

std::string LowerAscii(std::string_view s) {
  std::string lower(s);
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return lower;
}

}  // namespace

bool IsValidUtf8(std::string_view bytes, bool cutAtEnd) {
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  const std::size_t n = bytes.size();
  std::size_t i = 0;
  while (i < n) {
    const unsigned char c = p[i];
    if (c < 0x80) {
      ++i;
      continue;
    }
    std::size_t length;
    unsigned char low = 0x80;  // bounds of the second byte
    unsigned char high = 0xBF;
    if (c >= 0xC2 && c <= 0xDF) {
      length = 2;
    } else if (c >= 0xE0 && c <= 0xEF) {
      length = 3;
      if (c == 0xE0) low = 0xA0;   // no overlong forms
      if (c == 0xED) high = 0x9F;  // no surrogates
    } else if (c >= 0xF0 && c <= 0xF4) {
      length = 4;
      if (c == 0xF0) low = 0x90;
      if (c == 0xF4) high = 0x8F;  // nothing above U+10FFFF
    } else {
      return false;
    }
    for (std::size_t k = 1; k < length; ++k) {
      if (i + k >= n) return cutAtEnd;
      const unsigned char t = p[i + k];
      if (k == 1 ? (t < low || t > high) : (t < 0x80 || t > 0xBF)) return false;
    }
    i += length;
  }
  return true;
}

EncodingDecision DecideEncoding(std::string_view start, bool complete, std::optional<TextEncoding> forced) {
  EncodingDecision decision;
  decision.byteOrderMark = start.substr(0, kByteOrderMark.size()) == kByteOrderMark;
  if (forced) {
    decision.encoding = *forced;
  } else if (decision.byteOrderMark || IsValidUtf8(start, !complete)) {
    decision.encoding = TextEncoding::kUtf8;
  } else {
    decision.encoding = TextEncoding::kShiftJis;
  }
  return decision;
}

std::optional<TextEncoding> ParseEncodingName(std::string_view name) {
  const std::string lower = LowerAscii(name);
  if (lower == "utf-8" || lower == "utf8") return TextEncoding::kUtf8;
  if (lower == "sjis" || lower == "shift_jis" || lower == "shift-jis" || lower == "cp932") {
    return TextEncoding::kShiftJis;
  }
  return std::nullopt;
}

}  // namespace kestrova::cli
