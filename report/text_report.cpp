#include "report/text_report.h"

#include <optional>
#include <utility>

#include "input/limits.h"
#include "kestrova/reading.h"
#include "numtext/number_text.h"
#include "report/gli_section.h"
#include "report/json_writer.h"
#include "report/reading_items.h"
#include "report/result_groups.h"
#include "texts/japanese_texts.h"

namespace kestrova::report {
namespace {

constexpr std::string_view kRedOn = "\x1b[31m";
constexpr std::string_view kColourOff = "\x1b[0m";

void AppendInputs(const GivenInputs& given, std::string& out) {
  const std::pair<const char*, const std::optional<std::string>*> keys[] = {
      {"Sex", &given.sex}, {"Age", &given.age}, {"Height", &given.height},
      {"VC", &given.vc},   {"FVC", &given.fvc}, {"FEV1", &given.fev1}};
  bool first = true;
  for (const auto& [label, text] : keys) {
    if (!*text) continue;
    if (!first) out += "  ";
    first = false;
    out += label;
    out += ' ';
    out += **text;
  }
  out += '\n';
}

// Under a prediction that the age or the height leaves empty, why, where its
// line stands: "             " + "  適用範囲外（17～93歳）".
void AppendOutOfRangeNote(const FullResult& result, std::size_t i, std::string& out) {
  const std::string note = OutOfRangeNote(result, static_cast<ResultId>(i));
  if (note.empty()) return;
  out.append(1 + 11 + 1 + 2, ' ');  // the mark, the cell, the blank, the placeholder's indent
  out += note;
  out += '\n';
}

void AppendRow(const ResultView& row, bool colour, std::string& out) {
  std::string cell = row.cell;
  if (cell.size() < 11) cell.resize(11, ' ');
  if (row.red && colour) {
    out += ' ';
    out += kRedOn;
    out += cell;
    out += kColourOff;
  } else {
    out += row.red ? '*' : ' ';
    out += cell;
  }
  out += ' ';
  out += row.line;
  out += '\n';
}

void AppendLabelLine(const ReadingLabel& label, std::string& out) {
  if (label.ja.empty()) return;
  out += "  ";
  out += label.ja;
  out += " / ";
  out += label.en;
  out += '\n';
}

// One line an item: "<name> (<context>): <ja> / <en>", or the name and the
// reason it is not read ("対象外（…） / not applicable (…)" or "判定なし / not
// read"); its severity and note on lines below.
void AppendReadingItem(const ReadingItem& item, std::string_view name, std::string_view context,
                       std::string& out) {
  out += name;
  if (item.outOfRange) {
    (((out += ": ") += item.label.ja) += " / ") += item.label.en;
    out += '\n';
    return;
  }
  if (!item.computed) {
    out += ": ";
    out += texts::kNotReadUtf8;
    out += " / not read\n";
    return;
  }
  if (!context.empty()) ((out += " (") += context) += ')';
  out += ": ";
  out += item.label.ja;
  out += item.condition.ja;
  out += " / ";
  out += item.label.en;
  out += item.condition.en;
  out += '\n';
  AppendLabelLine(item.severity, out);
  AppendLabelLine(item.note, out);
}

// An item a line, its name "<name> / <English>" and its context the equation
// and the details.
void AppendReadingReport(const Reading& r, std::string& out) {
  out += "Reading / ";
  out += texts::kReadingTitleUtf8;
  out += '\n';
  for (const ReadingItem& item : ReadingItems(r)) {
    std::string name = item.name;
    if (!item.nameEn.empty()) (name += " / ") += item.nameEn;
    AppendReadingItem(item, name, EquationAndDetails(item), out);
  }
}

// The GLI section after the reading: a table a set, the columns right-aligned
// under English headings, a set outside its ages saying so in place of its
// rows, then (GLI Global) its reading, then the set's citation:
//   GLI Global (2022)
//                 predicted     LLN     ULN measured      z percentile %predicted
//     FEV1            3.835   2.939   4.686    3.500  -0.63       26.5       91.3
void AppendGliReport(const GliSection& section, std::string& out) {
  if (section.tables.empty()) return;
  static constexpr std::array<std::string_view, kGliColumnCount> kHeads = {
      "predicted", "LLN", "ULN", "measured", "z", "percentile", "%predicted"};
  static constexpr std::array<std::size_t, kGliColumnCount> kWidths = {11, 8, 8, 9, 7, 11, 11};
  const auto cell = [&out](std::string_view text, std::size_t width) {
    if (text.size() < width) out.append(width - text.size(), ' ');
    out += text;
  };
  out += "GLI reference values / GLI ";
  out += texts::kReportPredictedUtf8;
  out += '\n';
  for (const GliTable& table : section.tables) {
    out += table.title;
    if (!table.computed) {
      (((out += ": ") += table.notComputed.ja) += " / ") += table.notComputed.en;
      out += '\n';
      continue;
    }
    out += "\n            ";
    for (std::size_t c = 0; c < kGliColumnCount; ++c) cell(kHeads[c], kWidths[c]);
    out += '\n';
    for (const GliRowTexts& row : table.rows) {
      out += "  ";
      out += row.quantity;
      out.append(10 - row.quantity.size(), ' ');
      for (std::size_t c = 0; c < kGliColumnCount; ++c) cell(row.cells[c], kWidths[c]);
      out += '\n';
    }
    if (table.set == GliSet::kGlobal2022 && section.hasReading) {
      const ReadingItem item = GliReadingItem(section);
      AppendReadingItem(item, kGliReadingName, item.details, out);
    }
    out += table.citation;
    out += '\n';
  }
}

// An item's value in the reading's object: null when not read, else its
// values' members on one line; for an item out of range, its equation,
// "outOfRange": true and the reason.
void WriteReadingItemJson(const ReadingItem& item, JsonWriter& json) {
  if (item.outOfRange) {
    json.BeginObject().Key("equation").String(item.equation).Key("outOfRange").Bool(true);
    json.Key("label").String(item.label.ja).Key("labelEn").String(item.label.en).EndObject();
    return;
  }
  if (!item.computed) {
    json.Null();
    return;
  }
  json.BeginObject();
  for (const ReadingValue& value : item.values) {
    if (value.member.empty()) continue;
    const std::string_view text = value.column.value;
    json.Key(value.member);
    switch (value.json) {
      case ReadingValue::Json::kText:
        json.String(text);
        break;
      case ReadingValue::Json::kTextOrNull:
        json.StringOrNull(text);
        break;
      case ReadingValue::Json::kNumber:
        json.Number(text);
        break;
      case ReadingValue::Json::kBool:
        json.Bool(text == "1");
        break;
    }
  }
  json.EndObject();
}

// The reading as one object, an item a line; with `gli`, its ERS/ATS 2022
// item (described as the JRS2014 one is) follows that one as "ersAts2022Gli".
void WriteReadingJson(const Reading& r, const LlnReading* gli, JsonWriter& json) {
  json.BeginObject(JsonWriter::Layout::kLines);
  for (const ReadingItem& item : ReadingItems(r)) {
    json.Key(item.key);
    WriteReadingItemJson(item, json);
    if (gli == nullptr || item.key != "ersAts2022") continue;
    Reading gliReading;
    gliReading.ersAts2022 = *gli;
    json.Key("ersAts2022Gli");
    WriteReadingItemJson(ReadingItems(gliReading)[kErsAts2022Item], json);
  }
  json.EndObject();
}

// A GLI set's object, or null when it is not computed.
void WriteGliSetJson(const GliSetResults& set, bool withGroup, JsonWriter& json) {
  if (!set.computed) {
    json.Null();
    return;
  }
  json.BeginObject(JsonWriter::Layout::kLines);
  if (withGroup) json.Key("group").String(GliGroupName(set.group));
  for (std::size_t q = 0; q < set.quantities.size(); ++q) {
    const GliQuantityResult& r = set.quantities[q];
    json.Key(kGliQuantityNames[q]).BeginObject();
    json.Key("predicted").Number(r.prediction.predicted).Key("lln").Number(r.prediction.lln);
    json.Key("uln").Number(r.prediction.uln).Key("z").Number(r.score.z);
    json.Key("percentile")
        .Number(r.score.percentile)
        .Key("percentPredicted")
        .Number(r.score.percentPredicted);
    json.EndObject();
  }
  json.EndObject();
}

}  // namespace

std::string FormatReport(const GivenInputs& given, const FullResult& result, bool colour,
                         const GliResults& gli) {
  std::string out;
  AppendInputs(given, out);
  ForEachGroupedRow(
      result,
      [&](std::string_view group, const MeasuredRatioText* ratio) {
        out += group;
        if (ratio != nullptr) {
          out += "   ";
          if (ratio->red && colour) out += kRedOn;
          out += ratio->text;
          if (ratio->red && colour) out += kColourOff;
          if (ratio->red && !colour) out += " *";
        }
        out += '\n';
      },
      [&](std::size_t i) {
        AppendRow(result.rows[i], colour, out);
        AppendOutOfRangeNote(result, i, out);
      });
  AppendReadingReport(ReadResult(result), out);
  AppendGliReport(GliSectionOf(gli), out);
  return out;
}

std::string FormatJson(const PatientInputs& inputs, const FullResult& result, const GliResults& gli) {
  using Layout = JsonWriter::Layout;
  std::string out;
  JsonWriter json(out);
  json.BeginObject(Layout::kLines).Key("inputs").BeginObject();
  json.Key("sexCode").Number(FormatNumber(inputs.sexCode));
  const std::pair<const char*, double> values[] = {{"age", inputs.age},
                                                   {"height", inputs.height},
                                                   {"vc", inputs.vc},
                                                   {"fvc", inputs.fvc},
                                                   {"fev1", inputs.fev1}};
  for (const auto& [name, value] : values) json.Key(name).Number(FormatNumber(value));
  json.EndObject().Key("computed").Bool(result.computed);
  json.Key("results").BeginArray(Layout::kLines);
  for (const ResultView& row : result.rows) {
    json.BeginObject().Key("name").String(row.name).Key("group").String(row.group);
    json.Key("label").String(row.label).Key("value").Number(FormatNumber(row.value));
    json.Key("text").StringOrNull(row.text).Key("line").StringOrNull(row.line);
    if (row.hasPercent) {
      json.Key("percent").Number(row.percent).Key("cell").StringOrNull(row.cell).Key("red").Bool(row.red);
    }
    json.EndObject();
  }
  json.EndArray().Key("measuredRatio");
  const MeasuredRatioText& ratio = result.panel.measuredRatio;
  if (ratio.shown) {
    json.BeginObject().Key("value").Number(FormatNumber(ratio.value));
    json.Key("text").String(ratio.text).Key("red").Bool(ratio.red).EndObject();
  } else {
    json.Null();
  }
  json.Key("jrs2014").BeginArray(Layout::kLines);
  for (const StandingView& s : result.jrs2014) {
    json.BeginObject().Key("quantity").String(s.name).Key("uln").Number(s.ulnText);
    json.Key("z").Number(s.zText).Key("percentile").Number(s.percentileText).EndObject();
  }
  json.EndArray().Key("warnings").BeginArray();
  for (const RelationWarning warning : kRelationWarnings) {
    if ((result.warnings & warning) == 0) continue;
    json.BeginObject().Key("key").String(RelationWarningKey(warning));
    json.Key("text").String(RelationWarningText(warning, result.inputs, TextEncoding::kUtf8)).EndObject();
  }
  json.EndArray().Key("reading");
  const LlnReading gliReading = ReadErsAtsGli(gli);
  WriteReadingJson(ReadResult(result), gli.global.requested ? &gliReading : nullptr, json);
  if (gli.global.requested || gli.gli2012.requested) {
    json.Key("gli").BeginObject(Layout::kLines);
    if (gli.global.requested) WriteGliSetJson(gli.global, false, json.Key(GliSetName(GliSet::kGlobal2022)));
    if (gli.gli2012.requested) WriteGliSetJson(gli.gli2012, true, json.Key(GliSetName(GliSet::k2012)));
    json.EndObject();
  }
  json.EndObject();
  out += '\n';
  return out;
}

}  // namespace kestrova::report
