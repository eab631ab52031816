#include "report/result_columns.h"

#include <iterator>
#include <utility>

#include "kestrova/reading.h"

namespace kestrova::report {

namespace {

std::string_view Flag(bool computed, bool value) { return !computed ? "" : value ? "1" : "0"; }

// What a column's value is read from: the result and its reading.
struct ColumnSource {
  const PanelResult& result;
  const Reading& reading;
};

// A column: its name and how its text is read (`index` picks a result row,
// a JRS2014 quantity or a ventilatory reading). The texts are read in place,
// so a row makes no copies.
struct ResultColumn {
  std::string name;
  std::string_view (*value)(const ColumnSource&, std::size_t index);
  std::size_t index = 0;
};

const VentilatoryReading& Ventilatory(const ColumnSource& s, std::size_t i) {
  return i == 0 ? s.reading.ventilatory : s.reading.ventilatoryBaldwin;
}

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
  // The reading as ASCII keys (the CSV stays in the encoding of its input).
  for (std::size_t v = 0; v < 2; ++v) {
    const std::string name = v == 0 ? "ventilatory" : "ventilatoryBaldwin";
    c.push_back({name + "Class",
                 [](const ColumnSource& s, std::size_t i) -> std::string_view {
                   return Ventilatory(s, i).computed ? Ventilatory(s, i).label.key : "";
                 },
                 v});
    c.push_back(
        {name + "PercentVc",
         [](const ColumnSource& s, std::size_t i) -> std::string_view { return Ventilatory(s, i).percentVc; },
         v});
  }
  using Value = std::string_view (*)(const ColumnSource&, std::size_t);
  const std::pair<const char*, Value> reading[] = {
      {"ersAtsPattern",
       [](const ColumnSource& s, std::size_t) -> std::string_view {
         return s.reading.ersAts2022.computed ? s.reading.ersAts2022.label.key : "";
       }},
      {"ersAtsSeverity",
       [](const ColumnSource& s, std::size_t) -> std::string_view {
         return s.reading.ersAts2022.severityLabel.key;
       }},
      {"ersAtsFev1FvcBelowLln",
       [](const ColumnSource& s, std::size_t) {
         return Flag(s.reading.ersAts2022.computed, s.reading.ersAts2022.fev1FvcBelowLln);
       }},
      {"ersAtsFvcBelowLln",
       [](const ColumnSource& s, std::size_t) {
         return Flag(s.reading.ersAts2022.computed, s.reading.ersAts2022.fvcBelowLln);
       }},
      {"ersAtsFev1BelowLln",
       [](const ColumnSource& s, std::size_t) {
         return Flag(s.reading.ersAts2022.computed, s.reading.ersAts2022.fev1BelowLln);
       }},
      {"ersAtsFev1Z",
       [](const ColumnSource& s, std::size_t) -> std::string_view { return s.reading.ersAts2022.fev1Z; }},
      {"copdStage",
       [](const ColumnSource& s, std::size_t) -> std::string_view {
         const CopdReading& copd = s.reading.copd;
         return !copd.computed ? "" : copd.stage == CopdStage::kNotStaged ? "notStaged" : copd.label.key;
       }},
      {"copdPercentFev1",
       [](const ColumnSource& s, std::size_t) -> std::string_view { return s.reading.copd.percentFev1; }},
      {"lungAge",
       [](const ColumnSource& s, std::size_t) -> std::string_view { return s.reading.lungAge.value; }},
      {"lungAgeYears",
       [](const ColumnSource& s, std::size_t) -> std::string_view { return s.reading.lungAge.en; }},
      {"lungAgeCorrected",
       [](const ColumnSource& s, std::size_t) {
         return Flag(s.reading.lungAge.computed, s.reading.lungAge.corrected);
       }},
      {"disabilityIndex",
       [](const ColumnSource& s, std::size_t) -> std::string_view { return s.reading.disability.index; }},
      {"disabilityGrade",
       [](const ColumnSource& s, std::size_t) -> std::string_view {
         return s.reading.disability.computed ? s.reading.disability.label.key : "";
       }},
  };
  for (const auto& [name, value] : reading) c.push_back({name, value});
  return c;
}

// One table of the columns, in order: the names and the values come from it.
const std::vector<ResultColumn>& ResultColumns() {
  static const std::vector<ResultColumn> columns = MakeResultColumns();
  return columns;
}

}  // namespace

const std::vector<std::string>& ResultColumnNames() {
  static const std::vector<std::string> names = [] {
    std::vector<std::string> n;
    for (const ResultColumn& column : ResultColumns()) n.push_back(column.name);
    return n;
  }();
  return names;
}

void WriteResultColumns(const PanelResult& result, ResultColumnSink& sink) {
  const Reading reading = ReadResult(result);
  const ColumnSource source{result, reading};
  for (const ResultColumn& column : ResultColumns()) sink.PlainField(column.value(source, column.index));
}

}  // namespace kestrova::report
