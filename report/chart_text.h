// The chart text (カルテ用テキスト): a result as plain text for the free-text
// box of an electronic chart, Japanese first. kestrova-cli --format chart
// prints it in UTF-8 with LF; the window copies the same text as UTF-16 with
// CRLF.
//
//   ID: A-1  氏名: 髙橋 花子  検査日: 2026-12-07      (only the known ones)
//   入力: 性別 男性 (M)  年齢 60歳  身長 170 cm  VC 3.0 L  FVC 2.9 L  FEV1 1.6 L
//   VC
//     JRS2014      4.14   72.5 %＊
//     LLN          3.42
//   …
//   FEV1.0 %  実測 0.552＊
//     JRS2014     0.788   70.1 %＊
//   ＊ 赤で示す値（LLN未満、％値80未満、または予測値未満）
//   判定
//   換気障害区分: 混合性換気障害（JRS2001 %VC 74.8, FEV1/FVC 0.552）
//   …
//   予測式: JRS2014, JRS2001, Baldwin, Berglund  Kestrova ver.26
//
// With GLI results asked for, the GLI section (report/gli_section.h) comes
// before the last line, which then names the GLI sets too:
//   GLI 予測値
//   GLI Global (2022)
//                 予測値    LLN    ULN   実測  zスコア パーセンタイル   ％値
//     FEV1         3.033  2.251  3.771  1.600    -2.92            0.2   52.8
//   …
//   ERS/ATS 2022 (GLI Global): 閉塞性換気障害 中等度 (FEV1 z -2.92)
//   Bowerman C et al. Am J Respir Crit Care Med 2023;207:768–774
//   GLI-2012 (North East Asian): 対象外（GLIは3～95歳）   (outside its ages)
//
// Numbers, placeholders and percentages are the panel's texts; a result the
// window paints red carries "＊" (the text has no colour). A JRS2014 or
// JRS2001 prediction that the age or the height leaves empty says why after
// its placeholder ("  JRS2014      *.**  適用範囲外（17～93歳）"), and an item
// of the reading outside its equation's ages gives the reason as its label
// ("COPD 病期: 対象外（JRS2001は18～95歳）"). Every line holds at
// most kChartColumns display columns (a character outside ASCII and the
// half-width katakana counts two, as in Shift-JIS) and ends without blanks: a
// longer line is broken at its last blank that fits, or between characters,
// and goes on indented. Control characters and bytes that are not UTF-8 in
// the given texts become a blank and U+FFFD.
#ifndef KESTROVA_REPORT_CHART_TEXT_H_
#define KESTROVA_REPORT_CHART_TEXT_H_

#include <cstddef>
#include <string>
#include <string_view>

#include "kestrova/gli_results.h"
#include "kestrova/kestrova.h"
#include "kestrova/reading.h"
#include "report/given_inputs.h"

namespace kestrova::report {

inline constexpr std::size_t kChartColumns = 80;

// The display columns of UTF-8 `text` (a byte that is not UTF-8 counts two).
std::size_t DisplayColumns(std::string_view text);

// The text for a computed result, every line ended by LF.
// With GLI results asked for, their section follows the reading.
std::string FormatChartText(const GivenInputs& given, const PanelResult& result, const Reading& reading,
                            const GliResults& gli = {});

}  // namespace kestrova::report

#endif  // KESTROVA_REPORT_CHART_TEXT_H_
