#include "batch/header_names.h"

#include "io/text_encoding.h"
#include "numtext/utf8.h"

namespace kestrova::batch {
namespace {

struct Alias {
  std::u32string_view name;  // as NameKey gives it
  BatchColumn column;
  bool unit;  // may be followed by the column's unit
};

constexpr Alias kAliases[] = {
    {U"sex", kSex, false},      {U"性別", kSex, false},      {U"age", kAge, false},  {U"年齢", kAge, false},
    {U"height", kHeight, true}, {U"身長", kHeight, true},    {U"vc", kVc, true},     {U"肺活量", kVc, true},
    {U"fvc", kFvc, true},       {U"努力肺活量", kFvc, true}, {U"fev1", kFev1, true}, {U"fev1.0", kFev1, true},
    {U"1秒量", kFev1, true},    {U"一秒量", kFev1, true},
};

struct PatientAlias {
  std::u32string_view name;
  PatientColumn column;
};

constexpr PatientAlias kPatientAliases[] = {
    {U"id", PatientColumn::kId},         {U"患者id", PatientColumn::kId},
    {U"カルテ番号", PatientColumn::kId}, {U"受診者番号", PatientColumn::kId},
    {U"name", PatientColumn::kName},     {U"氏名", PatientColumn::kName},
    {U"名前", PatientColumn::kName},     {U"患者名", PatientColumn::kName},
    {U"date", PatientColumn::kDate},     {U"検査日", PatientColumn::kDate},
    {U"測定日", PatientColumn::kDate},   {U"受診日", PatientColumn::kDate},
};

}  // namespace

std::u32string NameKey(std::string_view text, TextEncoding encoding) {
  // Shift-JIS by the code page's own conversion (invalid bytes become U+FFFD).
  const std::string converted = encoding == TextEncoding::kShiftJis ? io::TextAsUtf8(text, encoding) : "";
  const std::string_view utf8 = encoding == TextEncoding::kShiftJis ? std::string_view(converted) : text;
  std::u32string key;
  for (std::size_t i = 0; i < utf8.size();) {
    const Utf8Char read = ReadUtf8Char(utf8, i);
    i += read.length == 0 ? 1 : read.length;  // a byte that is no character: U+FFFD
    char32_t ch = read.length == 0 ? 0xFFFD : static_cast<char32_t>(read.codePoint);
    if (ch >= 0xFF01 && ch <= 0xFF5E) ch -= 0xFEE0;  // full-width ASCII
    if (ch == 0x3000 || ch == U' ' || ch == U'\t') continue;
    if (ch >= U'A' && ch <= U'Z') ch += U'a' - U'A';
    key += ch;
  }
  return key;
}

std::optional<BatchColumn> ColumnOfHeaderName(std::string_view name, TextEncoding encoding) {
  const std::u32string key = NameKey(name, encoding);
  for (const Alias& alias : kAliases) {
    if (key.compare(0, alias.name.size(), alias.name) != 0) continue;
    const std::u32string_view rest = std::u32string_view(key).substr(alias.name.size());
    if (rest.empty()) return alias.column;
    if (!alias.unit) continue;
    const std::u32string_view unit = alias.column == kHeight ? U"cm" : U"l";
    for (const auto& [open, close] : {std::pair{U'(', U')'}, std::pair{U'[', U']'}}) {
      if (rest.size() == unit.size() + 2 && rest.front() == open && rest.back() == close &&
          rest.substr(1, unit.size()) == unit) {
        return alias.column;
      }
    }
    // "FEV1_L", "height_cm", and "FEV1 L" (blanks are dropped from the key).
    if (rest == unit || (rest.size() == unit.size() + 1 && rest.front() == U'_' && rest.substr(1) == unit)) {
      return alias.column;
    }
  }
  return std::nullopt;
}

std::optional<PatientColumn> PatientColumnOfHeaderName(std::string_view name, TextEncoding encoding) {
  const std::u32string key = NameKey(name, encoding);
  for (const PatientAlias& alias : kPatientAliases) {
    if (key == alias.name) return alias.column;
  }
  return std::nullopt;
}

}  // namespace kestrova::batch
