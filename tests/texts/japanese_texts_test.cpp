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
