#include "batch/csv.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace kestrova::batch {
namespace {

struct Parsed {
  std::vector<std::string> fields;
  std::uint64_t line;
  bool unterminated;
};

// Reads every record of `text`, with a read buffer of `bufferSize` bytes (small
// sizes put record and quote boundaries across refills).
std::vector<Parsed> ReadAll(const std::string& text, std::size_t bufferSize) {
  std::FILE* in = fmemopen(const_cast<char*>(text.data()), text.size(), "rb");
  if (text.empty()) in = std::tmpfile();
  CsvReader reader(in, bufferSize);
  CsvRecord record;
  std::vector<Parsed> out;
  while (reader.Next(record)) {
    out.push_back({std::vector<std::string>(record.fields.begin(), record.fields.begin() + record.count),
                   record.line, record.unterminatedQuote});
  }
  std::fclose(in);
  return out;
}

struct ReadCase {
  std::string name;
  std::string input;
  std::vector<std::vector<std::string>> records;
};

TEST(CsvReader, Quoting) {
  const ReadCase cases[] = {
      {"plain", "a,b,c\n1,2,3\n", {{"a", "b", "c"}, {"1", "2", "3"}}},
      {"no final line end", "a,b\n1,2", {{"a", "b"}, {"1", "2"}}},
      {"CRLF", "a,b\r\n1,2\r\n", {{"a", "b"}, {"1", "2"}}},
      {"lone CR", "a,b\r1,2\r", {{"a", "b"}, {"1", "2"}}},
      {"empty fields", ",,\n", {{"", "", ""}}},
      {"quoted comma", "\"a,b\",c\n", {{"a,b", "c"}}},
      {"doubled quote", "\"say \"\"hi\"\"\",x\n", {{"say \"hi\"", "x"}}},
      {"quoted line ends", "\"one\ntwo\r\nthree\",x\n", {{"one\ntwo\r\nthree", "x"}}},
      {"empty quoted", "\"\",\"\"\n", {{"", ""}}},
      // Leniency: a quote inside an unquoted field and text after a closing
      // quote are data.
      {"quote inside", "ab\"c,d\n", {{"ab\"c", "d"}}},
      {"text after quote", "\"ab\"c,d\n", {{"abc", "d"}}},
      {"blank line is a record", "a\n\nb\n", {{"a"}, {""}, {"b"}}},
      {"empty input", "", {}},
  };
  for (const ReadCase& c : cases) {
    for (std::size_t bufferSize :
         {std::size_t{1}, std::size_t{2}, std::size_t{3}, std::size_t{7}, std::size_t{1} << 16}) {
      const auto parsed = ReadAll(c.input, bufferSize);
      ASSERT_EQ(parsed.size(), c.records.size()) << c.name << " buffer " << bufferSize;
      for (std::size_t i = 0; i < parsed.size(); ++i) {
        EXPECT_EQ(parsed[i].fields, c.records[i]) << c.name << " record " << i << " buffer " << bufferSize;
        EXPECT_FALSE(parsed[i].unterminated) << c.name;
      }
    }
  }
}

struct PlainCase {
  std::string name;
  std::string input;  // one record
  bool plain;
};

// A record is plain only when no quote was read in it: a field written back
// as it stands must not need quotes.
TEST(CsvReader, RecordsWithAQuoteAreNotPlain) {
  const PlainCase cases[] = {
      {"no quote", "ab,,c d\n", true},
      {"quoted field", "a,\"b\"\n", false},
      {"quote starting a run", "a,b\"c\n", false},
      {"quote inside a run", "abc\"d,e\n", false},
      {"quote ending the record", "a,bc\"", false},
  };
  for (const PlainCase& c : cases) {
    for (std::size_t bufferSize : {std::size_t{1}, std::size_t{2}, std::size_t{3}, std::size_t{64}}) {
      std::FILE* in = fmemopen(const_cast<char*>(c.input.data()), c.input.size(), "rb");
      CsvReader reader(in, bufferSize);
      CsvRecord record;
      ASSERT_TRUE(reader.Next(record)) << c.name;
      EXPECT_EQ(record.plain, c.plain) << c.name << " buffer " << bufferSize;
      std::fclose(in);
    }
  }
}

// Shift-JIS trail bytes never fall on a comma, quote or line end, so the bytes
// pass through unchanged; so does UTF-8.
TEST(CsvReader, EncodingsPassThroughByteForByte) {
  const std::string sjisMale = "\x92\x6A\x90\xAB";  // 男性 in Shift-JIS
  const std::string utf8Female = "\xE5\xA5\xB3\xE6\x80\xA7";
  const auto parsed = ReadAll(sjisMale + "," + utf8Female + ",\"" + sjisMale + "\"\n", 3);
  ASSERT_EQ(parsed.size(), 1u);
  EXPECT_EQ(parsed[0].fields, (std::vector<std::string>{sjisMale, utf8Female, sjisMale}));
}

TEST(CsvReader, LineNumbersCountPhysicalLines) {
  const auto parsed = ReadAll("h\n\"a\nb\"\nc\r\nd\n", 4);
  ASSERT_EQ(parsed.size(), 4u);
  EXPECT_EQ(parsed[0].line, 1u);
  EXPECT_EQ(parsed[1].line, 2u);  // spans lines 2 and 3
  EXPECT_EQ(parsed[2].line, 4u);
  EXPECT_EQ(parsed[3].line, 5u);
}

TEST(CsvReader, UnterminatedQuoteIsReported) {
  const auto parsed = ReadAll("a,b\n1,\"2\n3,4\n", 5);
  ASSERT_EQ(parsed.size(), 2u);
  EXPECT_FALSE(parsed[0].unterminated);
  EXPECT_TRUE(parsed[1].unterminated);
  EXPECT_EQ(parsed[1].fields, (std::vector<std::string>{"1", "2\n3,4\n"}));
}

// A look at the start of the input (the encoding decision) takes nothing from
// it, whatever the sizes of the buffer and of the look; Skip takes bytes.
TEST(CsvReader, LookaheadTakesNothing) {
  const std::string text =
      "\xEF\xBB\xBF"
      "a,\"b\nc\"\n\n1,2";
  for (std::size_t bufferSize : {std::size_t{1}, std::size_t{2}, std::size_t{5}, std::size_t{64}}) {
    for (std::size_t look :
         {std::size_t{0}, std::size_t{2}, std::size_t{3}, std::size_t{9}, std::size_t{100}}) {
      std::FILE* in = fmemopen(const_cast<char*>(text.data()), text.size(), "rb");
      CsvReader reader(in, bufferSize);
      EXPECT_EQ(reader.Lookahead(look), text.substr(0, look)) << bufferSize << " " << look;
      EXPECT_EQ(reader.AtEnd(), look > text.size()) << bufferSize << " " << look;
      EXPECT_EQ(reader.Lookahead(3), "\xEF\xBB\xBF");
      reader.Skip(3);
      CsvRecord record;
      std::vector<std::vector<std::string>> records;
      std::vector<bool> blank;
      while (reader.Next(record)) {
        records.emplace_back(record.fields.begin(), record.fields.begin() + record.count);
        blank.push_back(record.blankLine);
      }
      std::fclose(in);
      EXPECT_EQ(records, (std::vector<std::vector<std::string>>{{"a", "b\nc"}, {""}, {"1", "2"}}))
          << bufferSize << " " << look;
      EXPECT_EQ(blank, (std::vector<bool>{false, true, false})) << bufferSize << " " << look;
      EXPECT_EQ(reader.BytesConsumed(), text.size());
    }
  }
}

struct WriteCase {
  std::vector<std::string> fields;
  std::string line;
};

// Quotes only where needed, and what the writer writes the reader reads back.
TEST(CsvWriter, QuotesOnlyWhereNeeded) {
  const WriteCase cases[] = {
      {{"a", "b"}, "a,b\n"},
      {{"", ""}, ",\n"},
      {{"a,b"}, "\"a,b\"\n"},
      {{"say \"hi\""}, "\"say \"\"hi\"\"\"\n"},
      {{"one\ntwo"}, "\"one\ntwo\"\n"},
      {{"cr\r"}, "\"cr\r\"\n"},
      {{" spaced "}, " spaced \n"},
  };
  for (const WriteCase& c : cases) {
    std::string out;
    StringSink sink(out);
    CsvWriter writer(sink);
    for (const std::string& f : c.fields) writer.Field(f);
    writer.EndRow();
    writer.Flush();
    EXPECT_EQ(out, c.line);
    const auto parsed = ReadAll(out, 2);
    ASSERT_EQ(parsed.size(), 1u) << c.line;
    EXPECT_EQ(parsed[0].fields, c.fields) << c.line;
  }
}

}  // namespace
}  // namespace kestrova::batch
