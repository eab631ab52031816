// The reading as an ordered list of items, the one description that the text
// report, the chart text, the HTML page and the batch index walk. Each item
// carries what a format shows of it, already chosen: which notes are shown,
// which label (the COPD stage with its staging condition, the lung age as
// years), and the details as text. Each also carries its values, each value
// once with where it goes: a member of the item's JSON object, a CSV column,
// or both; FormatJson and the CSV columns are written from them.
//
// Example: male, 60 years, 170 cm, VC 3.0, FVC 2.9, FEV1 1.6 gives six items;
// the first is
//   name "換気障害区分", nameEn "ventilatory pattern", equation "JRS2001",
//   details "%VC 74.8, FEV1/FVC 0.552", label {"mixed", "混合性換気障害", …};
// the text report writes it as
//   "換気障害区分 / ventilatory pattern (JRS2001 %VC 74.8, FEV1/FVC 0.552): …"
// and the page as the heading "換気障害区分 (JRS2001)" over the label and the
// details.
#ifndef KESTROVA_REPORT_READING_ITEMS_H_
#define KESTROVA_REPORT_READING_ITEMS_H_

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "kestrova/reading.h"

namespace kestrova::report {

// What a result column holds: a number (its text empty when there is none),
// a flag (1 or 0; empty when not read), or a text (an ASCII key, or the lung
// age in years).
enum class ColumnKind : std::uint8_t { kNumber, kFlag, kText };

// One CSV column of an item: its ASCII name and its value, which views the
// reading's texts or a constant ("1", a key); a number column's value also as
// data (a yes/no column that may be empty is a number: 1, 0 or none).
struct ReadingColumn {
  std::string_view name;  // "ventilatoryClass"
  ColumnKind kind = ColumnKind::kText;
  std::string_view value;  // "mixed"; empty when not read
  ShownNumber number;      // a number column's value; not shown when empty
  // The Japanese header names the column by its item's name and this ("%VC",
  // "重症度"), or by the item's name alone where this is empty.
  std::string_view nameJa;
  // A text column's value as the Japanese report words it ("混合性換気障害",
  // "62歳", the out-of-range reason); a number's or a flag's is `value`.
  std::string_view valueJa;
};

// An item's columns, held in place (no allocation).
struct ReadingColumns {
  static constexpr std::size_t kCapacity = 6;  // the most any item has (ERS/ATS 2022)
  std::array<ReadingColumn, kCapacity> slots{};
  std::size_t count = 0;

  const ReadingColumn* begin() const { return slots.data(); }
  const ReadingColumn* end() const { return slots.data() + count; }
};

// One value of an item and where it is written: a member of the item's JSON
// object, a CSV column, or both, the one text serving both (a flag's "1" or
// "0" is true or false in JSON). The JSON members come in their order; a
// column gives its place among the item's columns.
//   {"percentVc", kNumber, 1, {"ventilatoryPercentVc", ColumnKind::kNumber, "74.8", …}}
struct ReadingValue {
  enum class Json : std::uint8_t { kText, kTextOrNull, kNumber, kBool };
  std::string_view member;  // in the item's JSON object; empty when only a column
  Json json = Json::kText;
  std::uint8_t slot = 0;  // the column's place among the item's columns
  ReadingColumn column;   // its name empty when only a JSON member
};

// An item's values, held in place (no allocation).
struct ReadingValues {
  static constexpr std::size_t kCapacity = 14;  // ERS/ATS 2022: 13 members and a column
  std::array<ReadingValue, kCapacity> slots{};
  std::size_t count = 0;

