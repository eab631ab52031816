#include "report/json_writer.h"

#include <cassert>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace kestrova::report {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Skips the digits from `i`; false when there are none.
bool Digits(std::string_view s, std::size_t& i) {
  const std::size_t from = i;
  while (i < s.size() && IsDigit(s[i])) ++i;
  return i > from;
}

// JSON's number: -?digits(.digits)?([eE][+-]?digits)? (a leading zero is let pass).
bool IsJsonNumber(std::string_view s) {
  std::size_t i = 0;
  if (i < s.size() && s[i] == '-') ++i;
  if (!Digits(s, i)) return false;
  if (i < s.size() && s[i] == '.' && !Digits(s, ++i)) return false;
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
    ++i;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    if (!Digits(s, i)) return false;
  }
  return i == s.size();
}

}  // namespace

void JsonWriter::BeginEntry() {
  if (afterKey_) {
    afterKey_ = false;
    return;
  }
  if (levels_.empty()) return;
  Level& level = levels_.back();
  if (!level.empty) out_ += ',';
  if (level.layout == Layout::kLines) {
    Indent(levels_.size());
  } else if (!level.empty) {
    out_ += ' ';
  }
  level.empty = false;
}

void JsonWriter::Indent(std::size_t depth) {
  out_ += '\n';
  out_.append(2 * depth, ' ');
}

JsonWriter& JsonWriter::Begin(char open, Layout layout) {
  BeginEntry();
  out_ += open;
  levels_.push_back({layout});
  return *this;
}

JsonWriter& JsonWriter::End(char close) {
  assert(!levels_.empty() && !afterKey_);
  const Level level = levels_.back();
  levels_.pop_back();
  if (level.layout == Layout::kLines && !level.empty) Indent(levels_.size());
  out_ += close;
  return *this;
}

JsonWriter& JsonWriter::BeginObject(Layout layout) { return Begin('{', layout); }

JsonWriter& JsonWriter::BeginArray(Layout layout) { return Begin('[', layout); }

JsonWriter& JsonWriter::Key(std::string_view name) {
  BeginEntry();
  Quoted(name);
  out_ += ": ";
  afterKey_ = true;
  return *this;
}

void JsonWriter::Quoted(std::string_view text) {
  out_ += '"';
  for (char c : text) {
    if (c == '"' || c == '\\') {
      out_ += '\\';
      out_ += c;
    } else if (static_cast<unsigned char>(c) < 0x20) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
      out_ += escaped;
    } else {
      out_ += c;
    }
  }
  out_ += '"';
}

JsonWriter& JsonWriter::String(std::string_view text) {
  BeginEntry();
  Quoted(text);
  return *this;
}

JsonWriter& JsonWriter::StringOrNull(std::string_view text) { return text.empty() ? Null() : String(text); }

JsonWriter& JsonWriter::Number(std::string_view text) {
  if (!IsJsonNumber(text)) return Null();
  BeginEntry();
  out_ += text;
  return *this;
}

#if defined(_LIBCPP_VERSION) && _LIBCPP_VERSION < 14000
namespace {

// This libc++ (emscripten's, for the page) has no floating-point std::to_chars.
// The same text from printf, which rounds correctly: the fewest significant
// digits that read back, written in fixed or scientific form, whichever is
// shorter (fixed on a tie; a whole number with every digit of its value), as
// std::to_chars writes a double.
//   0.5 -> "0.5"   1e-05 -> "1e-05"   1234567.0 -> "1234567"   1e+22 -> "1e+22"
std::string ShortestText(double value) {
  char scientific[40];
  for (int precision = 0; precision <= 17; ++precision) {
    std::snprintf(scientific, sizeof scientific, "%.*e", precision, value);
    if (std::strtod(scientific, nullptr) == value) break;
  }
  const std::string_view text(scientific);
  const std::size_t e = text.find('e');
  const bool negative = text.front() == '-';
  std::string digits;
  for (const char c : text.substr(negative ? 1 : 0, e - (negative ? 1 : 0))) {
    if (c != '.') digits += c;
  }
  const int exponent = std::atoi(scientific + e + 1);
  std::string fixed = negative ? "-" : "";
  if (exponent < 0) {
    fixed += "0." + std::string(static_cast<std::size_t>(-exponent - 1), '0') + digits;
  } else if (static_cast<std::size_t>(exponent) + 1 >= digits.size()) {
    char whole[400];  // a whole number is written with all its digits, as std::to_chars does
    std::snprintf(whole, sizeof whole, "%.0f", std::fabs(value));
    fixed += whole;
  } else {
    fixed += digits.substr(0, static_cast<std::size_t>(exponent) + 1) + "." +
             digits.substr(static_cast<std::size_t>(exponent) + 1);
  }
  return fixed.size() <= text.size() ? fixed : std::string(text);
}

}  // namespace

JsonWriter& JsonWriter::Number(double value) {
  if (!std::isfinite(value)) return Null();
  BeginEntry();
  out_ += ShortestText(value);
  return *this;
}
#else
JsonWriter& JsonWriter::Number(double value) {
  if (!std::isfinite(value)) return Null();
  char digits[32];  // the longest shortest form: "-2.2250738585072014e-308", 24 characters
  const std::to_chars_result end = std::to_chars(digits, digits + sizeof digits, value);
  assert(end.ec == std::errc());
  BeginEntry();
  out_.append(digits, end.ptr);
  return *this;
}
#endif

JsonWriter& JsonWriter::Bool(bool value) {
  BeginEntry();
  out_ += value ? "true" : "false";
  return *this;
}

JsonWriter& JsonWriter::Null() {
  BeginEntry();
  out_ += "null";
  return *this;
}

}  // namespace kestrova::report
