// Every Japanese text of the program, in one place.
//
// Sources are UTF-8. The build compiles with -fexec-charset=CP932, so each plain
// literal below becomes Shift-JIS (code page 932) bytes: the bytes the window,
// its controls and its message boxes use. Each text is also available as UTF-8
// (the `…Utf8` twin, a u8 literal, which the exec charset does not touch) for
// the command-line tool, which prints UTF-8 on Linux.
#ifndef KESTROVA_TEXTS_JAPANESE_TEXTS_H_
#define KESTROVA_TEXTS_JAPANESE_TEXTS_H_

#include <string_view>

namespace kestrova::texts {

// Defines `name` (CP932 bytes) and `nameUtf8` (UTF-8 bytes) from one literal.
#define KESTROVA_TEXT(name, literal)                     \
  inline constexpr std::string_view name = literal;      \
  inline const std::string_view name##Utf8 {             \
    reinterpret_cast<const char*>(u8##literal), sizeof(u8##literal) - 1 }

// Sex choice.
KESTROVA_TEXT(kMale, "男性");
KESTROVA_TEXT(kFemale, "女性");
// Message of a sex code other than 1 or 2: FormatNumber(code) + text, caption.
KESTROVA_TEXT(kSexCheckText, "性別のチェックを！");
KESTROVA_TEXT(kSexCheckCaption, "性別");

// Control texts of the main window.
KESTROVA_TEXT(kVcLabel, "ＶＣ(L)");
KESTROVA_TEXT(kHeightLabel, "身長(cm)");
KESTROVA_TEXT(kHeaderButton, "％値   　  　↓  　　予測値");
KESTROVA_TEXT(kFvcLabel, "FＶＣ(L)");
KESTROVA_TEXT(kAgeLabel, "年齢");
KESTROVA_TEXT(kControlFontFace, "ＭＳ Ｐゴシック");

// Field checks.
KESTROVA_TEXT(kVcRangeCaption, "1.0-15 です");
KESTROVA_TEXT(kFvcFev1RangeCaption, "1.0 - 15 です");
// "入力：" opens the VC range text and every relation warning; FVC and FEV1
// range texts use the variant with one ASCII space.
KESTROVA_TEXT(kFvcFev1RangePrefix, "入力： ");
KESTROVA_TEXT(kInputPrefix, "入力：");
KESTROVA_TEXT(kLessThanFvc, " < FVC：");
KESTROVA_TEXT(kLessThanFev1, " < FEV1：");
KESTROVA_TEXT(kGreaterThanVc, " > VC：");
KESTROVA_TEXT(kGreaterThanFvc, " > FVC：");
KESTROVA_TEXT(kRelationCaption, "確認 !!");
KESTROVA_TEXT(kHeightRangeText, "100-272cmです");
KESTROVA_TEXT(kHeightCaption, "身長");

#undef KESTROVA_TEXT

}  // namespace kestrova::texts

#endif  // KESTROVA_TEXTS_JAPANESE_TEXTS_H_
