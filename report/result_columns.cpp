#include "report/result_columns.h"

#include "kestrova/reading.h"

namespace kestrova::report {

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
template <class Writer>
void WriteReadingColumns(const Reading& r, Writer& writer) {
  for (const VentilatoryReading* v : {&r.ventilatory, &r.ventilatoryBaldwin}) {
    writer.PlainField(v->computed ? v->label.key : "");
    writer.PlainField(v->percentVc);
  }
  const LlnReading& lln = r.ersAts2022;
  writer.PlainField(lln.computed ? lln.label.key : "");
  writer.PlainField(lln.severityLabel.key);
  writer.PlainField(Flag(lln.computed, lln.fev1FvcBelowLln));
  writer.PlainField(Flag(lln.computed, lln.fvcBelowLln));
  writer.PlainField(Flag(lln.computed, lln.fev1BelowLln));
  writer.PlainField(lln.fev1Z);
  writer.PlainField(!r.copd.computed                        ? ""
                    : r.copd.stage == CopdStage::kNotStaged ? "notStaged"
                                                            : r.copd.label.key);
  writer.PlainField(r.copd.percentFev1);
  writer.PlainField(r.lungAge.value);
  writer.PlainField(r.lungAge.en);
  writer.PlainField(Flag(r.lungAge.computed, r.lungAge.corrected));
  writer.PlainField(r.disability.index);
  writer.PlainField(r.disability.computed ? r.disability.label.key : "");
}

// Reads the texts in place from the panel's contents (no per-row copies).
template <class Writer>
void WriteColumns(const PanelResult& result, Writer& writer) {
  for (std::size_t i = 0; i < kResultCount; ++i) {
    const PanelRow& row = result.panel.rows[i];
    writer.PlainField(row.Text());
    if (HasPercentCell(ResultFields()[i])) {
      writer.PlainField(row.cell.percent);
      writer.PlainField(row.cell.red ? "1" : "0");
    }
  }
  writer.PlainField(result.panel.measuredRatio.text);
  writer.PlainField(result.panel.measuredRatio.red ? "1" : "0");
  for (const StandingView& standing : result.jrs2014) {
    writer.PlainField(standing.ulnText);
    writer.PlainField(standing.zText);
    writer.PlainField(standing.percentileText);
  }
  WriteReadingColumns(ReadResult(result), writer);
}

}  // namespace

void WriteResultColumns(const PanelResult& result, ResultColumnSink& sink) { WriteColumns(result, sink); }

}  // namespace kestrova::report
