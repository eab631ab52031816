#include "cli/result_columns.h"

namespace kestrova::cli {

const std::vector<std::string>& ResultColumnNames() {
  static const std::vector<std::string> names = [] {
    std::vector<std::string> n;
    for (const ResultField& field : ResultFields()) {
      const std::string name(field.name);
      n.push_back(name);
      if (field.label != "LLN") {
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

// Reads the row texts in place from the panel recording (no per-row copies).
void WriteResultColumns(const PanelResult& result, CsvWriter& writer) {
  std::string scratch;  // a percentage of 999 or above, formatted again
  for (std::size_t i = 0; i < kResultCount; ++i) {
    const auto id = static_cast<ResultId>(i);
    writer.Field(ResultText(result, id));
    if (HasPercentCell(id)) {
      writer.Field(ResultPercent(result, id, scratch));
      writer.Field(ResultRed(result, id) ? "1" : "0");
    }
  }
  writer.Field(result.measuredRatio.text);
  writer.Field(result.measuredRatio.red ? "1" : "0");
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
