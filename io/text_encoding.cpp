#include "io/text_encoding.h"

#ifdef _WIN32
#include "io/windows.h"
#else
#include <iconv.h>
#endif

#include <cstdint>
#include <cstdio>
#include <cstring>

#include "numtext/utf8.h"

namespace kestrova::io {
namespace {

// The length of the run of ASCII bytes that starts `s`, read eight bytes at a
// time (a data file is mostly ASCII, and its first megabyte is looked at).
std::size_t AsciiPrefixLength(std::string_view s) {
  std::size_t i = 0;
  for (; i + 8 <= s.size(); i += 8) {
    std::uint64_t word;
    std::memcpy(&word, s.data() + i, 8);
    if ((word & 0x8080808080808080u) != 0) break;
  }
  while (i < s.size() && static_cast<unsigned char>(s[i]) < 0x80) ++i;
  return i;
}

bool IsAscii(std::string_view s) { return AsciiPrefixLength(s) == s.size(); }

// Beyond a byte order mark, the header decides when it has text beyond ASCII
// (a header is short, and Japanese in Shift-JIS is practically never valid
// UTF-8); otherwise the other lines with such text decide by majority, so
// that one stray byte in a UTF-8 file leaves it UTF-8.
bool LooksLikeUtf8(std::string_view start, bool complete) {
  // An ASCII byte is a whole character: the check starts after the first run of them.
  if (IsValidUtf8(start.substr(AsciiPrefixLength(start)), !complete)) return true;
  std::size_t valid = 0;
  std::size_t invalid = 0;
  bool header = true;
  while (!start.empty()) {
    const std::size_t end = start.find_first_of("\r\n");
    const std::string_view line = start.substr(0, end);
    const bool last = end == std::string_view::npos;
    start.remove_prefix(last ? start.size() : end + 1);
    if (line.empty()) continue;
    if (!IsAscii(line)) {
      const bool ok = IsValidUtf8(line, last && !complete);
      if (header) return ok;
      ++(ok ? valid : invalid);
    }
    header = false;
  }
  return valid > invalid;
}

bool IsShiftJisLead(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }
bool IsShiftJisTrail(unsigned char c) { return c >= 0x40 && c <= 0xFC && c != 0x7F; }

// One Shift-JIS (code page 932) character, one or two bytes, appended to `out`
// in UTF-8; false when the bytes are no character.
bool AppendShiftJisAsUtf8(std::string_view ch, std::string& out) {
#ifdef _WIN32
  wchar_t wide[2];
  const int n =
      MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, ch.data(), static_cast<int>(ch.size()), wide, 2);
  char utf8[8];
  const int m = n > 0 ? WideCharToMultiByte(CP_UTF8, 0, wide, n, utf8, sizeof utf8, nullptr, nullptr) : 0;
  if (m <= 0) return false;
  out.append(utf8, static_cast<std::size_t>(m));
  return true;
#else
  static const iconv_t converter = iconv_open("UTF-8", "CP932");
  if (converter == reinterpret_cast<iconv_t>(-1)) return false;
  char in[2];
  ch.copy(in, sizeof in);
  char utf8[8];
  char* inPtr = in;
  char* outPtr = utf8;
  std::size_t inLeft = ch.size();
  std::size_t outLeft = sizeof utf8;
  iconv(converter, nullptr, nullptr, nullptr, nullptr);
  if (iconv(converter, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<std::size_t>(-1) || inLeft != 0) {
    return false;
  }
  out.append(utf8, sizeof utf8 - outLeft);
  return true;
#endif
}

// One UTF-8 character appended to `out` in code page 932; false when the
// code page has no such character. Each thread converts with its own state.
bool AppendUtf8AsShiftJis(std::string_view ch, std::string& out) {
#ifdef _WIN32
  wchar_t wide[2];
  const int n =
      MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, ch.data(), static_cast<int>(ch.size()), wide, 2);
  char bytes[8];
  BOOL usedDefault = FALSE;
  const int m = n > 0 ? WideCharToMultiByte(932, WC_NO_BEST_FIT_CHARS, wide, n, bytes, sizeof bytes, nullptr,
                                            &usedDefault)
                      : 0;
  if (m <= 0 || usedDefault) return false;
  out.append(bytes, static_cast<std::size_t>(m));
  return true;
#else
  struct Converter {
    iconv_t handle = iconv_open("CP932", "UTF-8");
    ~Converter() {
      if (handle != reinterpret_cast<iconv_t>(-1)) iconv_close(handle);
    }
  };
  thread_local const Converter converter;
  if (converter.handle == reinterpret_cast<iconv_t>(-1)) return false;
  char in[4];
  const std::size_t size = ch.copy(in, sizeof in);
  char bytes[8];
  char* inPtr = in;
  char* outPtr = bytes;
  std::size_t inLeft = size;
  std::size_t outLeft = sizeof bytes;
  iconv(converter.handle, nullptr, nullptr, nullptr, nullptr);
  if (iconv(converter.handle, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<std::size_t>(-1) ||
      inLeft != 0) {
    return false;
  }
  out.append(bytes, sizeof bytes - outLeft);
  return true;
#endif
}

void AppendEscaped(std::string_view bytes, std::string& out) {
  for (char c : bytes) {
    char escaped[5];
    std::snprintf(escaped, sizeof escaped, "\\x%02x", static_cast<unsigned>(static_cast<unsigned char>(c)));
    out += escaped;
  }
}

}  // namespace

std::string TextAsUtf8(std::string_view text, TextEncoding encoding) {
  if (encoding == TextEncoding::kUtf8) return std::string(text);
  std::string out;
  for (std::size_t i = 0; i < text.size();) {
    const auto c = static_cast<unsigned char>(text[i]);
    const bool pair = IsShiftJisLead(c) && i + 1 < text.size() && IsShiftJisTrail(text[i + 1]);
    const std::size_t length = pair ? 2 : 1;
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (!AppendShiftJisAsUtf8(text.substr(i, length), out)) {
      out += "\xEF\xBF\xBD";  // U+FFFD
    }
    i += length;
  }
  return out;
}

std::string Utf8AsText(std::string_view utf8, TextEncoding encoding) {
  if (encoding == TextEncoding::kUtf8) return std::string(utf8);
  std::string out;
  out.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size();) {
    if (static_cast<unsigned char>(utf8[i]) < 0x80) {
      out += utf8[i++];
      continue;
    }
    const Utf8Char read = ReadUtf8Char(utf8, i);
    const std::size_t length = read.length == 0 ? 1 : read.length;
    if (read.length == 0 || !AppendUtf8AsShiftJis(utf8.substr(i, length), out)) out += '?';
    i += length;
  }
  return out;
}

