#include "report/result_columns.h"

#include <cassert>
#include <cmath>
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

// A GLI set's part of its columns' names, in English and in Japanese.
struct GliSetColumns {
  bool GliRequest::*asked;
  const GliSetResults GliResults::*results;
  std::string_view name;    // "gliGlobal"
  std::string_view nameJa;  // "GLI Global"
};
constexpr std::array<GliSetColumns, 2> kGliSetColumns = {{
    {&GliRequest::global, &GliResults::global, "gliGlobal", kGliGlobalEquation},
    {&GliRequest::gli2012, &GliResults::gli2012, "gli2012", "GLI-2012"},
}};

// GLI's quantities (kGliQuantities) in its columns' names; FEV1/FVC in
// Japanese as the JRS columns name the ratio.
struct GliQuantityColumn {
  std::string_view name;
  std::string_view nameJa;
};
const std::array<GliQuantityColumn, kGliQuantities.size()>& GliQuantityColumns() {
  static const std::array<GliQuantityColumn, kGliQuantities.size()> columns = {{
      {"Fev1", "FEV1"},
      {"Fvc", "FVC"},
      {"Fev1Fvc", texts::kColumnRatioUtf8},
  }};
  return columns;
}

// A GLI quantity's columns, in order. Z stands fourth, its text the GLI
// results' own (GliQuantityResult::zText); the others are written here.
struct GliValueColumn {
  std::string_view suffix;
  std::string_view nameJa;
};
const std::array<GliValueColumn, 6>& GliValueColumns() {
  static const std::array<GliValueColumn, 6> columns = {{
      {"Pred", texts::kReportPredictedUtf8},
      {"Lln", "LLN"},
      {"Uln", "ULN"},
      {"Z", texts::kColumnZUtf8},
      {"Pctl", texts::kColumnPercentileUtf8},
      {"Pct", texts::kColumnPercentPredictedUtf8},
  }};
  return columns;
}
constexpr std::size_t kGliZColumn = 3;

// `value` rounded half up through its text to N decimals, into `text` and,
// when asked for, `shown`; empty and not shown when there is no value (NaN)
// or the set is not computed. Without `shown` nothing reads the text back.
template <int N>
std::string_view GliNumber(bool computed, double value, std::string& text, ShownNumber* shown) {
  if (shown != nullptr) *shown = {};
  if (!computed || !std::isfinite(value)) {
    text.clear();
    return text;
  }
  // Written over the last row's text, not after clearing it: a text of the
  // same length is then rewritten in place, without resizing the string.
  if (shown != nullptr) {
    RoundThroughText<N>(value, text, {}, *shown);
  } else {
    FormatFixedTo<N>(value, text);
  }
  return text;
}

std::size_t GliIndex(const GliRequest& gli) { return (gli.global ? 1 : 0) + (gli.gli2012 ? 2 : 0); }

// The GLI columns of the sets `gli` asks for, appended to `c`.
void AppendGliColumns(const GliRequest& gli, std::vector<ResultColumn>& c) {
  for (const GliSetColumns& set : kGliSetColumns) {
    if (!(gli.*set.asked)) continue;
    for (const GliQuantityColumn& quantity : GliQuantityColumns()) {
      for (const GliValueColumn& column : GliValueColumns()) {
        c.push_back({std::string(set.name).append(quantity.name).append(column.suffix),
                     Joined(JaName{{set.nameJa, quantity.nameJa, column.nameJa}}), ColumnKind::kNumber});
      }
    }
    if (set.asked != &GliRequest::global) continue;
    const LlnReading none;
    const ReadingItem item = ErsAtsGliItem(none);
    for (const ReadingColumn& column : item.columns) {
      c.push_back(
          {std::string(column.name), Joined(JaName{{item.name, set.nameJa, column.nameJa}}), column.kind});
    }
  }
}

