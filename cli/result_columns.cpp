#include "cli/result_columns.h"

#include "kestrova/reading.h"

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
    for (const char* name :
         {"ventilatoryClass", "ventilatoryPercentVc", "ventilatoryBaldwinClass",
          "ventilatoryBaldwinPercentVc", "ersAtsPattern", "ersAtsSeverity", "ersAtsFev1FvcBelowLln",
          "ersAtsFvcBelowLln", "ersAtsFev1BelowLln", "ersAtsFev1Z", "copdStage", "copdPercentFev1", "lungAge",
          "lungAgeYears", "lungAgeCorrected", "disabilityIndex", "disabilityGrade"}) {
      n.push_back(name);
    }
    return n;
  }();
  return names;
}

namespace {

std::string_view Flag(bool computed, bool value) { return !computed ? "" : value ? "1" : "0"; }

// The reading as ASCII keys (the CSV stays in the encoding of its input).
void WriteReadingColumns(const Reading& r, CsvWriter& writer) {
  for (const VentilatoryReading* v : {&r.ventilatory, &r.ventilatoryBaldwin}) {
    writer.Field(v->computed ? v->label.key : "");
    writer.Field(v->percentVc);
  }
  const LlnReading& lln = r.ersAts2022;
  writer.Field(lln.computed ? lln.label.key : "");
  writer.Field(lln.severityLabel.key);
  writer.Field(Flag(lln.computed, lln.fev1FvcBelowLln));
  writer.Field(Flag(lln.computed, lln.fvcBelowLln));
  writer.Field(Flag(lln.computed, lln.fev1BelowLln));
  writer.Field(lln.fev1Z);
  writer.Field(!r.copd.computed                        ? ""
               : r.copd.stage == CopdStage::kNotStaged ? "notStaged"
                                                       : r.copd.label.key);
  writer.Field(r.copd.percentFev1);
  writer.Field(r.lungAge.value);
  writer.Field(r.lungAge.en);
  writer.Field(Flag(r.lungAge.computed, r.lungAge.corrected));
  writer.Field(r.disability.index);
  writer.Field(r.disability.computed ? r.disability.label.key : "");
}

}  // namespace

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
  WriteReadingColumns(ReadResult(result), writer);
}

void WriteEmptyResultColumns(CsvWriter& writer) {
  for (std::size_t i = 0; i < ResultColumnNames().size(); ++i) writer.Field({});
}

}  // namespace kestrova::cli
