#include "input/patient_record.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <type_traits>

#include "numtext/number_text.h"

namespace kestrova {
namespace {

// [+|-]digits[.digits] with at least one digit.
bool IsDecimalNumber(std::string_view s) {
  std::size_t i = 0;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
  bool digits = false;
  bool point = false;
  for (; i < s.size(); ++i) {
    if (s[i] >= '0' && s[i] <= '9') {
      digits = true;
    } else if (s[i] == '.' && !point) {
      point = true;
    } else {
      return false;
    }
  }
  return digits;
}

// Digits with at most one '.' and at least one digit: what IsDecimalNumber
// accepts without a sign, and what nearly every text is. Tested first, so
// that such a text is read as it stands.
inline bool IsBareDecimal(std::string_view s) {
  std::size_t points = 0;
  for (const char c : s) {
    if (static_cast<unsigned char>(c - '0') <= 9) continue;
    if (c != '.') return false;
    ++points;
  }
  return points <= 1 && s.size() > points;
}

// A decimal number but for one ',' where its point would be ("3,1").
bool IsDecimalWithComma(std::string_view s) {
  const std::size_t comma = s.find(',');
  if (comma == std::string_view::npos || s.find(',', comma + 1) != std::string_view::npos) return false;
  std::string point(s);
  point[comma] = '.';
  return IsDecimalNumber(point);
}

bool HasNonAscii(std::string_view s) {
  for (const char c : s) {
    if (static_cast<unsigned char>(c) >= 0x80) return true;
  }
  return false;
}

std::string_view Utf8(std::u8string_view s) { return {reinterpret_cast<const char*>(s.data()), s.size()}; }

// The sexes beyond ASCII: 男/女, 男性/女性 and the full-width letters, each in
// Shift-JIS (plain literals are compiled to code page 932) and in UTF-8. The
// Shift-JIS bytes are not UTF-8, and the UTF-8 bytes read as Shift-JIS are no
// word for a sex, so the bytes decide without decoding.
using Spellings = std::array<std::string_view, 8>;
const Spellings& MaleSpellings() {
  static const Spellings spellings = {"男",         "男性",         "Ｍ",         "ｍ",
                                      Utf8(u8"男"), Utf8(u8"男性"), Utf8(u8"Ｍ"), Utf8(u8"ｍ")};
  return spellings;
}
const Spellings& FemaleSpellings() {
  static const Spellings spellings = {"女",         "女性",         "Ｆ",         "ｆ",
                                      Utf8(u8"女"), Utf8(u8"女性"), Utf8(u8"Ｆ"), Utf8(u8"ｆ")};
  return spellings;
}

bool IsOneOf(std::string_view s, const Spellings& spellings) {
  for (std::string_view spelling : spellings) {
    if (s == spelling) return true;
  }
  return false;
}

// The unit a number may carry after it. A value is read in its column's unit
// only: height in cm, volumes in L, age in years (歳, 才). Millilitres are
// named, to be refused with a message that asks for litres rather than read
// as 1000 times the volume.
enum class Unit : std::uint8_t { kNone, kCentimetres, kLitres, kMillilitres, kYears };

constexpr std::array<Unit, kPatientValueCount> kColumnUnits = {
    Unit::kNone, Unit::kYears, Unit::kCentimetres, Unit::kLitres, Unit::kLitres, Unit::kLitres};

// Units written as one character, in each encoding; ℓ and ㎖ are not in code
// page 932. Bytes rather than plain literals, so that a build whose literals
// stay UTF-8 (clang's) still reads Shift-JIS.
struct UnitSign {
  std::string_view shiftJis;
  std::string_view utf8;
  Unit unit;
};
constexpr UnitSign kUnitSigns[] = {
    {"\x87\x70", "\xE3\x8E\x9D", Unit::kCentimetres},  // ㎝
    {"\x87\x67", "\xE3\x8D\x91", Unit::kLitres},       // ㍑
    {"", "\xE2\x84\x93", Unit::kLitres},               // ℓ
    {"", "\xE3\x8E\x96", Unit::kMillilitres},          // ㎖
    {"\x8D\xCE", "\xE6\xAD\xB3", Unit::kYears},        // 歳
    {"\x8D\xCB", "\xE6\x89\x8D", Unit::kYears},        // 才
};

// The length in bytes of the Latin letter `s` starts with, ASCII or
// full-width (Ａ to ｚ), with the letter in ASCII lower case into `letter`; 0
// when `s` starts with no letter.
std::size_t LatinLetter(std::string_view s, TextEncoding encoding, char& letter) {
  const auto byte = [&](std::size_t k) { return k < s.size() ? static_cast<unsigned char>(s[k]) : 0u; };
  const unsigned c = byte(0);
  const auto in = [](unsigned b, unsigned low, unsigned high) { return b >= low && b <= high; };
  if (in(c | 0x20, 'a', 'z')) {
    letter = static_cast<char>(c | 0x20);
    return 1;
  }
  if (encoding == TextEncoding::kUtf8 && c == 0xEF) {
    const unsigned low = byte(1) == 0xBC ? 0xA1 : byte(1) == 0xBD ? 0x81 : 0;  // U+FF21 Ａ, U+FF41 ａ
    if (low == 0 || !in(byte(2), low, low + 25)) return 0;
    letter = static_cast<char>('a' + (byte(2) - low));
    return 3;
  }
  if (encoding == TextEncoding::kShiftJis && c == 0x82) {
    const unsigned low = in(byte(1), 0x60, 0x79) ? 0x60 : in(byte(1), 0x81, 0x9A) ? 0x81 : 0;
    if (low == 0) return 0;
    letter = static_cast<char>('a' + (byte(1) - low));
    return 2;
  }
  return 0;
}

// The unit `s` spells: cm, L or mL in either case, ASCII or full-width, or
// one of kUnitSigns; kNone for anything else.
Unit UnitOf(std::string_view s, TextEncoding encoding) {
  for (const UnitSign& sign : kUnitSigns) {
    const std::string_view spelling = encoding == TextEncoding::kUtf8 ? sign.utf8 : sign.shiftJis;
    if (!spelling.empty() && s == spelling) return sign.unit;
  }
  std::array<char, 2> letters;
  std::size_t count = 0;
  while (!s.empty()) {
    char letter = 0;
    const std::size_t width = LatinLetter(s, encoding, letter);
    if (width == 0 || count == letters.size()) return Unit::kNone;
    letters[count++] = letter;
    s.remove_prefix(width);
  }
  const std::string_view word(letters.data(), count);
  return word == "cm"   ? Unit::kCentimetres
         : word == "l"  ? Unit::kLitres
         : word == "ml" ? Unit::kMillilitres
                        : Unit::kNone;
}

// `s` (trimmed, its digits in ASCII) without the unit of `which` after its
// number ("170cm", "170 ｃｍ", "2.45 L" -> "170", "170", "2.45"); `s` as it is
// when it ends in no such unit. A volume's text that ends in mL loses it too,
// with `millilitres` set.
std::string_view WithoutUnit(PatientValue which, std::string_view s, TextEncoding encoding,
                             bool& millilitres) {
  std::size_t end = 0;  // where the number's characters end
  while (end < s.size() && (static_cast<unsigned char>(s[end] - '0') <= 9 || s[end] == '.' || s[end] == ',' ||
                            s[end] == '+' || s[end] == '-' || s[end] == ' ' || s[end] == '\t')) {
    ++end;
  }
  if (end == 0 || end == s.size()) return s;
  const Unit unit = UnitOf(s.substr(end), encoding);
  const Unit column = kColumnUnits[IndexOf(which)];
  millilitres = unit == Unit::kMillilitres && column == Unit::kLitres;
  return unit != Unit::kNone && (unit == column || millilitres) ? TrimBlanks(s.substr(0, end)) : s;
}

// A text that is no decimal number (trimmed, its digits in ASCII): kNone with
// `s` its number when it is one with its unit, else why it is refused. Out of
// line: it is the rare text, and ReadNumber stays small where it is inlined.
[[gnu::noinline]] InputError TakeUnit(PatientValue which, std::string_view& s, TextEncoding encoding) {
  bool millilitres = false;
  s = WithoutUnit(which, s, encoding, millilitres);
  if (!IsDecimalNumber(s)) return IsDecimalWithComma(s) ? InputError::kDecimalComma : InputError::kNotANumber;
  return millilitres ? InputError::kMillilitres : InputError::kNone;
}

// One number: `text` read by the rule, `trimmed` set to the text quoted in a
// message. Inline: every row of a batch reads five. A text of bare ASCII
// digits, nearly every one, is parsed as it stands; blanks, full-width digits
// and units take the longer way.
inline InputError ReadNumber(PatientValue which, std::string_view text, TextEncoding encoding, double& number,
                             std::string_view& trimmed, std::string& scratch) {
  const ValueLimit& limit = kValueLimits[IndexOf(which)];
  std::string_view s = text;
  trimmed = text;
  if (!IsBareDecimal(s)) {
    s = trimmed = TrimBlanks(text);
    if (HasNonAscii(s)) s = TrimBlanks(AsciiDigits(s, encoding, scratch));
    if (s.empty()) {
      number = 0;
      return limit.required ? InputError::kEmpty : InputError::kNone;
    }
    if (!IsDecimalNumber(s)) {
      const InputError error = TakeUnit(which, s, encoding);
      if (error != InputError::kNone) return error;
    }
  }
  number = ParseNumber(s);
  if (limit.required ? !(number > 0) : number < 0) {
    return limit.required ? InputError::kNotAboveZero : InputError::kNegative;
  }
  if (number > limit.upper) return InputError::kAboveLimit;
  return InputError::kNone;
}

double PatientInputs::*const kNumberTargets[] = {nullptr,
                                                 &PatientInputs::age,
                                                 &PatientInputs::height,
                                                 &PatientInputs::vc,
                                                 &PatientInputs::fvc,
                                                 &PatientInputs::fev1};

// The text a record keeps of a value: trimmed, a number's digits in ASCII
// and without its unit (the reports write the unit themselves).
std::string RecordText(PatientValue which, std::string_view text, TextEncoding encoding) {
  std::string scratch;
  const std::string_view trimmed = TrimBlanks(text);
  if (which == PatientValue::kSex) return std::string(trimmed);
  bool millilitres = false;
  return std::string(
      WithoutUnit(which, TrimBlanks(AsciiDigits(trimmed, encoding, scratch)), encoding, millilitres));
}

// Writes the digits of `value` (below 10^19) ending at `end`; returns where they start.
char* WriteDigitsBackwards(std::uint64_t value, char* end) {
  do {
    *--end = static_cast<char>('0' + value % 10);
    value /= 10;
  } while (value != 0);
  return end;
}

// The text of a positive value below 10^6 with at most three decimals that
// read back as it (the inputs a clinician types: 170, 75.5, 2.35, 2.924),
// empty when the value has no such text.
// With at most 9 digits, value * 10^d is within a tiny fraction of the
// integer m of a decimal m / 10^d that reads back as the value, so rounding
// finds m; m / 10^d, both exact doubles, divides to the double nearest to
// the decimal, which is what reading it gives. Trying d = 0, 1, 2, 3 in turn
// finds the fewest decimals, and there is at most one decimal of d decimals
// within the value's rounding interval: it is the shortest text that reads
// back, the one std::to_chars writes.
std::string_view ShortDecimalText(double value, NumberTextBuffer& buffer) {
  static constexpr double kScales[] = {1, 10, 100, 1000};
  static constexpr std::uint64_t kWholeScales[] = {1, 10, 100, 1000};
  if (!(value > 0 && value < 1e6)) return {};
  for (int d = 0; d < 4; ++d) {
    const double scaled = std::nearbyint(value * kScales[d]);
    if (scaled / kScales[d] != value) continue;
    const auto m = static_cast<std::uint64_t>(scaled);
    char* const end = buffer.data() + 32;
    char* start = end;
    if (d > 0) {
      const std::uint64_t fraction = m % kWholeScales[d];
      start = WriteDigitsBackwards(fraction, end);
      while (end - start < d) *--start = '0';
      *--start = '.';
    }
    start = WriteDigitsBackwards(m / kWholeScales[d], start);
    return {start, static_cast<std::size_t>(end - start)};
  }
  return {};
}

#if defined(_LIBCPP_VERSION) && _LIBCPP_VERSION < 14000
// This libc++ (emscripten's, for the page) has no floating-point std::to_chars.
// The same text: printf's %.*f is correctly rounded, so the fewest decimals
// that read back give the decimal nearest the value among the shortest (and,
// as std::to_chars, every digit of a whole number too large for decimals).
template <typename Float>
std::string_view FixedText(Float value, NumberTextBuffer& buffer) {
  for (int decimals = 0;; ++decimals) {
    const int size =
        std::snprintf(buffer.data(), buffer.size(), "%.*f", decimals, static_cast<double>(value));
    if (size < 0 || static_cast<std::size_t>(size) >= buffer.size()) return "?";
    const Float back = std::is_same_v<Float, float> ? std::strtof(buffer.data(), nullptr)
                                                    : static_cast<Float>(std::strtod(buffer.data(), nullptr));
    if (back == value) return {buffer.data(), static_cast<std::size_t>(size)};
  }
}
#else
template <typename Float>
std::string_view FixedText(Float value, NumberTextBuffer& buffer) {
  const auto [end, ec] =
      std::to_chars(buffer.data(), buffer.data() + buffer.size(), value, std::chars_format::fixed);
  return ec == std::errc() ? std::string_view(buffer.data(), static_cast<std::size_t>(end - buffer.data()))
                           : std::string_view("?");
}
#endif

}  // namespace

std::string_view AsciiDigits(std::string_view text, TextEncoding encoding, std::string& scratch) {
  if (!HasNonAscii(text)) return text;
  scratch.clear();
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned c = byte(i);
    if (encoding == TextEncoding::kUtf8 && c == 0xEF && i + 2 < text.size() && byte(i + 1) == 0xBC &&
        byte(i + 2) >= 0x8C && byte(i + 2) <= 0x99 && byte(i + 2) != 0x8D && byte(i + 2) != 0x8F) {
      // U+FF0C ， U+FF0E ． U+FF10 to U+FF19 ０ to ９
      const unsigned low = byte(i + 2);
      scratch += low == 0x8C ? ',' : low == 0x8E ? '.' : static_cast<char>('0' + (low - 0x90));
      i += 2;
    } else if (encoding == TextEncoding::kUtf8 && c == 0xE3 && i + 2 < text.size() && byte(i + 1) == 0x80 &&
               byte(i + 2) == 0x80) {
      scratch += ' ';  // the ideographic space
      i += 2;
    } else if (encoding == TextEncoding::kShiftJis &&
               ((c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC)) && i + 1 < text.size()) {
      const unsigned code = (c << 8) | byte(i + 1);
      if (code >= 0x824F && code <= 0x8258) {
        scratch += static_cast<char>('0' + (code - 0x824F));
      } else if (code == 0x8144 || code == 0x8143 || code == 0x8140) {
        scratch += code == 0x8144 ? '.' : code == 0x8143 ? ',' : ' ';
      } else {
        scratch.append(text.substr(i, 2));
      }
      ++i;
    } else {
      scratch += static_cast<char>(c);
    }
  }
  return scratch;
}

