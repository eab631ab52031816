#include "report/reading_items.h"

#include <cassert>
#include <limits>
#include <utility>

#include "texts/japanese_texts.h"

namespace kestrova::report {
namespace {

using Json = ReadingValue::Json;

// A column at its place among the item's columns.
struct PlacedColumn {
  std::uint8_t slot;
  ReadingColumn column;
};

// A key column's value: its ASCII key and its Japanese words.
struct KeyText {
  std::string_view key;
  std::string_view ja;
};

// The columns of each kind: a key, a number as shown, a yes/no that is empty
// when the item is not read. `nameJa` follows the item's name in the Japanese
// header.
PlacedColumn Key(std::uint8_t slot, std::string_view name, std::string_view nameJa, const KeyText& value) {
  return {slot, {name, ColumnKind::kText, value.key, {}, nameJa, value.ja}};
}
PlacedColumn Number(std::uint8_t slot, std::string_view name, std::string_view nameJa, std::string_view text,
                    const ShownNumber& number) {
  return {slot, {name, ColumnKind::kNumber, text, number, nameJa, text}};
}
PlacedColumn Flag(std::uint8_t slot, std::string_view name, std::string_view nameJa, bool computed,
                  bool value) {
  const ShownNumber number{.shown = computed, .fixed = true, .scaled = value ? 1 : 0};
  const std::string_view text = !computed ? "" : value ? "1" : "0";
  return {slot, {name, ColumnKind::kFlag, text, number, nameJa, text}};
}

// The values: a JSON member, a JSON member that is a column too, a column alone.
ReadingValue Member(std::string_view member, Json json, std::string_view text) {
  return {member, json, 0, {{}, ColumnKind::kText, text, {}, {}, {}}};
}
ReadingValue Member(std::string_view member, Json json, const PlacedColumn& column) {
  return {member, json, column.slot, column.column};
}
ReadingValue Column(const PlacedColumn& column) { return {{}, Json::kText, column.slot, column.column}; }

// An item's key column: its key when read, "outOfRange" (in Japanese the
// reason) when the age is outside its equation's, else empty.
KeyText KeyIfRead(bool computed, const KeyText& read, const ReadingLabel& outOfRange) {
  return computed ? read : KeyText{outOfRange.key, outOfRange.ja};
}

// Each item's values below, the one description its JSON and its columns
// are written from: each calls take(values...) with them all, in JSON order.
// Inlined into each use, the CSV row's walk keeps only the columns' values.

// The pattern by Baldwin's %VC is for reference beside the one by JRS2001.
template <class Take>
void VentilatoryValues(const VentilatoryReading& v, bool reference, Take&& take) {
  const std::string_view classColumn = reference ? "ventilatoryBaldwinClass" : "ventilatoryClass";
  const std::string_view percentColumn = reference ? "ventilatoryBaldwinPercentVc" : "ventilatoryPercentVc";
  take(Member("equation", Json::kText, v.equation),
       Member("percentVc", Json::kNumber, Number(1, percentColumn, "%VC", v.percentVc, v.percentVcNumber)),
       Member("measuredRatio", Json::kNumber, v.measuredRatio),
       Member("class", Json::kText,
              Key(0, classColumn, {}, KeyIfRead(v.computed, {v.label.key, v.label.ja}, v.outOfRange))),
       Member("label", Json::kText, v.label.ja), Member("labelEn", Json::kText, v.label.en));
}

// The column names of an ERS/ATS 2022 item read on JRS2014, and of one read
// on GLI Global (ErsAtsGliItem): one description, two sets of names.
struct LlnColumnNames {
  std::string_view pattern, severity, fev1FvcBelowLln, fvcBelowLln, fev1BelowLln, fev1Z;
};
constexpr LlnColumnNames kJrs2014LlnColumns{"ersAtsPattern",         "ersAtsSeverity",
                                            "ersAtsFev1FvcBelowLln", "ersAtsFvcBelowLln",
                                            "ersAtsFev1BelowLln",    "ersAtsFev1Z"};
constexpr LlnColumnNames kGliLlnColumns{"ersAtsGliPattern",         "ersAtsGliSeverity",
                                        "ersAtsGliFev1FvcBelowLln", "ersAtsGliFvcBelowLln",
                                        "ersAtsGliFev1BelowLln",    "ersAtsGliFev1Z"};

// The severity's key is null in JSON but for a grade; its column also gives
// why there is none (fev1NotBelowLln).
template <class Take>
void LlnValues(const LlnReading& lln, const LlnColumnNames& names, Take&& take) {
  const bool graded = lln.severity != Severity::kNone;
  take(Member("equation", Json::kText, lln.equation),
       Member("fev1FvcBelowLln", Json::kBool,
              Flag(2, names.fev1FvcBelowLln, texts::kColumnFev1FvcBelowLlnUtf8, lln.computed,
                   lln.fev1FvcBelowLln)),
       Member("fvcBelowLln", Json::kBool,
              Flag(3, names.fvcBelowLln, texts::kColumnFvcBelowLlnUtf8, lln.computed, lln.fvcBelowLln)),
       Member("fev1BelowLln", Json::kBool,
              Flag(4, names.fev1BelowLln, texts::kColumnFev1BelowLlnUtf8, lln.computed, lln.fev1BelowLln)),
       Member(
           "pattern", Json::kText,
           Key(0, names.pattern, {}, KeyIfRead(lln.computed, {lln.label.key, lln.label.ja}, lln.outOfRange))),
       Member("label", Json::kText, lln.label.ja), Member("labelEn", Json::kText, lln.label.en),
       Member("severity", Json::kTextOrNull, graded ? lln.severityLabel.key : std::string_view()),
       Column(
           Key(1, names.severity, texts::kColumnSeverityUtf8, {lln.severityLabel.key, lln.severityLabel.ja})),
       Member("severityLabel", Json::kTextOrNull, lln.severityLabel.ja),
       Member("severityLabelEn", Json::kTextOrNull, lln.severityLabel.en),
       Member("fev1Z", Json::kNumber,
              Number(5, names.fev1Z, texts::kColumnFev1ZUtf8, lln.fev1Z, lln.fev1ZNumber)),
       Member("note", Json::kTextOrNull, lln.note.ja), Member("noteEn", Json::kTextOrNull, lln.note.en));
}

// Not staged, the stage is null in JSON and "notStaged" in its column.
template <class Take>
void CopdValues(const CopdReading& copd, Take&& take) {
  const std::string_view stage = copd.stage == CopdStage::kNotStaged ? "notStaged" : copd.label.key;
  take(Member("equation", Json::kText, copd.equation), Member("stage", Json::kTextOrNull, copd.label.key),
       Column(Key(0, "copdStage", {}, KeyIfRead(copd.computed, {stage, copd.label.ja}, copd.outOfRange))),
       Member("percentFev1", Json::kNumber,
              Number(1, "copdPercentFev1", "%FEV1", copd.percentFev1, copd.percentFev1Number)),
       Member("measuredRatio", Json::kNumber, copd.measuredRatio),
       Member("label", Json::kText, copd.label.ja), Member("labelEn", Json::kText, copd.label.en),
       Member("note", Json::kText, copd.note.ja), Member("noteEn", Json::kText, copd.note.en));
}

template <class Take>
void LungAgeValues(const LungAgeReading& age, Take&& take) {
  take(Member("equation", Json::kText, age.equation),
       Member("value", Json::kText,
              Number(0, "lungAge", texts::kColumnLungAgeValueUtf8, age.value, age.valueNumber)),
       Member("text", Json::kText, age.ja),
       Member("textEn", Json::kText,
              Key(1, "lungAgeYears", {}, KeyIfRead(age.computed, {age.en, age.ja}, age.outOfRange))),
       Member("corrected", Json::kBool,
              Flag(2, "lungAgeCorrected", texts::kColumnLungAgeCorrectedUtf8, age.computed, age.corrected)));
}

template <class Take>
void DisabilityValues(const DisabilityReading& d, Take&& take) {
  take(Member("equation", Json::kText, d.equation),
       Member("index", Json::kNumber, Number(0, "disabilityIndex", {}, d.index, d.indexNumber)),
       Member("grade", Json::kText, d.label.ja),
       Member("gradeKey", Json::kText,
              Key(1, "disabilityGrade", texts::kColumnGradeUtf8,
                  KeyIfRead(d.computed, {d.label.key, d.label.ja}, d.outOfRange))),
       Member("gradeEn", Json::kText, d.label.en), Member("note", Json::kText, d.note.ja),
       Member("noteEn", Json::kText, d.note.en));
}

// Takes values into the columns from `at` on, each at its place, and moves
// `at` past them; `get` gives what is stored of a column.
template <class Out, class Get>
auto IntoColumns(Out*& at, Get get) {
  return [&at, get](const auto&... values) {
    std::size_t count = 0;
    const auto store = [&](const ReadingValue& value) {
      if (value.column.name.empty()) return;
      at[value.slot] = get(value.column);
      ++count;
    };
    (store(values), ...);
    at += count;
  };
}

// A column's number: NaN for a text column or an empty value.
double ColumnNumber(const ReadingColumn& column) {
  return column.kind == ColumnKind::kText ? std::numeric_limits<double>::quiet_NaN()
                                          : column.number.Nearest();
}

// Every item's columns in item order, as ReadingItems lists them, into `out`.
template <class Out, class Get>
void StoreReadingColumns(const Reading& r, std::span<Out, kReadingColumnCount> out, Get get) {
  Out* at = out.data();
  VentilatoryValues(r.ventilatory, false, IntoColumns(at, get));
  VentilatoryValues(r.ventilatoryBaldwin, true, IntoColumns(at, get));
  LlnValues(r.ersAts2022, kJrs2014LlnColumns, IntoColumns(at, get));
  CopdValues(r.copd, IntoColumns(at, get));
  LungAgeValues(r.lungAge, IntoColumns(at, get));
  DisabilityValues(r.disability, IntoColumns(at, get));
  assert(at == out.data() + out.size());
}

// Takes values into `item`: its values, and its columns in order.
auto IntoItem(ReadingItem& item) {
  return [&item](const auto&... values) {
    static_assert(sizeof...(values) <= ReadingValues::kCapacity);
    item.values.slots = {values...};
    item.values.count = sizeof...(values);
    ReadingColumn* at = item.columns.slots.data();
    IntoColumns(at, [](const ReadingColumn& column) { return column; })(values...);
    item.columns.count = static_cast<std::size_t>(at - item.columns.slots.data());
    assert(item.columns.count <= ReadingColumns::kCapacity);
  };
}

// What every item has: its key and names, its equation, whether it is read,
// its details and label; out of its equation's ages, the reason as its label
// and no details.
template <class Read>
ReadingItem NewItem(const Read& read, std::string_view key, std::string name, std::string_view nameEn,
                    std::string_view afterEquation, std::string details, const ReadingLabel& label) {
  ReadingItem item;
  item.key = key;
  item.name = std::move(name);
  item.nameEn = nameEn;
  item.equation = read.equation;
  item.afterEquation = afterEquation;
  item.computed = read.computed;
  item.details = std::move(details);
  item.label = label;
  item.outOfRange = !read.outOfRange.key.empty();
  if (item.outOfRange) {
    item.label = read.outOfRange;
    item.details.clear();
  }
  return item;
}

ReadingItem VentilatoryItem(const VentilatoryReading& v, bool reference) {
  std::string name(texts::kVentilatoryNameUtf8);
  if (reference) name += texts::kReferenceMarkUtf8;
  ReadingItem item =
      NewItem(v, reference ? "ventilatoryBaldwin" : "ventilatory", std::move(name),
              reference ? "ventilatory pattern (reference)" : "ventilatory pattern", " ",
              std::string("%VC ").append(v.percentVc).append(", FEV1/FVC ").append(v.measuredRatio), v.label);
  VentilatoryValues(v, reference, IntoItem(item));
  return item;
}

ReadingItem LlnItem(const LlnReading& lln, std::string_view key, const LlnColumnNames& names) {
  const std::string details = lln.fev1Z.empty() ? std::string() : std::string("FEV1 z ").append(lln.fev1Z);
  ReadingItem item = NewItem(lln, key, "ERS/ATS 2022", {}, ", ", details, lln.label);
  LlnValues(lln, names, IntoItem(item));
  if (lln.computed) {
    item.severity = {"", lln.severityLabel.ja, lln.severityLabel.en};
    item.graded = lln.severity != Severity::kNone;
    item.note = lln.note;
  }
  return item;
}

ReadingItem CopdItem(const CopdReading& copd) {
  ReadingItem item =
      NewItem(copd, "copdStage", std::string(texts::kCopdNameUtf8), "COPD stage", " ",
              std::string("%FEV1 ").append(copd.percentFev1).append(", FEV1/FVC ").append(copd.measuredRatio),
              copd.label);
  CopdValues(copd, IntoItem(item));
  if (!copd.computed) return item;
  if (copd.stage != CopdStage::kNotStaged) {
    item.condition = {"", texts::kCopdPostBronchodilatorUtf8,
                      " (only if these are post-bronchodilator values)"};
  } else {
    item.note = copd.note;
  }
  return item;
}

ReadingItem LungAgeItem(const LungAgeReading& age) {
  // "18歳未満" and "95歳以上" stand without the formula's value.
  ReadingItem item =
      NewItem(age, "lungAge", std::string(texts::kLungAgeNameUtf8), "lung age", " ",
              age.band == LungAgeBand::kYears ? age.value : std::string(), {"", age.ja, age.en});
  LungAgeValues(age, IntoItem(item));
  item.labelEnRepeatsJa = !item.outOfRange;
  if (age.corrected) item.note = age.correction;
  return item;
}

ReadingItem DisabilityItem(const DisabilityReading& d) {
  ReadingItem item = NewItem(d, "disabilityIndex", std::string(texts::kDisabilityNameUtf8),
                             "respiratory disability index", " ", d.index, d.label);
  DisabilityValues(d, IntoItem(item));
  if (d.computed) item.note = d.note;
  return item;
}

}  // namespace

std::array<ReadingItem, kReadingItemCount> ReadingItems(const Reading& r) {
  return {VentilatoryItem(r.ventilatory, false),
          VentilatoryItem(r.ventilatoryBaldwin, true),
          LlnItem(r.ersAts2022, "ersAts2022", kJrs2014LlnColumns),
          CopdItem(r.copd),
          LungAgeItem(r.lungAge),
          DisabilityItem(r.disability)};
}

void ReadingColumnValues(const Reading& r, std::span<std::string_view, kReadingColumnCount> out) {
  StoreReadingColumns(r, out, [](const ReadingColumn& column) { return column.value; });
}

void ReadingColumnValuesJa(const Reading& r, std::span<std::string_view, kReadingColumnCount> out) {
  StoreReadingColumns(r, out, [](const ReadingColumn& column) { return column.valueJa; });
}

void ReadingColumnNumbers(const Reading& r, std::span<double, kReadingColumnCount> out) {
  StoreReadingColumns(r, out, ColumnNumber);
}

ReadingItem ErsAtsGliItem(const LlnReading& gli) { return LlnItem(gli, "ersAts2022Gli", kGliLlnColumns); }

void ErsAtsGliColumnValues(const LlnReading& gli, std::span<std::string_view, kErsAtsGliColumnCount> out) {
  std::string_view* at = out.data();
  LlnValues(gli, kGliLlnColumns, IntoColumns(at, [](const ReadingColumn& column) { return column.value; }));
}

void ErsAtsGliColumnValuesJa(const LlnReading& gli, std::span<std::string_view, kErsAtsGliColumnCount> out) {
  std::string_view* at = out.data();
  LlnValues(gli, kGliLlnColumns, IntoColumns(at, [](const ReadingColumn& column) { return column.valueJa; }));
}

void ErsAtsGliColumnNumbers(const LlnReading& gli, std::span<double, kErsAtsGliColumnCount> out) {
  double* at = out.data();
  LlnValues(gli, kGliLlnColumns, IntoColumns(at, ColumnNumber));
}

std::string EquationAndDetails(const ReadingItem& item) {
  std::string out(item.equation);
  if (!item.details.empty()) (out += item.afterEquation) += item.details;
  return out;
}

}  // namespace kestrova::report