std::string MessageText(std::string_view text, TextEncoding encoding) {
  std::string out;
  std::size_t i = 0;
  while (i < text.size()) {
    const auto c = static_cast<unsigned char>(text[i]);
    std::size_t length = 1;
    if (c < 0x80) {
      if (c < 0x20 || c == 0x7F) {
        AppendEscaped(text.substr(i, 1), out);
      } else {
        out += static_cast<char>(c);
      }
    } else if (encoding == TextEncoding::kUtf8) {
      const Utf8Char read = ReadUtf8Char(text, i);
      length = read.length;
      const std::string_view ch = text.substr(i, length);
      if (length == 0) {
        length = 1;
        AppendEscaped(text.substr(i, 1), out);
      } else if (read.codePoint >= 0x80 && read.codePoint < 0xA0) {  // C1 controls
        AppendEscaped(ch, out);
      } else {
        out += ch;
      }
    } else {
      const bool pair = IsShiftJisLead(c) && i + 1 < text.size() && IsShiftJisTrail(text[i + 1]);
      length = pair ? 2 : 1;
      if (!AppendShiftJisAsUtf8(text.substr(i, length), out)) AppendEscaped(text.substr(i, length), out);
    }
    i += length;
  }
  return out;
}

EncodingDecision DecideEncoding(std::string_view start, bool complete, std::optional<TextEncoding> forced) {
  EncodingDecision decision;
  decision.byteOrderMark = start.substr(0, kByteOrderMark.size()) == kByteOrderMark;
  if (forced) {
    decision.encoding = *forced;
  } else if (decision.byteOrderMark || LooksLikeUtf8(start, complete)) {
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

std::string LowerAscii(std::string_view s) {
  std::string lower(s);
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return lower;
}

}  // namespace kestrova::io
