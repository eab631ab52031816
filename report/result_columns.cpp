#include "report/result_columns.h"

#include <cassert>
#include <iterator>
#include <utility>

#include "display/panel_layout.h"
#include "input/limits.h"
#include "kestrova/reading.h"

namespace kestrova::report {

namespace {

// One result's columns: its number text, then for a row with a percentage
// cell the percentage and its flag. I is a constant, so whether the row has a
// cell is decided at compile time.
template <std::size_t I, class Column>
void ResultRowColumns(const PanelResult& result, Column& column) {
  const PanelRow& row = result.panel.rows[I];
  const std::string_view name = ResultFields()[I].name;
  column(name, "", row.Text());
  if constexpr (HasPercentCell(kRowLayouts[I])) {
    column(name, "Pct", row.cell.percent);
    column(name, "Red", row.cell.red ? "1" : "0");
  }
}

// The columns before the reading's, in order: calls column(name, suffix, text)
// for each, the column being named name + suffix. The one walk gives both the
// names (from any result) and a row's texts, so the two cannot disagree; it is
// inlined into each, and unrolled, so a row is a straight run of stores.
template <class Column, std::size_t... I>
void ForEachPanelColumn(const PanelResult& result, Column&& column, std::index_sequence<I...>) {
  (ResultRowColumns<I>(result, column), ...);
  column("measuredRatio", "", result.panel.measuredRatio.text);
  column("measuredRatio", "Red", result.panel.measuredRatio.red ? "1" : "0");
  constexpr std::string_view kQuantities[] = {"vc", "fvc", "fev1", "fev1Ratio"};
  for (std::size_t q = 0; q < std::size(kQuantities); ++q) {
    const auto& standing = result.jrs2014[q];
    column(kQuantities[q], "Uln", standing.ulnText);
    column(kQuantities[q], "Z", standing.zText);
    column(kQuantities[q], "Percentile", standing.percentileText);
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

const std::vector<std::string>& ResultColumnNames() {
  static const std::vector<std::string> names = [] {
    std::vector<std::string> n;
    ForEachPanelColumn(PanelResult{}, [&n](std::string_view name, std::string_view suffix, std::string_view) {
      n.push_back(std::string(name).append(suffix));
    });
    const Reading none;
    for (const ReadingItem& item : ReadingItems(none)) {
      for (const ReadingColumn& column : item.columns) n.emplace_back(column.name);
    }
    n.emplace_back("warnings");
    return n;
  }();
  return names;
}

void ReadResultColumns(const PanelResult& result, ResultColumnTexts& out) {
  out.texts.resize(ResultColumnNames().size());
  std::string_view* next = out.texts.data();
  ForEachPanelColumn(result,
                     [&next](std::string_view, std::string_view, std::string_view text) { *next++ = text; });
  // The reading as ASCII keys (the CSV stays in the encoding of its input).
  ReadResult(result, out.reading);
  ReadingColumnValues(out.reading,
                      std::span<std::string_view, kReadingColumnCount>(next, kReadingColumnCount));
  next += kReadingColumnCount;
  *next++ = WarningKeys(result.warnings);
  assert(next == out.texts.data() + out.texts.size());
}

void WriteResultColumns(const PanelResult& result, ResultColumnSink& sink) {
  // Reused by each thread's calls, so that a row allocates no room for its texts.
  thread_local ResultColumnTexts row;
  ReadResultColumns(result, row);
  for (std::string_view text : row.texts) sink.PlainField(text);
}

}  // namespace kestrova::report
