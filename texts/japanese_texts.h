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
#define KESTROVA_TEXT(name, literal)                                    \
  inline constexpr std::string_view name = literal;                     \
  inline const std::string_view name##Utf8 {                            \
    reinterpret_cast<const char*>(u8##literal), sizeof(u8##literal) - 1 \
  }

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

// What the page says beside a value it refuses (input/limits.h); UTF-8 only.
KESTROVA_TEXT(kInputEmpty, "入力してください");
KESTROVA_TEXT(kInputSexEmpty, "性別を選んでください");
KESTROVA_TEXT(kInputUnknownSex, "性別は M/F、1/2、男性/女性 のいずれかで入力してください");
KESTROVA_TEXT(kInputNotANumber, "数値で入力してください（例 45、160.5）");
KESTROVA_TEXT(kInputDecimalComma, "小数点は「.」で入力してください（例 3.1）");
KESTROVA_TEXT(kInputMillilitres, "リットル（L）で入力してください（例 2.45）");
KESTROVA_TEXT(kInputNotAboveZero, "0 より大きい値を入力してください");
KESTROVA_TEXT(kInputNegative, "0 以上の値を入力してください（空欄は未測定）");
KESTROVA_TEXT(kInputAboveLimit, " 以下の値を入力してください");

// A later start that was handed a patient while a window is open (exit status 3).
KESTROVA_TEXT(kHandOverRefusedText,
              "Kestrova はすでに起動しています。\n"
              "送られた値は反映されていません。\n\n"
              "開いている Kestrova を閉じてから、もう一度送ってください。");

// Clinical reading (kestrova-cli and the library; the window does not show it).
KESTROVA_TEXT(kReadingTitle, "判定");
KESTROVA_TEXT(kVentilatoryName, "換気障害区分");
// Marks the pattern by Baldwin's %VC as for reference beside the one by JRS2001.
KESTROVA_TEXT(kReferenceMark, "（参考）");
KESTROVA_TEXT(kCopdName, "COPD 病期");
KESTROVA_TEXT(kLungAgeName, "肺年齢");
KESTROVA_TEXT(kDisabilityName, "呼吸器機能障害 指数（予測肺活量1秒率）");
KESTROVA_TEXT(kNotRead, "判定なし");
// An item outside the ages of its equation: "対象外（JRS2001は18～95歳）",
// "対象外（Baldwinは18歳以上）".
KESTROVA_TEXT(kOutOfRangeOpen, "対象外（");
KESTROVA_TEXT(kOutOfRangeTopic, "は");
KESTROVA_TEXT(kRangeClose, "）");
// Age ranges: "17～93歳", "18歳以上".
KESTROVA_TEXT(kRangeTo, "～");
KESTROVA_TEXT(kYearsAndOver, "歳以上");
// Ventilatory pattern by %VC and FEV1/FVC.
KESTROVA_TEXT(kPatternNormal, "正常");
KESTROVA_TEXT(kPatternRestrictive, "拘束性換気障害");
KESTROVA_TEXT(kPatternObstructive, "閉塞性換気障害");
KESTROVA_TEXT(kPatternMixed, "混合性換気障害");
// The reading by z-scores and lower limits of normal.
KESTROVA_TEXT(kLlnNormal, "正常");
KESTROVA_TEXT(kLlnObstruction, "閉塞性換気障害");
KESTROVA_TEXT(kLlnPossibleRestriction, "FVC低下、拘束性障害の疑い（TLC測定が必要）");
KESTROVA_TEXT(kLlnPrism, "PRISm（1秒率正常・1秒量低下）");
KESTROVA_TEXT(kLlnPossibleMixed, "閉塞性換気障害＋FVC低下（混合性の鑑別にはTLC測定が必要）");
// Beside PRISm when FVC is below its LLN as well.
KESTROVA_TEXT(kLlnPrismLowFvcNote, "拘束性障害の可能性：TLCの測定を");
KESTROVA_TEXT(kSeverityMild, "軽度");
KESTROVA_TEXT(kSeverityModerate, "中等度");
KESTROVA_TEXT(kSeveritySevere, "高度");
KESTROVA_TEXT(kSeverityFev1NotBelowLln, "FEV1はLLN以上（重症度の判定なし）");
// COPD stages by %FEV1.
KESTROVA_TEXT(kCopdStage1, "I期（軽度の気流閉塞）");
KESTROVA_TEXT(kCopdStage2, "II期（中等度の気流閉塞）");
KESTROVA_TEXT(kCopdStage3, "III期（高度の気流閉塞）");
KESTROVA_TEXT(kCopdStage4, "IV期（きわめて高度の気流閉塞）");
KESTROVA_TEXT(kCopdNotStaged, "1秒率70%以上：病期分類の対象外");
KESTROVA_TEXT(kCopdNote, "病期分類は気管支拡張薬吸入後の値で行う");
// Printed beside a stage: the stage holds only for post-bronchodilator values.
KESTROVA_TEXT(kCopdPostBronchodilator, "※気管支拡張薬投与後の値の場合");
// Lung age.
KESTROVA_TEXT(kYearsSuffix, "歳");
KESTROVA_TEXT(kLungAgeUnder18, "18歳未満");
KESTROVA_TEXT(kLungAgeOver95, "95歳以上");
KESTROVA_TEXT(kLungAgeCorrected, "1秒率70%未満かつ%1秒量100%以上のため実年齢に補正");
// Respiratory disability index.
KESTROVA_TEXT(kGrade1, "1級相当");
KESTROVA_TEXT(kGrade3, "3級相当");
KESTROVA_TEXT(kGrade4, "4級相当");
KESTROVA_TEXT(kGradeNone, "非該当");
KESTROVA_TEXT(kDisabilityNote, "認定には動脈血ガス分析値と医師の所見もあわせて判断される");

