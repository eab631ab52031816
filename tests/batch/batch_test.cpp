#include "batch/batch.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "batch/csv.h"
#include "kestrova/kestrova.h"
#include "report/result_columns.h"
#include "tests/support/captured_stream.h"
#include "texts/japanese_texts.h"

namespace kestrova::batch {

using namespace kestrova::report;  // NOLINT
namespace {

struct BatchRun {
  int status;
  std::string out;
  std::string err;
  std::vector<std::vector<std::string>> rows;  // the output, read back
};

std::vector<std::vector<std::string>> ParseCsv(const std::string& text) {
  std::vector<std::vector<std::string>> rows;
  if (text.empty()) return rows;
  std::FILE* in = fmemopen(const_cast<char*>(text.data()), text.size(), "rb");
  CsvReader reader(in);
  CsvRecord record;
  while (reader.Next(record)) {
    rows.emplace_back(record.fields.begin(), record.fields.begin() + record.count);
  }
  std::fclose(in);
  return rows;
}

BatchRun RunOn(const std::string& input, std::optional<TextEncoding> encoding = std::nullopt,
               unsigned jobs = 1) {
  std::FILE* in =
      input.empty() ? std::tmpfile() : fmemopen(const_cast<char*>(input.data()), input.size(), "rb");
  testing::CapturedStream out;
  testing::CapturedStream err;
  BatchStreams streams{in, out.file(), err.file(), "patients.csv"};
  streams.encoding = encoding;
  streams.jobs = jobs;
  BatchRun run;
  run.status = RunBatch(streams);
  std::fclose(in);
  run.out = out.Take();
  run.err = err.Take();
  // The rows read back without the output's byte order mark, if any.
  run.rows = ParseCsv(run.out.rfind("\xEF\xBB\xBF", 0) == 0 ? run.out.substr(3) : run.out);
  return run;
}

std::size_t ColumnOf(const std::vector<std::string>& header, const std::string& name) {
  for (std::size_t i = 0; i < header.size(); ++i) {
    if (header[i] == name) return i;
  }
  ADD_FAILURE() << "no column " << name;
  return 0;
}

// The result columns of two patients, as CSV. Hand-checked: 3.2/4.48 = 71.4 %
// and red (3.2 < LLN 3.72); 0.667 below 0.731 is obstruction, FEV1 z -2.48
// mild; %FEV1 68.1 is COPD stage II; lung age (0.036 × 170 − 1.178 − 2.6) /
// 0.028 = 83.6; disability index 2.6 × 100 / 4.47 = 58.2. 3.1/3.24 = 95.7 %.
const std::string kMale40Results =  // M, 40, 170, VC 3.2, FVC 3.9, FEV1 2.6
    "4.48,71.4,1,3.72,4.47,71.6,1,3.94,81.2,0,4.34,89.9,0,3.57,4.40,88.6,0,3.56,73.0,1,2.92,3.82,68.1,0,3.53,"
    "73.7,0,0.823,81.0,1,0.731,0.846,78.8,1,0.865,77.1,1,0.667,1,5.35,-2.88,0.2,5.11,-0.94,17.5,4.19,-2.48,0."
    "7,"
    "0.904,-2.64,0.4,mixed,71.6,obstructive,81.2,obstruction,mild,1,0,1,-2.48,II,68.1,83.6,84,0,58.2,none,"
    "vcBelowFvc";                     // VC 3.2 < FVC 3.9
const std::string kFemale45Results =  // F, 45, 160, VC 3.1, FVC 3.0, FEV1 2.4
    "3.24,95.7,0,2.69,3.13,99.0,0,2.76,112.3,0,3.14,95.5,0,2.57,3.00,100.0,0,2.58,93.0,0,2.11,2.52,95.2,0,2."
    "52,"
    "95.2,0,0.825,97.0,1,0.734,0.834,95.9,1,0.854,93.7,1,0.800,0,3.89,-0.40,34.6,3.75,-0.39,34.8,3.07,-0.62,"
    "26.9,0.911,-0.47,32.0,normal,99.0,normal,112.3,normal,,0,0,0,-0.62,notStaged,95.2,50.7,51,0,76.7,none,";

std::string Utf8(std::u8string_view s) { return std::string(s.begin(), s.end()); }

// The fields of `row` after the `error` column, joined with commas.
std::string Results(const BatchRun& run, std::size_t row) {
  const std::size_t first = ColumnOf(run.rows[0], "error") + 1;
  std::string joined;
  for (std::size_t i = first; i < run.rows[row].size(); ++i) {
    if (i > first) joined += ',';
    joined += run.rows[row][i];
  }
  return joined;
}

std::vector<std::string> ResultPart(const std::vector<std::string>& row, std::size_t first) {
  return std::vector<std::string>(row.begin() + static_cast<std::ptrdiff_t>(first), row.end());
}

// Every input column comes back unchanged and in its place, the recognised
// ones too, then `error` and the results.
TEST(Batch, HeaderPassThroughAndResultColumns) {
  const BatchRun run = RunOn(
      "id,SEX,Age,name,Height,VC,fvc,FEV1\n"
      "p1,M,40,\"Doe, J\",170,3.2,3.9,2.6\n");
  EXPECT_EQ(run.status, kExitOk) << run.err;
  ASSERT_EQ(run.rows.size(), 2u);
  const std::vector<std::string> input = {"id", "SEX", "Age", "name", "Height", "VC", "fvc", "FEV1"};
  EXPECT_EQ(std::vector<std::string>(run.rows[0].begin(), run.rows[0].begin() + 8), input);
  EXPECT_EQ(run.rows[0][8], "error");
  EXPECT_EQ(ResultPart(run.rows[0], 9), ResultColumnNames());
  const std::vector<std::string> values = {"p1", "M", "40", "Doe, J", "170", "3.2", "3.9", "2.6", ""};
  EXPECT_EQ(std::vector<std::string>(run.rows[1].begin(), run.rows[1].begin() + 9), values);
  EXPECT_NE(run.out.find("\"Doe, J\""), std::string::npos);  // quoted on the way out again
  EXPECT_EQ(Results(run, 1), kMale40Results);
  EXPECT_EQ(run.err, "");
}

TEST(Batch, BadRowsAreWrittenWithTheirErrorAndTheRestIsComputed) {
  const BatchRun run = RunOn(
      "id,sex,age,height,vc,fvc,fev1\n"
      "a,M,40,170,3.2,3.9,2.6\n"
      "b,M,4x,170,3.2,3.9,2.6\n"  // bad number
      "c,Q,40,170,,,\n"           // sex neither
      "d,F,45,160\n"              // missing columns
      "e,F,45,160,3.1,3.0,2.4\n"
      "f,F,45,160,3.1,3.0,2.4,9\n"  // one field too many
      "g,F,,160,,,\n"               // age empty
      "h,F,45,160,3.1,3.0,2.4\n");
  EXPECT_EQ(run.status, kExitBadInput);
  ASSERT_EQ(run.rows.size(), 9u);  // header + one row per input row
  const char* ids[] = {"a", "b", "c", "d", "e", "f", "g", "h"};
  for (std::size_t i = 0; i < 8; ++i) EXPECT_EQ(run.rows[i + 1][0], ids[i]);
  const std::size_t error = ColumnOf(run.rows[0], "error");
  EXPECT_EQ(run.rows[1][error], "");
  EXPECT_EQ(run.rows[2][error], "age '4x' is not a number");
  EXPECT_NE(run.rows[3][error].find("sex 'Q'"), std::string::npos);
  EXPECT_EQ(run.rows[4][error], "the row has 4 fields, the header 7: missing column 'vc'");
  EXPECT_EQ(run.rows[5][error], "");
  EXPECT_EQ(run.rows[6][error], "the row has 8 fields, the header 7");
  EXPECT_EQ(run.rows[7][error], "age is empty");
  EXPECT_EQ(run.rows[8][error], "");
  // A failed row has no results; the good ones have all of them.
  for (std::size_t r : {2u, 3u, 4u, 6u, 7u}) {
    for (const std::string& cell : ResultPart(run.rows[r], error + 1)) EXPECT_EQ(cell, "") << r;
    EXPECT_EQ(run.rows[r].size(), run.rows[0].size());
  }
  EXPECT_EQ(Results(run, 5), kFemale45Results);
  EXPECT_EQ(Results(run, 8), kFemale45Results);
  // Each failure names its line on the error stream.
  EXPECT_NE(run.err.find("patients.csv:3: age '4x' is not a number"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("patients.csv:4: sex 'Q'"), std::string::npos);
  EXPECT_NE(run.err.find("patients.csv:5: "), std::string::npos);
  EXPECT_NE(run.err.find("patients.csv:7: "), std::string::npos);
  EXPECT_NE(run.err.find("patients.csv:8: age is empty"), std::string::npos);
  EXPECT_NE(run.err.find("5 of 8 rows could not be read"), std::string::npos);
}

struct RowErrorsCase {
  std::string name;
  std::string input;
  int status;
  std::vector<std::string> errors;  // of each row, in order
};

// A row that fails gets its own error, the others are computed: values beyond
// the window's field limits (272 cm, 15 L) or above 150 years are refused
// rather than computed into meaningless texts; a quote left open takes the
// rest of the input into its row.
TEST(Batch, EachRowGetsItsOwnError) {
  const RowErrorsCase cases[] = {
      {"limits",
       "sex,age,height,vc\nM,151,170,\nM,40,273,\nM,40,170,15.01\nM,150,272,15\n",
       kExitBadInput,
       {"age '151' is above 150", "height '273' is above 272", "vc '15.01' is above 15", ""}},
      {"a quote left open",
       "id,sex,age,height\nok,M,40,170\n\"open,M,40,170\n",
       kExitBadInput,
       {"", "a quoted field is not closed before the end of the input"}},
      {"the header only", "sex,age,height\n", kExitOk, {}},
  };
  for (const RowErrorsCase& c : cases) {
    const BatchRun run = RunOn(c.input);
    EXPECT_EQ(run.status, c.status) << c.name;
    ASSERT_EQ(run.rows.size(), c.errors.size() + 1) << c.name;
    const std::size_t error = ColumnOf(run.rows[0], "error");
    for (std::size_t r = 0; r < c.errors.size(); ++r)
      EXPECT_EQ(run.rows[r + 1][error], c.errors[r]) << c.name;
  }
}

struct LimitCase {
  std::string name;
  std::string row;    // the line before a good row
  std::string error;  // of that line's row
};

// A field, a record or a field count beyond its bound makes an error row, and
// the next record is read as usual: memory stays bounded whatever the input.
TEST(Batch, RecordsBeyondTheBoundsAreErrorRows) {
  const std::string mib(kMaxFieldBytes, 'x');
  std::string manyFields(kMaxFields, ',');
  std::string bigRecord;
  for (int i = 0; i < 16; ++i) bigRecord += mib + ",";
  const LimitCase cases[] = {
      {"a field of 1 MiB", mib + ",M,40,170", ""},
      {"a field above 1 MiB", "x" + mib + ",M,40,170", "field 1 is longer than 1 MiB"},
      {"quoted, with line ends", "A,M,40,\"" + mib + "\n\r\n\"\"\"", "field 4 is longer than 1 MiB"},
      {"a record above 16 MiB", bigRecord + "x", "the row is longer than 16 MiB"},
      {"65537 fields", manyFields, "the row has more than 65536 fields"},
      {"after a quote in the cut part", "\"x" + mib + "\",\"a\nb\"", "field 1 is longer than 1 MiB"},
  };
  for (const LimitCase& c : cases) {
    const BatchRun run = RunOn("id,sex,age,height\n" + c.row + "\nB,M,40,170\n");
    ASSERT_EQ(run.rows.size(), 3u) << c.name;
    const std::size_t error = ColumnOf(run.rows[0], "error");
    EXPECT_EQ(run.rows[1][error], c.error) << c.name;
    EXPECT_EQ(run.rows[2][0], "B") << c.name;
    EXPECT_EQ(run.rows[2][error], "") << c.name;
    if (!c.error.empty()) {
      EXPECT_EQ(run.rows[1][0], "") << c.name;  // nothing of the cut row is kept
      EXPECT_NE(run.err.find("patients.csv:2: " + c.error + "\n"), std::string::npos) << c.name;
    }
  }
  const BatchRun header = RunOn("x" + mib + ",sex,age,height\nB,M,40,170\n");
  EXPECT_EQ(header.status, kExitBadInput);
  EXPECT_EQ(header.err, "kestrova-cli: patients.csv:1: the header: field 1 is longer than 1 MiB\n");
}

// Shift-JIS bytes of the Japanese words below.
const std::string kSjisName = "\x8E\x81\x96\xBC";    // 氏名
const std::string kSjisYamada = "\x8E\x52\x93\x63";  // 山田
const std::string kSjisMale = "\x92\x6A\x90\xAB";    // 男性
const std::string kSjisHeader = kSjisName +
                                ",\x90\xAB\x95\xCA,\x94\x4E\x97\xEE,"             // 性別,年齢,
                                "\x90\x67\x92\xB7(cm),\x94\x78\x8A\x88\x97\xCA,"  // 身長(cm),肺活量,
                                "\x93\x77\x97\xCD\x94\x78\x8A\x88\x97\xCA,"       // 努力肺活量,
                                "1\x95\x62\x97\xCA(L)\n";                         // 1秒量(L)

struct JapaneseHeaderCase {
  std::string name;
  std::string input;
  std::string nameColumn;  // the passed-through header and value
  std::string yamada;
  std::string male;    // the sex of the first row, passed through
  std::string female;  // and of the second
};

TEST(Batch, JapaneseHeadersAndSexesInUtf8AndShiftJis) {
  const std::string rows = ",40,170,3.2,3.9,2.6\n";
  const std::string femaleRow = ",45,160,3.1,3.0,2.4\n";
  const JapaneseHeaderCase cases[] = {
      {"UTF-8",
       Utf8(u8"氏名,性別,年齢,身長(cm),肺活量,努力肺活量,1秒量(L)\n山田,男性") + rows + Utf8(u8"山田,女") +
           femaleRow,
       Utf8(u8"氏名"), Utf8(u8"山田"), Utf8(u8"男性"), Utf8(u8"女")},
      {"Shift-JIS",
       kSjisHeader + kSjisYamada + ",\x92\x6A" + rows + kSjisYamada + ",\x8F\x97\x90\xAB" + femaleRow,
       kSjisName, kSjisYamada, "\x92\x6A", "\x8F\x97\x90\xAB"},  // 男, 女性
  };
  for (const JapaneseHeaderCase& c : cases) {
    const BatchRun run = RunOn(c.input);
    EXPECT_EQ(run.status, kExitOk) << c.name << ": " << run.err;
    ASSERT_EQ(run.rows.size(), 3u) << c.name;
    EXPECT_EQ(run.rows[0][0], c.nameColumn) << c.name;
    EXPECT_EQ(run.rows[0][7], "error") << c.name;
    EXPECT_EQ(run.rows[1][0], c.yamada) << c.name;
    EXPECT_EQ(run.rows[1][1], c.male) << c.name;
    EXPECT_EQ(run.rows[2][1], c.female) << c.name;
    EXPECT_EQ(Results(run, 1), kMale40Results) << c.name;
    EXPECT_EQ(Results(run, 2), kFemale45Results) << c.name;
  }
}

struct EmptyLineCase {
  std::string name;
  std::string input;
  std::vector<std::string> ids;  // of the output rows
  std::string err;               // the error stream
};

// Empty lines are no records, nor are rows of empty or blank fields (Excel's
// empty rows); every other line is one row. A byte order mark is not part of
// the (quoted) header.
TEST(Batch, EmptyLinesAndByteOrderMark) {
  const std::string header = "id,sex,age,height,vc\n";
  const EmptyLineCase cases[] = {
      {"trailing empty line", header + "a,M,40,170,\n\n", {"a"}, ""},
      {"inner empty lines, CRLF",
       "id,sex,age,height,vc\r\n\r\na,M,40,170,\r\n\r\n\r\nb,F,45,160,\r\n",
       {"a", "b"},
       ""},
      {"empty lines before the header", "\n\r\n" + header + "a,M,40,170,", {"a"}, ""},
      {"byte order mark, quoted header",
       "\xEF\xBB\xBF\"id\",\"sex\",\"age\",\"height\",\"vc\"\na,M,40,170,\n",
       {"a"},
       ""},
      {"byte order mark, empty line", "\xEF\xBB\xBF\n" + header + "a,M,40,170,\n", {"a"}, ""},
      {"line numbers count empty lines and rows",
       header + "\n,,,,\nb,X,40,170,\n",
       {"b"},
       "kestrova-cli: patients.csv:4: sex 'X' is neither M/F, 1/2 nor " + Utf8(u8"男性/女性") +
           "\nkestrova-cli: 1 of 1 rows could not be read\n"},
      {"empty rows, CRLF",
       "id,sex,age,height,vc\r\n,,,,\r\n\"\", ,\t,,\r\n,,\r\na,M,40,170,\r\n,,,,\r\n",
       {"a"},
       ""},
      {"an empty quoted field is no row, an unclosed quote is",
       "sex,age,height,id,vc\nM,40,170,\"\",\n\"\"\n\"",
       {"", ""},
       "kestrova-cli: patients.csv:4: a quoted field is not closed before the end of the input\n"
       "kestrova-cli: 1 of 2 rows could not be read\n"},
  };
  for (const EmptyLineCase& c : cases) {
    const BatchRun run = RunOn(c.input);
    EXPECT_EQ(run.status, c.err.empty() ? kExitOk : kExitBadInput) << c.name;
    EXPECT_EQ(run.err, c.err) << c.name;
    ASSERT_EQ(run.rows.size(), c.ids.size() + 1) << c.name;
    const std::size_t id = ColumnOf(run.rows[0], "id");
    for (std::size_t i = 0; i < c.ids.size(); ++i) EXPECT_EQ(run.rows[i + 1][id], c.ids[i]) << c.name;
  }
}

// Several chunks of rows: every 97th fails, every 500th line is empty, every
// 4th row has no FEV1; each row starts with `sex` or M.
std::string ManyRows(std::string_view start, std::string_view lineEnd, std::string_view sex) {
  std::string text(start);
  text.append("id,sex,age,height,vc,fvc,fev1").append(lineEnd);
  for (int i = 1; i <= 5000; ++i) {
    if (i % 500 == 0) text.append(lineEnd);
    const std::string age = i % 97 == 0 ? "200" : std::to_string(3 + i % 97);
    text.append("p").append(std::to_string(i)).append(",").append(i % 3 == 0 ? sex : "M").append(",");
    text.append(age).append(",").append(std::to_string(90 + i % 131)).append(",3.2,3.9,");
    text.append(i % 4 == 0 ? "" : "2.6");
    text.append(lineEnd);
  }
  return text;
}

// --jobs: the same output and error bytes and the same status as one job.
TEST(Batch, JobsWriteTheBytesOfOneJob) {
  const std::string inputs[] = {
      ManyRows("\xEF\xBB\xBF", "\n", texts::kFemaleUtf8),  // byte order mark
      ManyRows("", "\r\n", texts::kFemale),                // Shift-JIS, CRLF
      ManyRows("", "\n", "X"),                             // a third of the rows fail
      ManyRows("", "\n", "F").substr(0, 100),              // less than a chunk
  };
  for (const std::string& input : inputs) {
    const BatchRun one = RunOn(input, std::nullopt, 1);
    for (unsigned jobs : {2u, 3u}) {
      const BatchRun many = RunOn(input, std::nullopt, jobs);
      EXPECT_EQ(many.status, one.status) << input.substr(0, 60);
      EXPECT_TRUE(many.out == one.out) << input.substr(0, 60);
      EXPECT_EQ(many.err, one.err) << input.substr(0, 60);
    }
  }
  EXPECT_EQ(RunOn(inputs[0], std::nullopt, 2).rows.size(), 5001u);
}

struct EncodingCase {
  std::string name;
  std::string input;
  std::optional<TextEncoding> forced;
  bool byteOrderMark;      // the output starts with one
  std::string nameHeader;  // the passed-through column's name
  std::string yamada;      // and value
  std::string sexError;    // the error of the row with sex 'X'
};

// The output is in the input's encoding: passed-through bytes unchanged, a byte
// order mark kept, and only ASCII added to Shift-JIS.
TEST(Batch, OutputInTheInputEncoding) {
  const std::string rowsUtf8 = Utf8(u8"氏名,sex,age,height\n山田,M,40,170\n田中,X,40,170\n");
  const std::string utf8Error = "sex 'X' is neither M/F, 1/2 nor " + Utf8(u8"男性/女性");
  const std::string asciiError = "sex 'X' is neither M/F, 1/2 nor male/female in Japanese";
  const std::string rowsSjis =
      kSjisName + ",sex,age,height\n" + kSjisYamada + ",M,40,170\n" + kSjisYamada + ",X,40,170\n";
  const EncodingCase cases[] = {
      {"UTF-8 with a byte order mark", "\xEF\xBB\xBF" + rowsUtf8, std::nullopt, true, Utf8(u8"氏名"),
       Utf8(u8"山田"), utf8Error},
      {"UTF-8", rowsUtf8, std::nullopt, false, Utf8(u8"氏名"), Utf8(u8"山田"), utf8Error},
      {"Shift-JIS", rowsSjis, std::nullopt, false, kSjisName, kSjisYamada, asciiError},
      {"--encoding sjis", rowsUtf8, TextEncoding::kShiftJis, false, Utf8(u8"氏名"), Utf8(u8"山田"),
       asciiError},
      {"--encoding utf-8", rowsSjis, TextEncoding::kUtf8, false, kSjisName, kSjisYamada, utf8Error},
  };
  for (const EncodingCase& c : cases) {
    const BatchRun run = RunOn(c.input, c.forced);
    EXPECT_EQ(run.status, kExitBadInput) << c.name;
    EXPECT_EQ(run.out.rfind("\xEF\xBB\xBF", 0) == 0, c.byteOrderMark) << c.name;
    ASSERT_EQ(run.rows.size(), 3u) << c.name;
    EXPECT_EQ(run.rows[0][0], c.nameHeader) << c.name;
    EXPECT_EQ(run.rows[1][0], c.yamada) << c.name;
    const std::size_t error = ColumnOf(run.rows[0], "error");
    EXPECT_EQ(run.rows[1][error], "") << c.name;
    EXPECT_EQ(run.rows[2][error], c.sexError) << c.name;
  }
}

TEST(Batch, QuotedFieldsAndLineEndsInPassThroughColumns) {
  const BatchRun run = RunOn("note,sex,age,height\r\n\"two\r\nlines, \"\"quoted\"\"\",F,45,160\r\n");
  EXPECT_EQ(run.status, kExitOk) << run.err;
  ASSERT_EQ(run.rows.size(), 2u);
  EXPECT_EQ(run.rows[1][0], "two\r\nlines, \"quoted\"");
}

struct MessageCase {
  std::string name;
  std::string input;
  std::string err;  // the first line on the error stream
};

// What a row shows on the error stream is safe on a terminal and readable there.
TEST(Batch, MessagesShowTheInputSafely) {
  const std::string utf8Header = Utf8(u8"氏名,性別,年齢,身長,VC\n");
  const MessageCase cases[] = {
      {"escape sequence", "sex,age,height,vc\n\x1b[2J,40,170,\n",
       "kestrova-cli: patients.csv:2: sex '\\x1b[2J' is neither M/F, 1/2 nor " + Utf8(u8"男性/女性")},
      {"NUL", std::string("sex,age,height,vc\nM,4\0x,170,\n", 29),
       "kestrova-cli: patients.csv:2: age '4\\x00x' is not a number"},
      {"line end", "sex,age,height,vc\nM,\"4\nkestrova-cli: ok\",170,\n",
       "kestrova-cli: patients.csv:2: age '4\\x0akestrova-cli: ok' is not a number"},
      {"Shift-JIS", "sex,age,height,vc\n" + kSjisYamada + ",40,170,\n",
       "kestrova-cli: patients.csv:2: sex '" + Utf8(u8"山田") +
           "' is neither M/F, 1/2 nor male/female in Japanese"},
      // One stray byte in a UTF-8 file: the header is still read, the row is an error.
      {"stray byte", utf8Header + "\xFF,M,40,170,\n" + Utf8(u8"山田,男性,40,170,\n"),
       "kestrova-cli: patients.csv:2: field 1 is not valid UTF-8"},
      {"stray byte in quotes", utf8Header + "\"\xFF\",M,40,170,\n" + Utf8(u8"山田,男性,40,170,\n"),
       "kestrova-cli: patients.csv:2: field 1 is not valid UTF-8"},
      {"stray byte in an unclosed quote", utf8Header + Utf8(u8"山田,男性,40,170,\n") + "\"\xFF,M,40,170,\n",
       "kestrova-cli: patients.csv:3: field 1 is not valid UTF-8"},
  };
  for (const MessageCase& c : cases) {
    const BatchRun run = RunOn(c.input);
    EXPECT_EQ(run.status, kExitBadInput) << c.name;
    EXPECT_EQ(run.err.substr(0, run.err.find('\n')), c.err) << c.name;
  }
}

struct LineEndCase {
  std::string name;
  std::string input;
  std::size_t crLf;  // line ends in the output: CR LF
  std::size_t lf;    // and LF alone
};

// The output's rows end as the input's header does: CR LF from Excel stays
// CR LF, also after a last line without its line end; a line end inside a
// quoted field stays as it was.
TEST(Batch, LineEndsFollowTheInput) {
  const LineEndCase cases[] = {
      {"LF", "id,sex,age,height\na,M,40,170\nb,F,45,160\n", 0, 3},
      {"CRLF", "id,sex,age,height\r\na,M,40,170\r\nb,F,45,160\r\n", 3, 0},
      {"CRLF, no final line end", "id,sex,age,height\r\na,M,40,170\r\nb,F,45,160", 3, 0},
      {"CRLF, a bad row", "id,sex,age,height\r\na,M,40,170\r\nb,X,45,160\r\n", 3, 0},
      {"CRLF, quoted LF", "id,sex,age,height\r\n\"a\nb\",M,40,170\r\nb,F,45,160\r\n", 3, 1},
  };
  for (const LineEndCase& c : cases) {
    const BatchRun run = RunOn(c.input);
    EXPECT_EQ(run.rows.size(), 3u) << c.name;
    std::size_t crLf = 0;
    std::size_t lf = 0;
    for (std::size_t i = 0; i < run.out.size(); ++i) {
      if (run.out[i] != '\n') continue;
      (i > 0 && run.out[i - 1] == '\r' ? crLf : lf) += 1;
    }
    EXPECT_EQ(crLf, c.crLf) << c.name;
    EXPECT_EQ(lf, c.lf) << c.name;
    EXPECT_EQ(run.out.back(), '\n') << c.name;
  }
}

TEST(Batch, MissingVolumeColumnsAreNotMeasured) {
  const BatchRun run = RunOn("sex,age,height,FEV1 (mL)\nM,40,170,2600\n");
  EXPECT_EQ(run.status, kExitOk);
  // Said, so that a volume column under a name not recognised is noticed.
  EXPECT_EQ(run.err,
            "kestrova-cli: patients.csv:1: the header has no vc, fvc or fev1 column (it has 'sex', 'age', "
            "'height', 'FEV1 (mL)'): every volume is computed as not measured\n");
  ASSERT_EQ(run.rows.size(), 2u);
  EXPECT_EQ(run.rows[1][ColumnOf(run.rows[0], "vcJrs2014")], "4.48");
  EXPECT_EQ(run.rows[1][ColumnOf(run.rows[0], "vcJrs2014Pct")], "");
  EXPECT_EQ(run.rows[1][ColumnOf(run.rows[0], "measuredRatio")], "");
  EXPECT_EQ(run.rows[1][ColumnOf(run.rows[0], "ventilatoryClass")], "");
  EXPECT_EQ(run.rows[1][ColumnOf(run.rows[0], "vcZ")], "");
  EXPECT_EQ(run.rows[1][ColumnOf(run.rows[0], "vcUln")], "5.35");
}

struct HeaderCase {
  std::string input;
  std::string message;
};

TEST(Batch, UnusableHeaderIsRefused) {
  const HeaderCase cases[] = {
      {"", "the input is empty"},
      {"sex,age\nM,40\n", "no 'height' column"},
      {"id,age,height\n", "no 'sex' column"},
      {"sex,age,height,Age\n", "names the column 'age' twice"},
  };
  for (const HeaderCase& c : cases) {
    const BatchRun run = RunOn(c.input);
    EXPECT_EQ(run.status, kExitBadInput) << c.input;
    EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
    EXPECT_EQ(run.out, "");
  }
}

}  // namespace
}  // namespace kestrova::batch
