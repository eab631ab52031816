#include "report/result_columns.h"

#include <cassert>
#include <iterator>
#include <limits>
#include <utility>

#include "display/panel_layout.h"
#include "input/limits.h"
#include "kestrova/reading.h"

namespace kestrova::report {

namespace {

// A flag column's value as a number: 1 or 0.
ShownNumber Flag(bool set) { return {.shown = true, .fixed = true, .scaled = set ? 1 : 0}; }

// One result's columns: its number, then for a row with a percentage cell
// the percentage and its flag. I is a constant, so whether the row has a cell
// is decided at compile time.
template <std::size_t I, class Column>
void ResultRowColumns(const PanelResult& result, Column& column) {
  const PanelRow& row = result.panel.rows[I];
  const std::string_view name = ResultFields()[I].name;
  column(name, "", ColumnKind::kNumber, row.Text(), row.number);
  if constexpr (HasPercentCell(kRowLayouts[I])) {
    column(name, "Pct", ColumnKind::kNumber, row.cell.percent, row.cell.number);
    column(name, "Red", ColumnKind::kFlag, row.cell.red ? "1" : "0", Flag(row.cell.red));
  }
}

// The columns before the reading's, in order: calls column(name, suffix,
// kind, text, number) for each, the column being named name + suffix and
// `number` its ShownNumber (a flag's shows 1 or 0). The one walk gives the
// names and kinds (from any result) and a row's texts and numbers, so they
// cannot disagree; it is inlined into each, and unrolled, so a row is a
// straight run of stores.
template <class Column, std::size_t... I>
void ForEachPanelColumn(const PanelResult& result, Column&& column, std::index_sequence<I...>) {
  (ResultRowColumns<I>(result, column), ...);
  const MeasuredRatioText& ratio = result.panel.measuredRatio;
  column("measuredRatio", "", ColumnKind::kNumber, ratio.text, ratio.number);
  column("measuredRatio", "Red", ColumnKind::kFlag, ratio.red ? "1" : "0", Flag(ratio.red));
  for (std::size_t q = 0; q < kJrs2014Quantities.size(); ++q) {
    const StandingView& standing = result.jrs2014[q];
    const std::string_view name = kJrs2014QuantityNames[q];
    column(name, "Uln", ColumnKind::kNumber, standing.ulnText, standing.ulnShown);
    column(name, "Z", ColumnKind::kNumber, standing.zText, standing.zShown);
    column(name, "Percentile", ColumnKind::kNumber, standing.percentileText, standing.percentileShown);
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

}  // namespace

const std::vector<ResultColumn>& ResultColumns() {
  static const std::vector<ResultColumn> columns = [] {
    std::vector<ResultColumn> c;
    ForEachPanelColumn(PanelResult{}, [&c](std::string_view name, std::string_view suffix, ColumnKind kind,
                                           std::string_view, const ShownNumber&) {
      c.push_back({std::string(name).append(suffix), kind});
    });
    const Reading none;
    for (const ReadingItem& item : ReadingItems(none)) {
      for (const ReadingColumn& column : item.columns) c.push_back({std::string(column.name), column.kind});
    }
    c.push_back({"warnings", ColumnKind::kText});
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

void ReadResultColumns(const PanelResult& result, ResultColumnTexts& out) {
  const std::size_t count = ResultColumnNames().size();
  out.texts.resize(count);
  std::string_view* next = out.texts.data();
  if (out.withNumbers) {
    out.numbers.resize(count);
    double* number = out.numbers.data();
    ForEachPanelColumn(result, [&next, &number](std::string_view, std::string_view, ColumnKind,
                                                std::string_view text, const ShownNumber& shown) {
      *next++ = text;
      *number++ = shown.Nearest();
    });
  } else {
    ForEachPanelColumn(result, [&next](std::string_view, std::string_view, ColumnKind, std::string_view text,
                                       const ShownNumber&) { *next++ = text; });
  }
  const std::size_t readingFirst = static_cast<std::size_t>(next - out.texts.data());
  // The reading as ASCII keys (the CSV stays in the encoding of its input).
  ReadResult(result, out.reading);
  ReadingColumnValues(out.reading,
                      std::span<std::string_view, kReadingColumnCount>(next, kReadingColumnCount));
  if (out.withNumbers) {
    ReadingColumnNumbers(out.reading, std::span<double, kReadingColumnCount>(
                                          out.numbers.data() + readingFirst, kReadingColumnCount));
    out.numbers.back() = std::numeric_limits<double>::quiet_NaN();  // warnings: a text
  }
  next += kReadingColumnCount;
  *next++ = WarningKeys(result.warnings);
  assert(next == out.texts.data() + out.texts.size());
}

}  // namespace kestrova::report