  const ReadingValue* begin() const { return slots.data(); }
  const ReadingValue* end() const { return slots.data() + count; }
};

struct ReadingItem {
  std::string_view key;            // its member in JSON: "ventilatory", "copdStage", …
  std::string name;                // UTF-8: "換気障害区分（参考）", "ERS/ATS 2022"
  std::string_view nameEn;         // "ventilatory pattern (reference)"; empty when the name is English
  std::string_view equation;       // "JRS2001"
  std::string_view afterEquation;  // joins the equation and the details in a line of text
  bool computed = false;
  // Not read because the patient's age is outside that of the item's equation;
  // `label` then gives the reason ("対象外（JRS2001は18～95歳）").
  bool outOfRange = false;
  std::string details;  // "%VC 74.8, FEV1/FVC 0.552"; empty when there are none
  ReadingLabel label;
  bool labelEnRepeatsJa = false;  // "62" beside "62歳": the page leaves it out
  ReadingLabel condition;         // what the label holds on, written after it; empty when none
  ReadingLabel severity;          // the grade, or why there is none; empty when neither
  bool graded = false;            // `severity` is a grade
  ReadingLabel note;              // shown on its own; empty when none is shown
  // Its values, JSON's when read (out of range, JSON gives the equation,
  // "outOfRange": true and the reason instead).
  ReadingValues values;
  // Its CSV columns in order, taken from `values`: names always, values empty
  // when not read; out of range, the key column (the class, pattern, stage,
  // years or grade) holds "outOfRange" and the others stay empty.
  ReadingColumns columns;
};

// The items in the order every format shows them.
enum ReadingItemIndex : std::size_t {
  kVentilatoryItem,         // the ventilatory pattern by JRS2001's %VC
  kVentilatoryBaldwinItem,  // the same by Baldwin's, for reference
  kErsAts2022Item,
  kCopdItem,
  kLungAgeItem,
  kDisabilityItem,
  kReadingItemCount
};

// The items view the reading's texts (column values, the lung age's label),
// and through it the result's (%VC, the measured ratio, …), so the reading and
// its result must outlive them; a temporary reading does not compile.
std::array<ReadingItem, kReadingItemCount> ReadingItems(const Reading& reading);
std::array<ReadingItem, kReadingItemCount> ReadingItems(const Reading&& reading) = delete;

// The values of every item's columns one after the other, the same as the
// items' own, stored into `out`: what a CSV row reads, without building the
// items (the batch writes one row per patient; it has the names already).
// Allocates nothing; the values view `reading`, as above.
inline constexpr std::size_t kReadingColumnCount = 17;
void ReadingColumnValues(const Reading& reading, std::span<std::string_view, kReadingColumnCount> out);
void ReadingColumnValues(const Reading&& reading,
                         std::span<std::string_view, kReadingColumnCount> out) = delete;
// The same columns' values in Japanese (ReadingColumn::valueJa, UTF-8).
void ReadingColumnValuesJa(const Reading& reading, std::span<std::string_view, kReadingColumnCount> out);
void ReadingColumnValuesJa(const Reading&& reading,
                           std::span<std::string_view, kReadingColumnCount> out) = delete;
// The same columns' numbers (ShownNumber::Nearest; NaN for a text column or
// an empty value), for outputs that hand numbers on.
void ReadingColumnNumbers(const Reading& reading, std::span<double, kReadingColumnCount> out);

// ERS/ATS 2022 read on GLI Global (kestrova/reading.h ReadErsAtsGli) as an
// item described as the JRS2014 one is: its JSON key "ersAts2022Gli", its
// equation "GLI Global", its columns ersAtsGliPattern, ersAtsGliSeverity,
// ersAtsGliFev1FvcBelowLln, ersAtsGliFvcBelowLln, ersAtsGliFev1BelowLln and
// ersAtsGliFev1Z, holding what the ersAts… columns hold. It views `gli` (and
// the GLI results it views), as ReadingItems views its reading.
ReadingItem ErsAtsGliItem(const LlnReading& gli);
ReadingItem ErsAtsGliItem(const LlnReading&& gli) = delete;
// Its columns' values, Japanese values and numbers, as those of every item above.
inline constexpr std::size_t kErsAtsGliColumnCount = 6;
void ErsAtsGliColumnValues(const LlnReading& gli, std::span<std::string_view, kErsAtsGliColumnCount> out);
void ErsAtsGliColumnValues(const LlnReading&& gli,
                           std::span<std::string_view, kErsAtsGliColumnCount> out) = delete;
void ErsAtsGliColumnValuesJa(const LlnReading& gli, std::span<std::string_view, kErsAtsGliColumnCount> out);
void ErsAtsGliColumnValuesJa(const LlnReading&& gli,
                             std::span<std::string_view, kErsAtsGliColumnCount> out) = delete;
void ErsAtsGliColumnNumbers(const LlnReading& gli, std::span<double, kErsAtsGliColumnCount> out);

// "JRS2001 %VC 74.8, FEV1/FVC 0.552": the equation and the details as one
// line of text shows them.
std::string EquationAndDetails(const ReadingItem& item);

}  // namespace kestrova::report

#endif  // KESTROVA_REPORT_READING_ITEMS_H_
