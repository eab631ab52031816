#include "report/reading_items.h"

#include "texts/japanese_texts.h"

namespace kestrova::report {
namespace {

// The pattern by Baldwin's %VC is for reference beside the one by JRS2001.
ReadingItem VentilatoryItem(const VentilatoryReading& v, bool reference) {
  ReadingItem item;
  item.name = std::string(texts::kVentilatoryNameUtf8);
  if (reference) item.name += texts::kReferenceMarkUtf8;
  item.nameEn = reference ? "ventilatory pattern (reference)" : "ventilatory pattern";
  item.equation = v.equation;
  item.afterEquation = " ";
  item.computed = v.computed;
  item.details = "%VC " + v.percentVc + ", FEV1/FVC " + v.measuredRatio;
  item.label = v.label;
  return item;
}

ReadingItem LlnItem(const LlnReading& lln) {
  ReadingItem item;
  item.name = "ERS/ATS 2022";
  item.equation = lln.equation;
  item.afterEquation = ", ";
  item.computed = lln.computed;
  if (!lln.fev1Z.empty()) item.details = "FEV1 z " + lln.fev1Z;
  item.label = lln.label;
  if (lln.computed) {
    item.severity = {"", lln.severityLabel.ja, lln.severityLabel.en};
    item.graded = lln.severity != Severity::kNone;
    item.note = lln.note;
  }
  return item;
}

ReadingItem CopdItem(const CopdReading& copd) {
  ReadingItem item;
  item.name = std::string(texts::kCopdNameUtf8);
  item.nameEn = "COPD stage";
  item.equation = copd.equation;
  item.afterEquation = " ";
  item.computed = copd.computed;
  item.details = "%FEV1 " + copd.percentFev1 + ", FEV1/FVC " + copd.measuredRatio;
  item.label = copd.label;
  if (!copd.computed) return item;
  if (copd.stage != CopdStage::kNotStaged) {
    item.condition = {"", texts::kCopdPostBronchodilatorUtf8, " (on post-bronchodilator values)"};
  } else {
    item.note = copd.note;
  }
  return item;
}

ReadingItem LungAgeItem(const LungAgeReading& age) {
  ReadingItem item;
  item.name = std::string(texts::kLungAgeNameUtf8);
  item.nameEn = "lung age";
  item.equation = age.equation;
  item.afterEquation = " ";
  item.computed = age.computed;
  // "18歳未満" and "95歳以上" stand without the formula's value.
  if (age.band == LungAgeBand::kYears) item.details = age.value;
  item.label = {"", age.ja, age.en};
  item.labelEnRepeatsJa = true;
  if (age.corrected) item.note = age.correction;
  return item;
}

ReadingItem DisabilityItem(const DisabilityReading& d) {
  ReadingItem item;
  item.name = std::string(texts::kDisabilityNameUtf8);
  item.nameEn = "respiratory disability index";
  item.equation = d.equation;
  item.afterEquation = " ";
  item.computed = d.computed;
  item.details = d.index;
  item.label = d.label;
  if (d.computed) item.note = d.note;
  return item;
}

}  // namespace

std::array<ReadingItem, kReadingItemCount> ReadingItems(const Reading& r) {
  return {VentilatoryItem(r.ventilatory, false),
          VentilatoryItem(r.ventilatoryBaldwin, true),
          LlnItem(r.ersAts2022),
          CopdItem(r.copd),
          LungAgeItem(r.lungAge),
          DisabilityItem(r.disability)};
}

std::string EquationAndDetails(const ReadingItem& item) {
  std::string out(item.equation);
  if (!item.details.empty()) (out += item.afterEquation) += item.details;
  return out;
}

}  // namespace kestrova::report
