#include "batch/header_names.h"

#include <algorithm>

#include "numtext/utf8.h"

namespace kestrova::batch {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

// Shift-JIS codes of the characters the names need beyond ASCII, sorted.
struct ShiftJisChar {
  std::uint16_t code;
  char32_t ch;
};
constexpr ShiftJisChar kShiftJisChars[] = {
    {0x8140, 0x3000},  // ideographic space
    {0x8144, 0xFF0E},  // ．
    {0x8169, 0xFF08},  // （
    {0x816A, 0xFF09},  // ）
    {0x816D, 0xFF3B},  // ［
    {0x816E, 0xFF3D},  // ］
    {0x834A, 0x30AB},  // カ
    {0x8365, 0x30C6},  // テ
    {0x838B, 0x30EB},  // ル
    {0x88EA, 0x4E00},  // 一
    {0x8A88, 0x6D3B},  // 活
    {0x8AB3, 0x60A3},  // 患
    {0x8C9F, 0x691C},  // 検
    {0x8D86, 0x53F7},  // 号
    {0x8DB8, 0x67FB},  // 査
    {0x8E81, 0x6C0F},  // 氏
    {0x8ED2, 0x8005},  // 者
    {0x8EF3, 0x53D7},  // 受
    {0x9066, 0x8A3A},  // 診
    {0x9067, 0x8EAB},  // 身
    {0x90AB, 0x6027},  // 性
    {0x914F, 0x524D},  // 前
    {0x91AA, 0x6E2C},  // 測
    {0x92B7, 0x9577},  // 長
    {0x92E8, 0x5B9A},  // 定
    {0x9377, 0x52AA},  // 努
    {0x93FA, 0x65E5},  // 日
    {0x944E, 0x5E74},  // 年
    {0x9478, 0x80BA},  // 肺
    {0x94D4, 0x756A},  // 番
    {0x9562, 0x79D2},  // 秒
    {0x95CA, 0x5225},  // 別
    {0x96BC, 0x540D},  // 名
    {0x97CA, 0x91CF},  // 量
    {0x97CD, 0x529B},  // 力
    {0x97EE, 0x9F62},  // 齢
};

char32_t ShiftJisDoubleByte(unsigned lead, unsigned trail) {
  const unsigned code = (lead << 8) | trail;
  if (code >= 0x824F && code <= 0x8258) return 0xFF10 + (code - 0x824F);  // ０-９
  if (code >= 0x8260 && code <= 0x8279) return 0xFF21 + (code - 0x8260);  // Ａ-Ｚ
  if (code >= 0x8281 && code <= 0x829A) return 0xFF41 + (code - 0x8281);  // ａ-ｚ
  const auto* end = std::end(kShiftJisChars);
  const auto* found = std::lower_bound(std::begin(kShiftJisChars), end, code,
                                       [](const ShiftJisChar& c, unsigned v) { return c.code < v; });
  return found != end && found->code == code ? found->ch : kReplacement;
}

bool IsShiftJisLead(unsigned c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }
bool IsShiftJisTrail(unsigned c) { return c >= 0x40 && c <= 0xFC && c != 0x7F; }

std::u32string DecodeShiftJis(std::string_view text) {
  std::u32string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const unsigned c = static_cast<unsigned char>(text[i]);
    if (c < 0x80) {
      out += static_cast<char32_t>(c);
    } else if (IsShiftJisLead(c) && i + 1 < text.size() &&
               IsShiftJisTrail(static_cast<unsigned char>(text[i + 1]))) {
      out += ShiftJisDoubleByte(c, static_cast<unsigned char>(text[++i]));
    } else {
      out += kReplacement;  // half-width katakana, or a broken character
    }
  }
  return out;
}

std::u32string DecodeUtf8(std::string_view text) {
  std::u32string out;
  std::size_t i = 0;
  while (i < text.size()) {
    const Utf8Char ch = ReadUtf8Char(text, i);
    if (ch.length == 0) {
      out += kReplacement;
      ++i;
      continue;
    }
    out += static_cast<char32_t>(ch.codePoint);
    i += ch.length;
  }
  return out;
}

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
  const std::u32string decoded =
      encoding == TextEncoding::kShiftJis ? DecodeShiftJis(text) : DecodeUtf8(text);
  std::u32string key;
  for (char32_t ch : decoded) {
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
