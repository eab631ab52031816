#include "cli/result_columns.h"

namespace kestrova::cli {

const std::vector<std::string>& ResultColumnNames() {
  static const std::vector<std::string> names = [] {
    std::vector<std::string> n;
    for (const ResultField& field : ResultFields()) {
      const std::string name(field.name);
      n.push_back(name);
      if (HasPercentCell(field)) {
        n.push_back(name + "Pct");
        n.push_back(name + "Red");
      }
    }
    n.push_back("measuredRatio");
    n.push_back("measuredRatioRed");
    for (const char* q : {"vc", "fvc", "fev1", "fev1Ratio"}) {
      n.push_back(std::string(q) + "Uln");
      n.push_back(std::string(q) + "Z");
      n.push_back(std::string(q) + "Percentile");
    }
    return n;
  }();
  return names;
}

// Reads the texts in place from the panel's contents (no per-row copies).
void WriteResultColumns(const PanelResult& result, CsvWriter& writer) {
  for (std::size_t i = 0; i < kResultCount; ++i) {
    const PanelRow& row = result.panel.rows[i];
    writer.Field(row.Text());
    if (HasPercentCell(ResultFields()[i])) {
      writer.Field(row.cell.percent);
      writer.Field(row.cell.red ? "1" : "0");
    }
  }
  writer.Field(result.panel.measuredRatio.text);
  writer.Field(result.panel.measuredRatio.red ? "1" : "0");
  for (const StandingView& standing : result.jrs2014) {
    writer.Field(standing.ulnText);
    writer.Field(standing.zText);
    writer.Field(standing.percentileText);
  }
}

void WriteEmptyResultColumns(CsvWriter& writer) {
  for (std::size_t i = 0; i < ResultColumnNames().size(); ++i) writer.Field({});
}

}  // namespace kestrova::cli