InputError ReadSexText(std::string_view text, TextEncoding /*encoding*/, std::uint8_t& code) {
  const std::string_view s = TrimBlanks(text);
  if (s == "M" || s == "m" || s == "1" || IsOneOf(s, MaleSpellings())) {
    code = kSexMale;
    return InputError::kNone;
  }
  if (s == "F" || s == "f" || s == "2" || IsOneOf(s, FemaleSpellings())) {
    code = kSexFemale;
    return InputError::kNone;
  }
  return s.empty() ? InputError::kEmpty : InputError::kUnknownSex;
}

InputError ReadNumberText(PatientValue which, std::string_view text, TextEncoding encoding, double& number) {
  std::string_view trimmed;
  std::string scratch;
  return ReadNumber(which, text, encoding, number, trimmed, scratch);
}

bool ReadPatientTexts(const PatientTexts& texts, TextEncoding encoding, PatientInputs& inputs,
                      InputProblem& problem) {
  const InputError sex = ReadSexText(texts[0], encoding, inputs.sexCode);
  if (sex != InputError::kNone) {
    problem = {PatientValue::kSex, sex, std::string(TrimBlanks(texts[0]))};
    return false;
  }
  std::string scratch;  // only texts beyond ASCII use it
  for (std::size_t v = 1; v < kPatientValueCount; ++v) {
    const auto which = static_cast<PatientValue>(v);
    std::string_view trimmed;
    const InputError error =
        ReadNumber(which, texts[v], encoding, inputs.*kNumberTargets[v], trimmed, scratch);
    if (error != InputError::kNone) {
      problem = {which, error, std::string(TrimBlanks(trimmed))};
      return false;
    }
  }
  return true;
}

