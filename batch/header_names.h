// The names a batch file's header may give its columns, in English or in
// Japanese, in UTF-8 or Shift-JIS:
//   sex     性別
//   age     年齢
//   height  身長                 also with a unit: 身長(cm), height[cm], height_cm, height cm
//   vc      肺活量               also with a unit: 肺活量(L), VC[L], VC_L, VC L
//   fvc     努力肺活量           (the same units)
//   fev1    1秒量, 一秒量, FEV1.0 (the same units)
// and the patient's columns, shown in the reports (passed through like any other):
//   id      ID, 患者ID, カルテ番号, 受診者番号
//   name    氏名, 名前, 患者名
//   date    検査日, 測定日, 受診日
// A name matches in any case, with full-width letters, digits and brackets,
// and with blanks (ASCII or ideographic) anywhere.
#ifndef KESTROVA_BATCH_HEADER_NAMES_H_
#define KESTROVA_BATCH_HEADER_NAMES_H_

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "input/limits.h"

namespace kestrova::batch {

// The batch columns, in this order, and their names in messages.
enum BatchColumn : std::uint8_t { kSex, kAge, kHeight, kVc, kFvc, kFev1, kColumnCount };
// A column the file does not have (a field index nothing has).
inline constexpr std::size_t kNoColumn = static_cast<std::size_t>(-1);

// The input model's values, in its order and with its names.
inline constexpr const std::array<std::string_view, kColumnCount>& kColumnNames = kPatientValueNames;
static_assert(kColumnCount == kPatientValueCount && kFev1 == IndexOf(PatientValue::kFev1));

// The column a header name stands for, or nothing (a column passed through).
std::optional<BatchColumn> ColumnOfHeaderName(std::string_view name, TextEncoding encoding);

enum class PatientColumn : std::uint8_t { kId, kName, kDate };

// The patient column a header name stands for, or nothing.
std::optional<PatientColumn> PatientColumnOfHeaderName(std::string_view name, TextEncoding encoding);

// The text decoded to code points, for matching names: full-width ASCII forms
// and the ideographic space become their ASCII twins, ASCII letters become
// lower case, and blanks are dropped. Bytes that are not a character of the
// encoding become U+FFFD.
std::u32string NameKey(std::string_view text, TextEncoding encoding);

}  // namespace kestrova::batch

#endif  // KESTROVA_BATCH_HEADER_NAMES_H_
