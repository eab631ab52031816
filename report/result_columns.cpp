#include "report/result_columns.h"

#include <cassert>
#include <iterator>
#include <limits>
#include <utility>

#include "display/panel_layout.h"
#include "input/limits.h"
#include "kestrova/reading.h"
#include "texts/japanese_texts.h"

namespace kestrova::report {

namespace {

// A flag column's value as a number: 1 or 0.
ShownNumber Flag(bool set) { return {.shown = true, .fixed = true, .scaled = set ? 1 : 0}; }

// A column's Japanese name in parts, joined by blanks where not empty:
// {"JRS2014", "VC", "％値"} is "JRS2014 VC ％値".
struct JaName {
  std::string_view parts[4];
};

// The quantity of a panel group or a JRS2014 standing in the Japanese header:
// VC, FVC, FEV1, 1秒率 (the group "FEV1.0 %", kJrs2014QuantityNames' fev1Ratio).
std::string_view QuantityJa(std::string_view group) {
  return group == "FEV1.0 %" ? texts::kColumnRatioUtf8 : group;
}
std::string_view QuantityJa(std::size_t q) {
  constexpr std::string_view kVolumes[] = {"VC", "FVC", "FEV1"};
  return q < std::size(kVolumes) ? kVolumes[q] : texts::kColumnRatioUtf8;
}

// One result's columns: its number, then for a row with a percentage cell
// the percentage and its flag. I is a constant, so whether the row has a cell
// is decided at compile time.
// In Japanese "JRS2014 VC 予測値", "JRS2014 VC ％値", "JRS2014 VC 赤"; an
// LLN row is JRS2014's: "JRS2014 VC LLN".
template <std::size_t I, class Column>
void ResultRowColumns(const PanelResult& result, Column& column) {
  const PanelRow& row = result.panel.rows[I];
  const ResultField& field = ResultFields()[I];
  const std::string_view quantity = QuantityJa(kRowLayouts[I].group);
  if constexpr (HasPercentCell(kRowLayouts[I])) {
    column(field.name, "", JaName{{field.label, quantity, texts::kReportPredictedUtf8}}, ColumnKind::kNumber,
           row.Text(), row.number);
    column(field.name, "Pct", JaName{{field.label, quantity, texts::kReportPercentUtf8}}, ColumnKind::kNumber,
           row.cell.percent, row.cell.number);
    column(field.name, "Red", JaName{{field.label, quantity, texts::kColumnRedUtf8}}, ColumnKind::kFlag,
           row.cell.red ? "1" : "0", Flag(row.cell.red));
  } else {
    column(field.name, "", JaName{{"JRS2014", quantity, field.label}}, ColumnKind::kNumber, row.Text(),
           row.number);
  }
}

// The columns before the reading's, in order: calls column(name, suffix,
// nameJa, kind, text, number) for each, the column being named name + suffix
// (in Japanese nameJa) and `number` its ShownNumber (a flag's shows 1 or 0). The one walk gives the
// names and kinds (from any result) and a row's texts and numbers, so they
// cannot disagree; it is inlined into each, and unrolled, so a row is a
// straight run of stores.
template <class Column, std::size_t... I>
void ForEachPanelColumn(const PanelResult& result, Column&& column, std::index_sequence<I...>) {
  (ResultRowColumns<I>(result, column), ...);
  const MeasuredRatioText& ratio = result.panel.measuredRatio;
  const std::string_view ratioJa = texts::kColumnRatioUtf8;
  column("measuredRatio", "", JaName{{ratioJa, texts::kReportMeasuredUtf8}}, ColumnKind::kNumber, ratio.text,
         ratio.number);
  column("measuredRatio", "Red", JaName{{ratioJa, texts::kReportMeasuredUtf8, texts::kColumnRedUtf8}},
         ColumnKind::kFlag, ratio.red ? "1" : "0", Flag(ratio.red));
  for (std::size_t q = 0; q < kJrs2014Quantities.size(); ++q) {
    const StandingView& standing = result.jrs2014[q];
    const std::string_view name = kJrs2014QuantityNames[q];
    const std::string_view quantity = QuantityJa(q);
    column(name, "Uln", JaName{{"JRS2014", quantity, "ULN"}}, ColumnKind::kNumber, standing.ulnText,
           standing.ulnShown);
    column(name, "Z", JaName{{"JRS2014", quantity, texts::kColumnZUtf8}}, ColumnKind::kNumber, standing.zText,
           standing.zShown);
    column(name, "Percentile", JaName{{"JRS2014", quantity, texts::kColumnPercentileUtf8}},
           ColumnKind::kNumber, standing.percentileText, standing.percentileShown);
  }
}

template <class Column>
void ForEachPanelColumn(const PanelResult& result, Column&& column) {
  ForEachPanelColumn(result, column, std::make_index_sequence<kResultCount>());
}

// The `warnings` column of each mask: its keys joined by ";", made once.
std::string_view WarningKeys(std::uint8_t warnings) {
  static const auto keys = [] {
    std::array<std::string, 1 << kRelationWarnings.size()> all;
    for (std::size_t mask = 0; mask < all.size(); ++mask)
      all[mask] = RelationWarningKeys(static_cast<std::uint8_t>(mask));
    return all;
  }();
  return keys[warnings & (keys.size() - 1)];
}

std::string Joined(const JaName& name) {
  std::string out;
  for (const std::string_view part : name.parts) {
    if (part.empty()) continue;
    if (!out.empty()) out += ' ';
    out += part;
  }
  return out;
}

// The Japanese `warnings` column: the window's texts joined by "、".
void WarningTextsJa(const PanelResult& result, std::string& out) {
  out.clear();
  for (const RelationWarning warning : kRelationWarnings) {
    if ((result.warnings & warning) == 0) continue;
    if (!out.empty()) out += texts::kReportRangeSeparatorUtf8;
    out += RelationWarningText(warning, result.inputs, TextEncoding::kUtf8);
  }
}

}  // namespace

const std::vector<ResultColumn>& ResultColumns() {
  static const std::vector<ResultColumn> columns = [] {
    std::vector<ResultColumn> c;
    ForEachPanelColumn(PanelResult{}, [&c](std::string_view name, std::string_view suffix, const JaName& ja,
                                           ColumnKind kind, std::string_view, const ShownNumber&) {
      c.push_back({std::string(name).append(suffix), Joined(ja), kind});
    });
    const Reading none;
    for (const ReadingItem& item : ReadingItems(none)) {
      for (const ReadingColumn& column : item.columns) {
        c.push_back({std::string(column.name), Joined(JaName{{item.name, column.nameJa}}), column.kind});
      }
    }
    c.push_back({"warnings", std::string(texts::kColumnWarningsUtf8), ColumnKind::kText});
    return c;
  }();
  return columns;
}

const std::vector<std::string>& ResultColumnNames() {
  static const std::vector<std::string> names = [] {
    std::vector<std::string> n;
    for (const ResultColumn& column : ResultColumns()) n.push_back(column.name);
    return n;
  }();
  return names;
}

const std::vector<std::string>& ResultColumnNamesJa() {
  static const std::vector<std::string> names = [] {
    std::vector<std::string> n;
    for (const ResultColumn& column : ResultColumns()) n.push_back(column.nameJa);
    return n;
  }();
  return names;
}

const std::vector<std::string>& ResultColumnNames(Language language) {
  return language == Language::kJapanese ? ResultColumnNamesJa() : ResultColumnNames();
}

const SheetColumn& ErrorColumn() {
  static const SheetColumn column{"error", texts::kIndexErrorUtf8};
  return column;
}

const std::array<SheetColumn, kInputColumnCount>& InputColumns() {
  static const std::array<SheetColumn, kInputColumnCount> columns = {{
      {kPatientValueNames[0], texts::kReportSexUtf8},
      {kPatientValueNames[1], texts::kReportAgeUtf8},
      {kPatientValueNames[2], texts::kHeightLabelUtf8},
      {kPatientValueNames[3], "VC(L)"},
      {kPatientValueNames[4], "FVC(L)"},
      {kPatientValueNames[5], "FEV1(L)"},
      {"id", "ID"},
      {"name", texts::kReportNameUtf8},
      {"date", texts::kReportDateUtf8},
  }};
  return columns;
}

void ReadResultColumns(const PanelResult& result, ResultColumnTexts& out) {
  const std::size_t count = ResultColumnNames().size();
  out.texts.resize(count);
  std::string_view* next = out.texts.data();
  if (out.withNumbers) {
    out.numbers.resize(count);
    double* number = out.numbers.data();
    ForEachPanelColumn(result, [&next, &number](std::string_view, std::string_view, const JaName&, ColumnKind,
                                                std::string_view text, const ShownNumber& shown) {
      *next++ = text;
      *number++ = shown.Nearest();
    });
  } else {
    ForEachPanelColumn(result, [&next](std::string_view, std::string_view, const JaName&, ColumnKind,
                                       std::string_view text, const ShownNumber&) { *next++ = text; });
  }
  const std::size_t readingFirst = static_cast<std::size_t>(next - out.texts.data());
  // The reading as ASCII keys, or in Japanese as the Japanese report words it.
  ReadResult(result, out.reading);
  const std::span<std::string_view, kReadingColumnCount> readingTexts(next, kReadingColumnCount);
  if (out.language == Language::kJapanese) {
    ReadingColumnValuesJa(out.reading, readingTexts);
  } else {
    ReadingColumnValues(out.reading, readingTexts);
  }
  if (out.withNumbers) {
    ReadingColumnNumbers(out.reading, std::span<double, kReadingColumnCount>(
                                          out.numbers.data() + readingFirst, kReadingColumnCount));
    out.numbers.back() = std::numeric_limits<double>::quiet_NaN();  // warnings: a text
  }
  next += kReadingColumnCount;
  if (out.language == Language::kJapanese) {
    WarningTextsJa(result, out.warningsJa);
    *next++ = out.warningsJa;
  } else {
    *next++ = WarningKeys(result.warnings);
  }
  assert(next == out.texts.data() + out.texts.size());
}

}  // namespace kestrova::report
