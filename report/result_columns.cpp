#include "report/result_columns.h"

#include <iterator>

#include "kestrova/reading.h"
#include "report/reading_items.h"

namespace kestrova::report {

namespace {

// What a column's value is read from.
struct ColumnSource {
  const PanelResult& result;
};

// A column: its name and how its text is read (`index` picks a result row,
// a JRS2014 quantity or a ventilatory reading). The texts are read in place,
// so a row makes no copies.
struct ResultColumn {
  std::string name;
  std::string_view (*value)(const ColumnSource&, std::size_t index);
  std::size_t index = 0;
};

std::vector<ResultColumn> MakeResultColumns() {
  std::vector<ResultColumn> c;
  for (std::size_t i = 0; i < kResultCount; ++i) {
    const std::string name(ResultFields()[i].name);
    c.push_back(
        {name, [](const ColumnSource& s, std::size_t r) { return s.result.panel.rows[r].Text(); }, i});
    if (HasPercentCell(RowLayouts()[i])) {
      c.push_back({name + "Pct",
                   [](const ColumnSource& s, std::size_t r) -> std::string_view {
                     return s.result.panel.rows[r].cell.percent;
                   },
                   i});
      c.push_back({name + "Red",
                   [](const ColumnSource& s, std::size_t r) -> std::string_view {
                     return s.result.panel.rows[r].cell.red ? "1" : "0";
                   },
                   i});
    }
  }
  c.push_back({"measuredRatio", [](const ColumnSource& s, std::size_t) -> std::string_view {
                 return s.result.panel.measuredRatio.text;
               }});
  c.push_back({"measuredRatioRed", [](const ColumnSource& s, std::size_t) -> std::string_view {
                 return s.result.panel.measuredRatio.red ? "1" : "0";
               }});
  const char* const quantities[] = {"vc", "fvc", "fev1", "fev1Ratio"};
  for (std::size_t q = 0; q < std::size(quantities); ++q) {
    const std::string name(quantities[q]);
    c.push_back(
        {name + "Uln",
         [](const ColumnSource& s, std::size_t i) -> std::string_view { return s.result.jrs2014[i].ulnText; },
         q});
    c.push_back(
        {name + "Z",
         [](const ColumnSource& s, std::size_t i) -> std::string_view { return s.result.jrs2014[i].zText; },
         q});
    c.push_back({name + "Percentile",
                 [](const ColumnSource& s, std::size_t i) -> std::string_view {
                   return s.result.jrs2014[i].percentileText;
                 },
                 q});
  }
  return c;
}

// One table of the columns before the reading's, in order: the names and the
// values come from it; the reading's items then give theirs.
const std::vector<ResultColumn>& ResultColumns() {
  static const std::vector<ResultColumn> columns = MakeResultColumns();
  return columns;
}

}  // namespace

const std::vector<std::string>& ResultColumnNames() {
  static const std::vector<std::string> names = [] {
    std::vector<std::string> n;
    for (const ResultColumn& column : ResultColumns()) n.push_back(column.name);
    const Reading none;
    for (const ReadingItem& item : ReadingItems(none)) {
      for (const ReadingColumn& column : item.columns) n.emplace_back(column.name);
    }
    return n;
  }();
  return names;
}

void WriteResultColumns(const PanelResult& result, ResultColumnSink& sink) {
  const ColumnSource source{result};
  for (const ResultColumn& column : ResultColumns()) sink.PlainField(column.value(source, column.index));
  // The reading as ASCII keys (the CSV stays in the encoding of its input).
  const Reading reading = ReadResult(result);  // the columns view its texts
  for (const ReadingColumn& column : ReadingColumnsOf(reading)) sink.PlainField(column.value);
}

}  // namespace kestrova::report