// The HTML report of kestrova-cli (--format html, --html-dir).
KESTROVA_TEXT(kReportTitle, "スパイロメトリー 予測値と判定");
KESTROVA_TEXT(kReportSex, "性別");
KESTROVA_TEXT(kReportAge, "年齢");
KESTROVA_TEXT(kReportHeight, "身長");
KESTROVA_TEXT(kReportResults, "予測値と％値");
KESTROVA_TEXT(kReportEquation, "予測式");
KESTROVA_TEXT(kReportPredicted, "予測値");
KESTROVA_TEXT(kReportPercent, "％値");
KESTROVA_TEXT(kReportMeasured, "実測");
KESTROVA_TEXT(kReportRedLegend, "＊ 赤で示す値（LLN未満、％値80未満、または予測値未満）");
KESTROVA_TEXT(kReportChart, "JRS2014 zスコア");
KESTROVA_TEXT(kReportBelowLln, "LLN未満");
KESTROVA_TEXT(kReportNoMeasured, "測定値なし");
KESTROVA_TEXT(kReportNoPrediction, "予測値なし（JRS2014の範囲外）");
KESTROVA_TEXT(kReportBeyondAxis, "軸の範囲外");
// Beside a prediction that the age or the height leaves empty:
// "適用範囲外（17～93歳）", "適用範囲外（身長110cm以上）",
// "適用範囲外（18～95歳、身長120～190cm）".
KESTROVA_TEXT(kReportNotInRangeOpen, "適用範囲外（");
KESTROVA_TEXT(kReportNotInRangeHeight, "身長");
KESTROVA_TEXT(kReportCmAndOver, "cm以上");
KESTROVA_TEXT(kReportRangeSeparator, "、");
KESTROVA_TEXT(kReportName, "氏名");
KESTROVA_TEXT(kReportDate, "検査日");
KESTROVA_TEXT(kReportFooter, "表示の値は医師の判断のための参考値です。");
KESTROVA_TEXT(kIndexTitle, "レポート一覧");
KESTROVA_TEXT(kIndexRow, "行");
KESTROVA_TEXT(kIndexReport, "レポート");
KESTROVA_TEXT(kIndexFlags, "赤の項目");
KESTROVA_TEXT(kIndexError, "エラー");

// The Japanese header of the result columns (kestrova-cli --batch --lang ja,
// the window's copied row), beside the report's 予測値, ％値, 実測 and LLN未満.
KESTROVA_TEXT(kColumnRatio, "1秒率");
KESTROVA_TEXT(kColumnRed, "赤");
KESTROVA_TEXT(kColumnZ, "zスコア");
KESTROVA_TEXT(kColumnPercentile, "パーセンタイル");
KESTROVA_TEXT(kColumnPercentPredicted, "％予測");  // GLI: 100·measured/predicted
KESTROVA_TEXT(kColumnSeverity, "重症度");
KESTROVA_TEXT(kColumnFev1FvcBelowLln, "1秒率 LLN未満");
KESTROVA_TEXT(kColumnFvcBelowLln, "FVC LLN未満");
KESTROVA_TEXT(kColumnFev1BelowLln, "FEV1 LLN未満");
KESTROVA_TEXT(kColumnFev1Z, "FEV1 zスコア");
KESTROVA_TEXT(kColumnLungAgeValue, "計算値");
KESTROVA_TEXT(kColumnLungAgeCorrected, "実年齢に補正");
KESTROVA_TEXT(kColumnGrade, "等級");
KESTROVA_TEXT(kColumnWarnings, "入力の確認");