bool ReadPatientRecord(const PatientTexts& texts, TextEncoding encoding, PatientRecord& record,
                       InputProblem& problem) {
  if (!ReadPatientTexts(texts, encoding, record.inputs, problem)) return false;
  for (std::size_t v = 0; v < kPatientValueCount; ++v) {
    record.texts[v] = RecordText(static_cast<PatientValue>(v), texts[v], encoding);
  }
  return true;
}

std::array<InputProblem, kPatientValueCount> CheckPatientTexts(const PatientTexts& texts,
                                                               TextEncoding encoding) {
  std::array<InputProblem, kPatientValueCount> problems;
  for (std::size_t v = 0; v < kPatientValueCount; ++v) {
    const auto which = static_cast<PatientValue>(v);
    InputError error;
    if (which == PatientValue::kSex) {
      std::uint8_t code = 0;
      error = ReadSexText(texts[v], encoding, code);
    } else {
      double number = 0;
      error = ReadNumberText(which, texts[v], encoding, number);
    }
    problems[v] = {which, error,
                   error == InputError::kNone ? std::string() : std::string(TrimBlanks(texts[v]))};
  }
  return problems;
}

std::string_view NumberValueText(double value, NumberTextBuffer& buffer) {
  if (std::isnan(value)) return {};
  if (const std::string_view text = ShortDecimalText(value, buffer); !text.empty()) return text;
  return FixedText(value, buffer);
}

std::string_view NumberValueText(float value, NumberTextBuffer& buffer) {
  if (std::isnan(value)) return {};
  return FixedText(value, buffer);
}

}  // namespace kestrova
