#include "report/reading_items.h"

#include <algorithm>

#include "texts/japanese_texts.h"

namespace kestrova::report {
namespace {

using Kind = ReadingField::Kind;

ReadingField Bool(std::string_view name, bool value) { return {name, Kind::kBool, value ? "true" : "false"}; }

std::string_view Flag(bool computed, bool value) { return !computed ? "" : value ? "1" : "0"; }

// An item's key column: its key when read, "outOfRange" when the age is
// outside its equation's, else empty.
std::string_view KeyIfRead(bool computed, std::string_view key, const ReadingLabel& outOfRange) {
  return computed ? key : outOfRange.key;
}

// Each item's columns, the one list that both its ReadingItem and
// ReadingColumnValues give. Sizes are part of the types, so a list that outgrows
// an item's capacity or the row's column count does not compile.
template <std::size_t N>
using Columns = std::array<ReadingColumn, N>;

// The pattern by Baldwin's %VC is for reference beside the one by JRS2001.
Columns<2> VentilatoryColumns(const VentilatoryReading& v, bool reference) {
  return {{{reference ? "ventilatoryBaldwinClass" : "ventilatoryClass",
            KeyIfRead(v.computed, v.label.key, v.outOfRange)},
           {reference ? "ventilatoryBaldwinPercentVc" : "ventilatoryPercentVc", v.percentVc}}};
}

Columns<6> LlnColumns(const LlnReading& lln) {
  return {{{"ersAtsPattern", KeyIfRead(lln.computed, lln.label.key, lln.outOfRange)},
           {"ersAtsSeverity", lln.severityLabel.key},
           {"ersAtsFev1FvcBelowLln", Flag(lln.computed, lln.fev1FvcBelowLln)},
           {"ersAtsFvcBelowLln", Flag(lln.computed, lln.fvcBelowLln)},
           {"ersAtsFev1BelowLln", Flag(lln.computed, lln.fev1BelowLln)},
           {"ersAtsFev1Z", lln.fev1Z}}};
}

Columns<2> CopdColumns(const CopdReading& copd) {
  const std::string_view stage = copd.stage == CopdStage::kNotStaged ? "notStaged" : copd.label.key;
  return {{{"copdStage", KeyIfRead(copd.computed, stage, copd.outOfRange)},
           {"copdPercentFev1", copd.percentFev1}}};
}

Columns<3> LungAgeColumns(const LungAgeReading& age) {
  return {{{"lungAge", age.value},
           {"lungAgeYears", KeyIfRead(age.computed, age.en, age.outOfRange)},
           {"lungAgeCorrected", Flag(age.computed, age.corrected)}}};
}

Columns<2> DisabilityColumns(const DisabilityReading& d) {
  return {
      {{"disabilityIndex", d.index}, {"disabilityGrade", KeyIfRead(d.computed, d.label.key, d.outOfRange)}}};
}

// An item not read for the patient's age: the reason as its label, and as
// its JSON members the equation and the reason.
void SetOutOfRange(const ReadingLabel& reason, ReadingItem& item) {
  item.outOfRange = true;
  item.label = reason;
  item.labelEnRepeatsJa = false;
  item.details.clear();
  item.fields = {{"equation", Kind::kText, std::string(item.equation)},
                 Bool("outOfRange", true),
                 {"label", Kind::kText, std::string(reason.ja)},
                 {"labelEn", Kind::kText, std::string(reason.en)}};
}

template <std::size_t N>
void SetColumns(ReadingItem& item, const Columns<N>& columns) {
  static_assert(N <= ReadingColumns::kCapacity);
  std::copy(columns.begin(), columns.end(), item.columns.slots.begin());
  item.columns.count = N;
}

// The lists' values one after the other into `out`, whose size is theirs
// added (a span of another size does not convert).
template <std::size_t... N>
void StoreValues(std::span<std::string_view, (N + ...)> out, const Columns<N>&... lists) {
  auto at = out.begin();
  const auto value = [](const ReadingColumn& column) { return column.value; };
  ((at = std::transform(lists.begin(), lists.end(), at, value)), ...);
}

ReadingItem VentilatoryItem(const VentilatoryReading& v, bool reference) {
  ReadingItem item;
  item.key = reference ? "ventilatoryBaldwin" : "ventilatory";
  SetColumns(item, VentilatoryColumns(v, reference));
  item.name = std::string(texts::kVentilatoryNameUtf8);
  if (reference) item.name += texts::kReferenceMarkUtf8;
  item.nameEn = reference ? "ventilatory pattern (reference)" : "ventilatory pattern";
  item.equation = v.equation;
  item.afterEquation = " ";
  item.computed = v.computed;
  ((((item.details = "%VC ") += v.percentVc) += ", FEV1/FVC ") += v.measuredRatio);
  item.label = v.label;
  if (!v.outOfRange.key.empty()) SetOutOfRange(v.outOfRange, item);
  if (v.computed) {
    item.fields = {{"equation", Kind::kText, std::string(v.equation)},
                   {"percentVc", Kind::kNumber, std::string(v.percentVc)},
                   {"measuredRatio", Kind::kNumber, std::string(v.measuredRatio)},
                   {"class", Kind::kText, std::string(v.label.key)},
                   {"label", Kind::kText, std::string(v.label.ja)},
                   {"labelEn", Kind::kText, std::string(v.label.en)}};
  }
  return item;
}

ReadingItem LlnItem(const LlnReading& lln) {
  ReadingItem item;
  item.key = "ersAts2022";
  SetColumns(item, LlnColumns(lln));
  item.name = "ERS/ATS 2022";
  item.equation = lln.equation;
  item.afterEquation = ", ";
  item.computed = lln.computed;
  if (!lln.fev1Z.empty()) (item.details = "FEV1 z ") += lln.fev1Z;
  item.label = lln.label;
  if (!lln.outOfRange.key.empty()) SetOutOfRange(lln.outOfRange, item);
  if (lln.computed) {
    item.severity = {"", lln.severityLabel.ja, lln.severityLabel.en};
    item.graded = lln.severity != Severity::kNone;
    item.note = lln.note;
    const bool graded = lln.severity != Severity::kNone;
    item.fields = {
        {"equation", Kind::kText, std::string(lln.equation)},
        Bool("fev1FvcBelowLln", lln.fev1FvcBelowLln),
        Bool("fvcBelowLln", lln.fvcBelowLln),
        Bool("fev1BelowLln", lln.fev1BelowLln),
        {"pattern", Kind::kText, std::string(lln.label.key)},
        {"label", Kind::kText, std::string(lln.label.ja)},
        {"labelEn", Kind::kText, std::string(lln.label.en)},
        {"severity", Kind::kTextOrNull, graded ? std::string(lln.severityLabel.key) : std::string()},
        {"severityLabel", Kind::kTextOrNull, std::string(lln.severityLabel.ja)},
        {"severityLabelEn", Kind::kTextOrNull, std::string(lln.severityLabel.en)},
        {"fev1Z", Kind::kNumber, std::string(lln.fev1Z)},
        {"note", Kind::kTextOrNull, std::string(lln.note.ja)},
        {"noteEn", Kind::kTextOrNull, std::string(lln.note.en)}};
  }
  return item;
}

ReadingItem CopdItem(const CopdReading& copd) {
  ReadingItem item;
  item.key = "copdStage";
  SetColumns(item, CopdColumns(copd));
  item.name = std::string(texts::kCopdNameUtf8);
  item.nameEn = "COPD stage";
  item.equation = copd.equation;
  item.afterEquation = " ";
  item.computed = copd.computed;
  ((((item.details = "%FEV1 ") += copd.percentFev1) += ", FEV1/FVC ") += copd.measuredRatio);
  item.label = copd.label;
  if (!copd.outOfRange.key.empty()) SetOutOfRange(copd.outOfRange, item);
  if (!copd.computed) return item;
  item.fields = {{"equation", Kind::kText, std::string(copd.equation)},
                 {"stage", Kind::kTextOrNull, std::string(copd.label.key)},
                 {"percentFev1", Kind::kNumber, std::string(copd.percentFev1)},
                 {"measuredRatio", Kind::kNumber, std::string(copd.measuredRatio)},
                 {"label", Kind::kText, std::string(copd.label.ja)},
                 {"labelEn", Kind::kText, std::string(copd.label.en)},
                 {"note", Kind::kText, std::string(copd.note.ja)},
                 {"noteEn", Kind::kText, std::string(copd.note.en)}};
  if (copd.stage != CopdStage::kNotStaged) {
    item.condition = {"", texts::kCopdPostBronchodilatorUtf8, " (on post-bronchodilator values)"};
  } else {
    item.note = copd.note;
  }
  return item;
}

ReadingItem LungAgeItem(const LungAgeReading& age) {
  ReadingItem item;
  item.key = "lungAge";
  SetColumns(item, LungAgeColumns(age));
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
  if (!age.outOfRange.key.empty()) SetOutOfRange(age.outOfRange, item);
  if (age.computed) {
    item.fields = {{"equation", Kind::kText, std::string(age.equation)},
                   {"value", Kind::kText, age.value},
                   {"text", Kind::kText, age.ja},
                   {"textEn", Kind::kText, age.en},
                   Bool("corrected", age.corrected)};
  }
  return item;
}

ReadingItem DisabilityItem(const DisabilityReading& d) {
  ReadingItem item;
  item.key = "disabilityIndex";
  SetColumns(item, DisabilityColumns(d));
  item.name = std::string(texts::kDisabilityNameUtf8);
  item.nameEn = "respiratory disability index";
  item.equation = d.equation;
  item.afterEquation = " ";
  item.computed = d.computed;
  item.details = d.index;
  item.label = d.label;
  if (!d.outOfRange.key.empty()) SetOutOfRange(d.outOfRange, item);
  if (!d.computed) return item;
  item.note = d.note;
  item.fields = {
      {"equation", Kind::kText, std::string(d.equation)}, {"index", Kind::kNumber, d.index},
      {"grade", Kind::kText, std::string(d.label.ja)},    {"gradeKey", Kind::kText, std::string(d.label.key)},
      {"gradeEn", Kind::kText, std::string(d.label.en)},  {"note", Kind::kText, std::string(d.note.ja)},
      {"noteEn", Kind::kText, std::string(d.note.en)}};
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

// In item order, as ReadingItems lists them.
void ReadingColumnValues(const Reading& r, std::span<std::string_view, kReadingColumnCount> out) {
  StoreValues(out, VentilatoryColumns(r.ventilatory, false), VentilatoryColumns(r.ventilatoryBaldwin, true),
              LlnColumns(r.ersAts2022), CopdColumns(r.copd), LungAgeColumns(r.lungAge),
              DisabilityColumns(r.disability));
}

std::string EquationAndDetails(const ReadingItem& item) {
  std::string out(item.equation);
  if (!item.details.empty()) (out += item.afterEquation) += item.details;
  return out;
}

}  // namespace kestrova::report
