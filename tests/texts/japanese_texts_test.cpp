#include "texts/japanese_texts.h"

#include <gtest/gtest.h>

#include <string>

namespace kestrova::texts {
namespace {

struct BytesCase {
  std::string_view text;
  std::string expected;  // CP932 bytes
};

// The build compiles literals to code page 932; these are the bytes the window
// and its message boxes must receive.
TEST(JapaneseTexts, AreShiftJisBytes) {
  const BytesCase cases[] = {
      {kMale, "\x92\x6a\x90\xab"},
      {kFemale, "\x8f\x97\x90\xab"},
      {kSexCheckCaption, "\x90\xab\x95\xca"},
      {kVcLabel, "\x82\x75\x82\x62(L)"},
      {kFvcLabel, "F\x82\x75\x82\x62(L)"},
      {kHeightLabel, "\x90\x67\x92\xb7(cm)"},
      {kAgeLabel, "\x94\x4e\x97\xee"},
      {kHeightCaption, "\x90\x67\x92\xb7"},
      {kHeightRangeText, "100-272cm\x82\xc5\x82\xb7"},
      {kVcRangeCaption, "1.0-15 \x82\xc5\x82\xb7"},
      {kFvcFev1RangeCaption, "1.0 - 15 \x82\xc5\x82\xb7"},
      {kInputPrefix, "\x93\xfc\x97\xcd\x81\x46"},
      {kFvcFev1RangePrefix, "\x93\xfc\x97\xcd\x81\x46 "},
      {kLessThanFvc, " < FVC\x81\x46"},
      {kGreaterThanVc, " > VC\x81\x46"},
      {kRelationCaption, "\x8a\x6d\x94\x46 !!"},
      // "％値", 3 spaces, U+3000, 2 spaces, U+3000, "↓", 2 spaces, 2 × U+3000, "予測値".
      {kHeaderButton,
       "\x81\x93\x92\x6c   \x81\x40  \x81\x40\x81\xab  \x81\x40\x81\x40\x97\x5c\x91\xaa\x92\x6c"},
      {kControlFontFace, "\x82\x6c\x82\x72 \x82\x6f\x83\x53\x83\x56\x83\x62\x83\x4e"},
      // The message of a start handed a patient while another window is open.
      {kHandOverRefusedText,
       "Kestrova "
       "\x82\xcd\x82\xb7\x82\xc5\x82\xc9\x8bN\x93\xae\x82\xb5\x82\xc4\x82\xa2\x82\xdc\x82\xb7\x81\x42\x0a\x91"
       "\x97\x82\xe7\x82\xea\x82\xbd\x92l\x82\xcd\x94\xbd\x89\x66\x82\xb3\x82\xea\x82\xc4\x82\xa2\x82\xdc\x82"
       "\xb9\x82\xf1\x81\x42\x0a\x0a"
       "\x8aJ\x82\xa2\x82\xc4\x82\xa2\x82\xe9 Kestrova "
       "\x82\xf0\x95\xc2\x82\xb6\x82\xc4\x82\xa9\x82\xe7\x81\x41\x82\xe0\x82\xa4\x88\xea\x93x\x91\x97\x82\xc1"
       "\x82\xc4\x82\xad\x82\xbe\x82\xb3\x82\xa2\x81\x42"},
  };
  for (const BytesCase& c : cases) EXPECT_EQ(std::string(c.text), c.expected);
}

TEST(JapaneseTexts, Utf8TwinsStayUtf8) {
  EXPECT_EQ(std::string(kMaleUtf8), "\xe7\x94\xb7\xe6\x80\xa7");
  EXPECT_EQ(std::string(kSexCheckTextUtf8),
            "\xe6\x80\xa7\xe5\x88\xa5\xe3\x81\xae\xe3\x83\x81\xe3\x82\xa7\xe3\x83\x83\xe3\x82\xaf"
            "\xe3\x82\x92\xef\xbc\x81");
}

}  // namespace
}  // namespace kestrova::texts