// What is wrong with a batch row (kestrova-cli --batch --lang ja): "3 列目が
// 1 MiB を超えています", "列の数が 5（見出しは 7）です：年齢 の列がありません",
// "年齢「forty」：数値で入力してください（例 45、160.5）", "年齢：入力してください";
// the last line: "10 行のうち 2 行を読めませんでした".
KESTROVA_TEXT(kRowFieldTooLong, " 列目が 1 MiB を超えています");
KESTROVA_TEXT(kRowTooLong, "行が 16 MiB を超えています");
KESTROVA_TEXT(kRowTooManyFields, "列の数が 65536 を超えています");
KESTROVA_TEXT(kRowFieldNotUtf8, " 列目が UTF-8 として正しくありません");
KESTROVA_TEXT(kRowQuoteNotClosed, "引用符で始まる値が入力の終わりまで閉じられていません");
KESTROVA_TEXT(kRowFieldCount, "列の数が ");
KESTROVA_TEXT(kRowFieldCountHeader, "（見出しは ");
KESTROVA_TEXT(kRowFieldCountClose, "）です");
KESTROVA_TEXT(kRowMissingColumn, " の列がありません");
KESTROVA_TEXT(kRowValueOpen, "「");
KESTROVA_TEXT(kRowValueClose, "」");
KESTROVA_TEXT(kRowColon, "：");
KESTROVA_TEXT(kRowNotComputed, "この値では計算できません");
KESTROVA_TEXT(kRowsFailedOf, " 行のうち ");
KESTROVA_TEXT(kRowsFailed, " 行を読めませんでした");

// The items the window adds to its system menu, and what they say when they fail.
KESTROVA_TEXT(kMenuCopyChart, "カルテ用にコピー(&K)");
KESTROVA_TEXT(kMenuCopyTable, "表形式でコピー(&T)");
KESTROVA_TEXT(kMenuCopyTableHeader, "表の見出しをコピー(&H)");
KESTROVA_TEXT(kMenuShowReport, "レポートを表示・印刷(&P)");
KESTROVA_TEXT(kMenuSaveReport, "レポートを保存(&A)...");
KESTROVA_TEXT(kMenuVersion, "バージョン情報(&V)");
KESTROVA_TEXT(kClipboardFailed, "クリップボードにコピーできませんでした。もう一度お試しください。");
KESTROVA_TEXT(kTempReportFailed, "一時フォルダーにレポートを書き込めませんでした。");
KESTROVA_TEXT(kBrowserFailed, "レポートをブラウザーで開けませんでした。既定のブラウザーを確認してください。");
KESTROVA_TEXT(kSaveReportFailed, "レポートを保存できませんでした。保存先のフォルダーに書き込めません。");
KESTROVA_TEXT(kSaveNameUnusable, "このファイル名は使えません。別の名前を指定してください。");
KESTROVA_TEXT(kSaveDeviceName,
              "CON、PRN、AUX、NUL、COM1～COM9、LPT1～LPT9 は Windows が装置に使う名前のため、"
              "ファイル名に使えません。別の名前を指定してください。");
KESTROVA_TEXT(kSaveReportTitle, "レポートを保存");
KESTROVA_TEXT(kSaveReportFilter, "HTML レポート (*.html)");
KESTROVA_TEXT(kVersionCaption, "バージョン情報");
KESTROVA_TEXT(kVersionEquations, "予測式: JRS2014（LLN）、JRS2001、Baldwin（VC）、Berglund（FEV1）");
KESTROVA_TEXT(kVersionLicence, "Copyright (c) 2026 Kestrova. All rights reserved.");

// The chart text (kestrova-cli --format chart, the window's copy for the chart).
KESTROVA_TEXT(kChartInputs, "入力");
KESTROVA_TEXT(kChartMark, "＊");

#undef KESTROVA_TEXT

}  // namespace kestrova::texts

#endif  // KESTROVA_TEXTS_JAPANESE_TEXTS_H_
