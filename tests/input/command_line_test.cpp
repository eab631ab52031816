#include "input/command_line.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "numtext/number_text.h"

namespace kestrova {
namespace {

// A program path of at least nine characters and a space, as Windows gives it.
const std::string kPath = "C:\\kestrova.exe ";

CommandLineValues Parse(const std::string& arguments) { return ParseCommandLine(kPath + arguments + " "); }

TEST(ParseCommandLine, TheFemaleExample) {
  const CommandLineValues v = Parse("/Sex=F /Age=45 /Setake=160 /VC=3.1 /FVC=3.0 /FEV1=2.4");
  ASSERT_TRUE(v.sexCode);
  EXPECT_EQ(*v.sexCode, kSexFemale);
  EXPECT_EQ(v[CommandLineKey::kAge].text, "45");
  EXPECT_EQ(v[CommandLineKey::kHeight].text, "160");
  EXPECT_EQ(v[CommandLineKey::kVc].text, "3.1");
  EXPECT_EQ(v[CommandLineKey::kFvc].text, "3.0");  // the text as given, not "3"
  EXPECT_EQ(v[CommandLineKey::kFev1].text, "2.4");
  PatientInputs inputs;
  ApplyCommandLine(v, inputs);
  EXPECT_EQ(inputs.sexCode, 2);
  EXPECT_EQ(inputs.age, 45);
  EXPECT_EQ(inputs.height, 160);
  EXPECT_EQ(inputs.vc, 3.1);
  EXPECT_EQ(inputs.fvc, 3.0);
  EXPECT_EQ(inputs.fev1, ParseNumber("2.4"));
}

struct SexCase {
  std::string arguments;
  int expected;  // 0: not found
};

TEST(ParseCommandLine, SexTakesOnlyTheFirstCharacter) {
  const SexCase cases[] = {
      {"/Sex=M", 1}, {"/Sex=Male", 1}, {"/Sex=M1", 1},      {"/Sex=m", 2},
      {"/Sex=F", 2}, {"/Sex=W", 2},    {"/Sex= /Age=3", 2},  // the space is the first character
      {"/sex=M", 0}, {"/Age=40", 0},
  };
  for (const SexCase& c : cases) {
    const CommandLineValues v = Parse(c.arguments);
    EXPECT_EQ(v.sexCode.value_or(0), c.expected) << c.arguments;
  }
}

TEST(ParseCommandLine, KeysInAnyOrderFirstOccurrenceCounts) {
  const CommandLineValues v = Parse("junk /FEV1=2.0 words /Age=50 /Age=60 /Setake=170 /DLCO=12 /age=99");
  EXPECT_EQ(v[CommandLineKey::kAge].number, 50);
  EXPECT_EQ(v[CommandLineKey::kFev1].number, 2);
  EXPECT_EQ(v[CommandLineKey::kHeight].number, 170);
  EXPECT_TRUE(v[CommandLineKey::kDlco].found);
  EXPECT_FALSE(v[CommandLineKey::kVc].found);
  PatientInputs inputs;
  inputs.vc = 4.5;
  ApplyCommandLine(v, inputs);
  EXPECT_EQ(inputs.vc, 4.5);  // a missing key leaves its input alone
  EXPECT_EQ(inputs.sexCode, 1);
}

TEST(ParseCommandLine, EmptyValueTakesTheWholeRest) {
  const CommandLineValues v = Parse("/Age= /Setake=170");
  EXPECT_EQ(v[CommandLineKey::kAge].text, " /Setake=170 ");
  EXPECT_EQ(v[CommandLineKey::kAge].number, 0);  // ParseNumber stops at "/"
  EXPECT_EQ(v[CommandLineKey::kHeight].number, 170);
}

TEST(ParseCommandLine, ValuesAreUncheckedAndMayBeUnreadable) {
  const CommandLineValues v = Parse("/Age=150 /Setake=abc /VC=&H10 /FVC=" + std::string(400, '9'));
  EXPECT_EQ(v[CommandLineKey::kAge].number, 150);
  EXPECT_EQ(v[CommandLineKey::kHeight].text, "abc");
  EXPECT_EQ(v[CommandLineKey::kHeight].number, 0);
  EXPECT_EQ(v[CommandLineKey::kVc].number, 16);
  EXPECT_TRUE(std::isinf(v[CommandLineKey::kFvc].number));
}

// The first ten characters are the program path and are never read as a key; a
// key that begins exactly at character 10 hides later repetitions.
TEST(ParseCommandLine, KeysWithinTheFirstTenCharacters) {
  EXPECT_FALSE(ParseCommandLine("/Age=45 x ")[CommandLineKey::kAge].found);
  EXPECT_FALSE(ParseCommandLine("a.exe /Age=45 ")[CommandLineKey::kAge].found);             // at 7
  EXPECT_FALSE(ParseCommandLine("ab.exe.. /Age=45 /Age=50 ")[CommandLineKey::kAge].found);  // at 10
  const CommandLineValues at11 = ParseCommandLine("abc.exe.. /Age=45 ");
  EXPECT_EQ(at11[CommandLineKey::kAge].number, 45);
  EXPECT_FALSE(ParseCommandLine("")[CommandLineKey::kAge].found);
}

// Positions are not 8-bit: keys after character 255 (and far beyond) are found
// at their real place.
TEST(ParseCommandLine, LongCommandLines) {
  for (std::size_t padding : {240u, 250u, 256u, 300u, 10000u}) {
    const CommandLineValues v = Parse(std::string(padding, 'x') + " /Sex=F /Age=45 /Setake=160");
    EXPECT_EQ(v.sexCode.value_or(0), 2) << padding;
    EXPECT_EQ(v[CommandLineKey::kAge].number, 45) << padding;
    EXPECT_EQ(v[CommandLineKey::kHeight].number, 160) << padding;
  }
}

TEST(ParseCommandLine, WithoutTheAppendedSpace) {
  const CommandLineValues v = ParseCommandLine("C:\\kestrova.exe /Age=45 /Sex=");
  EXPECT_EQ(v[CommandLineKey::kAge].number, 45);
  EXPECT_EQ(v.sexCode.value_or(0), 2);
}

struct HandOverCase {
  std::string arguments;
  bool patient;
};

TEST(HandsOverPatient, AnyKeyThatIsStoredButDlco) {
  const HandOverCase cases[] = {
      {"", false},        {"/DLCO=20", false}, {"/sex=M /AGE=45", false},  // keys are case-sensitive
      {"/Sex=M", true},   {"/Age=45", true},   {"/Setake=160", true},     {"/VC=3.1", true},
      {"/FVC=3.0", true}, {"/FEV1=2.4", true}, {"/FEV1=", true},  // an empty value is still handed over
  };
  for (const HandOverCase& c : cases)
    EXPECT_EQ(HandsOverPatient(Parse(c.arguments)), c.patient) << c.arguments;
}

}  // namespace
}  // namespace kestrova