// The GLI columns' texts (and numbers) from `next` (and `number`) on; returns
// the place after them.
std::string_view* ReadGliColumns(const PanelResult& result, ResultColumnTexts& out, std::string_view* next,
                                 double* number) {
  ComputeGliResults(result.inputs, out.gli, out.gliResults);
  std::string* text = out.gliTexts.data();
  ShownNumber shown[6];
  const auto keep = [&](std::size_t column) { return number != nullptr ? &shown[column] : nullptr; };
  for (const GliSetColumns& set : kGliSetColumns) {
    if (!(out.gli.*set.asked)) continue;
    const GliSetResults& results = out.gliResults.*set.results;
    for (const GliQuantityResult& r : results.quantities) {
      const bool measured = results.computed && r.measured;
      next[0] = GliNumber<3>(results.computed, r.prediction.predicted, text[0], keep(0));
      next[1] = GliNumber<3>(results.computed, r.prediction.lln, text[1], keep(1));
      next[2] = GliNumber<3>(results.computed, r.prediction.uln, text[2], keep(2));
      next[kGliZColumn] = measured ? std::string_view(r.zText) : std::string_view();
      shown[kGliZColumn] = measured ? r.zShown : ShownNumber{};
      next[4] = GliNumber<1>(measured, r.score.percentile, text[3], keep(4));
      next[5] = GliNumber<1>(measured, r.score.percentPredicted, text[4], keep(5));
      if (number != nullptr) {
        for (std::size_t i = 0; i < std::size(shown); ++i) *number++ = shown[i].Nearest();
      }
      next += std::size(shown);
      text += 5;
    }
    if (set.asked != &GliRequest::global) continue;
    ReadErsAtsGli(out.gliResults, out.gliReading);
    const std::span<std::string_view, kErsAtsGliColumnCount> reading(next, kErsAtsGliColumnCount);
    if (out.language == Language::kJapanese) {
      ErsAtsGliColumnValuesJa(out.gliReading, reading);
    } else {
      ErsAtsGliColumnValues(out.gliReading, reading);
    }
    if (number != nullptr) {
      ErsAtsGliColumnNumbers(out.gliReading,
                             std::span<double, kErsAtsGliColumnCount>(number, kErsAtsGliColumnCount));
      number += kErsAtsGliColumnCount;
    }
    next += kErsAtsGliColumnCount;
  }
  return next;
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

const std::vector<ResultColumn>& ResultColumns(const GliRequest& gli) {
  static const std::array<std::vector<ResultColumn>, 4> columns = [] {
    std::array<std::vector<ResultColumn>, 4> all;
    for (std::size_t i = 0; i < all.size(); ++i) {
      all[i] = ResultColumns();
      AppendGliColumns({.global = (i & 1) != 0, .gli2012 = (i & 2) != 0}, all[i]);
    }
    return all;
  }();
  return columns[GliIndex(gli)];
}

const std::vector<std::string>& ResultColumnNames(Language language, const GliRequest& gli) {
  static const std::array<std::vector<std::string>, 8> names = [] {
    std::array<std::vector<std::string>, 8> all;
    for (std::size_t i = 0; i < all.size(); ++i) {
      const bool japanese = i >= 4;
      for (const ResultColumn& column : ResultColumns({.global = (i & 1) != 0, .gli2012 = (i & 2) != 0}))
        all[i].push_back(japanese ? column.nameJa : column.name);
    }
    return all;
  }();
  return names[(language == Language::kJapanese ? 4 : 0) + GliIndex(gli)];
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
  const std::size_t count = ResultColumns(out.gli).size();
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
    out.numbers[readingFirst + kReadingColumnCount] =
        std::numeric_limits<double>::quiet_NaN();  // warnings: a text
  }
  next += kReadingColumnCount;
  if (out.language == Language::kJapanese) {
    WarningTextsJa(result, out.warningsJa);
    *next++ = out.warningsJa;
  } else {
    *next++ = WarningKeys(result.warnings);
  }
  if (out.gli.global || out.gli.gli2012) {
    const std::size_t gliFirst = static_cast<std::size_t>(next - out.texts.data());
    next = ReadGliColumns(result, out, next, out.withNumbers ? out.numbers.data() + gliFirst : nullptr);
  }
  assert(next == out.texts.data() + out.texts.size());
}

}  // namespace kestrova::report
