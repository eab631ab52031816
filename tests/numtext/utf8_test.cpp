#include "numtext/utf8.h"

#include <gtest/gtest.h>

#include <string>

namespace kestrova {
namespace {

struct Utf8Case {
  std::string text;
  std::size_t length;
  std::uint32_t codePoint;
  bool cut;
};

// Each boundary of the strict form: the first and last code point of a
// length, the overlong, surrogate and beyond-U+10FFFF second bytes.
TEST(ReadUtf8Char, ReadsOnlyStrictForms) {
  const Utf8Case cases[] = {
      {"A", 1, 0x41, false},
      {"\x7F", 1, 0x7F, false},
      {"\xC2\x80", 2, 0x80, false},
      {"\xDF\xBF", 2, 0x7FF, false},
      {"\xE0\xA0\x80", 3, 0x800, false},
      {"\xED\x9F\xBF", 3, 0xD7FF, false},
      {"\xEF\xBF\xBD", 3, 0xFFFD, false},
      {"\xF0\x90\x80\x80", 4, 0x10000, false},
      {"\xF4\x8F\xBF\xBF", 4, 0x10FFFF, false},
      {"\x80", 0, 0, false},              // a trail byte first
      {"\xC1\xBF", 0, 0, false},          // overlong
      {"\xE0\x9F\xBF", 0, 0, false},      // overlong
      {"\xED\xA0\x80", 0, 0, false},      // surrogate
      {"\xF0\x8F\xBF\xBF", 0, 0, false},  // overlong
      {"\xF4\x90\x80\x80", 0, 0, false},  // above U+10FFFF
      {"\xF5\x80\x80\x80", 0, 0, false},
      {"\xE3\x81", 0, 0, true},
      {"\xE3\x41\x81", 0, 0, false},  // a bad byte before the end is no cut
  };
  for (const Utf8Case& c : cases) {
    const Utf8Char ch = ReadUtf8Char(c.text, 0);
    EXPECT_EQ(ch.length, c.length) << c.text;
    EXPECT_EQ(ch.codePoint, c.codePoint) << c.text;
    EXPECT_EQ(ch.cut, c.cut) << c.text;
  }
}

TEST(IsValidUtf8, AcceptsACutOnlyAtTheEndWhenAsked) {
  EXPECT_TRUE(IsValidUtf8("a\xE3\x81\x82z"));
  EXPECT_FALSE(IsValidUtf8("a\xE3\x81"));
  EXPECT_TRUE(IsValidUtf8("a\xE3\x81", true));
  EXPECT_FALSE(IsValidUtf8("\xE3\x81z", true));
}

}  // namespace
}  // namespace kestrova
