// Code page conversions: Windows-1251 as ANSI, 866 as OEM (the Russian
// Windows host that the Windows build runs on under wine, and the fixed
// tables of POSIX).
#include "platform/CodePage.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string AllBytes() {
  std::string Text;
  for (int Byte = 1; Byte < 256; ++Byte) Text.push_back(static_cast<char>(Byte));
  return Text;
}

}  // namespace

TEST(AnsiToUtf16, KeepsAsciiAndControlCharacters) {
  EXPECT_EQ(AnsiToUtf16("{\"query\":\"test\"}\r\n\t"), u"{\"query\":\"test\"}\r\n\t");
  EXPECT_EQ(AnsiToUtf16(std::string("a\0b", 3)), std::u16string(u"a\0b", 3));
}

TEST(AnsiToUtf16, ReadsCyrillicOfWindows1251) {
  EXPECT_EQ(AnsiToUtf16("\xCF\xF0\xE8\xE2\xE5\xF2"), u"Привет");
  EXPECT_EQ(AnsiToUtf16("\xA8\xB8\xB9"), u"Ёё№");
  EXPECT_EQ(AnsiToUtf16("\x88\x96\x97"), u"€–—");
}

TEST(AnsiToUtf16, GivesOneCodeUnitPerByte) {
  EXPECT_EQ(AnsiToUtf16(AllBytes()).size(), 255u);
  EXPECT_TRUE(AnsiToUtf16("").empty());
}

TEST(Utf16ToAnsi, WritesCyrillicOfWindows1251) {
  EXPECT_EQ(Utf16ToAnsi(u"Привет, мир"), "\xCF\xF0\xE8\xE2\xE5\xF2, \xEC\xE8\xF0");
  EXPECT_EQ(Utf16ToAnsi(u"ЁёЇїЎў"), "\xA8\xB8\xAF\xBF\xA1\xA2");
}

TEST(Utf16ToAnsi, RoundTripsEveryByte) {
  std::string Bytes = AllBytes();
  EXPECT_EQ(Utf16ToAnsi(AnsiToUtf16(Bytes)), Bytes);
}

TEST(Utf16ToAnsi, ReplacesWhatWindows1251CannotHold) {
  // Latin letters with accents, Greek and CJK.
  EXPECT_EQ(Utf16ToAnsi(u"é"), "?");
  EXPECT_EQ(Utf16ToAnsi(u"αβ"), "??");
  EXPECT_EQ(Utf16ToAnsi(u"x中y"), "x?y");
}

TEST(Utf16ToAnsi, NeverTurnsALookAlikeIntoSyntax) {
  // Full-width quote, apostrophe, backslash and solidus would close or
  // escape the JSON string that holds them if they were best-fitted.
  std::string Text = Utf16ToAnsi(u"\uFF02\uFF07\uFF3C\uFF0F\u201F\u02BA");
  EXPECT_EQ(Text.find_first_of("\"'\\/"), std::string::npos) << Text;
}

TEST(OemToAnsi, TurnsCyrillicOf866IntoWindows1251) {
  EXPECT_EQ(OemToAnsi("\x8F\xE0\xA8\xA2\xA5\xE2"), "\xCF\xF0\xE8\xE2\xE5\xF2");  // Привет
  EXPECT_EQ(OemToAnsi("\xF0\xF1\xFC"), "\xA8\xB8\xB9");                          // Ёё№
}

TEST(OemToAnsi, KeepsAsciiAndLengthOfEveryText) {
  EXPECT_EQ(OemToAnsi("TS 1.2.3 ON"), "TS 1.2.3 ON");
  EXPECT_EQ(OemToAnsi(AllBytes()).size(), 255u);
}

TEST(OemToAnsi, ReplacesBoxDrawingThatWindows1251CannotHold) {
  std::string Text = OemToAnsi("\xC4\xB3\xDB");
  EXPECT_EQ(Text.find_first_of("\"'\\/"), std::string::npos);
  EXPECT_EQ(Text.size(), 3u);
}

TEST(Utf8ToUtf16, ReadsEveryLengthOfSequence) {
  EXPECT_EQ(Utf8ToUtf16("a\xD0\x9F\xE2\x82\xAC\xF0\x9F\x98\x80"), u"aП€\U0001F600");
  EXPECT_TRUE(Utf8ToUtf16("").empty());
}

TEST(Utf8ToUtf16, ReplacesEachIllFormedPart) {
  const struct {
    const char* Bytes;
    std::u16string Expected;
  } Cases[] = {
      {"a\xFF" "b", u"a\uFFFDb"},           // a byte that begins nothing
      {"a\xE2\x82" "b", u"a\uFFFDb"},       // a sequence cut short
      {"\xC0\xAF", u"\uFFFD\uFFFD"},        // an overlong slash
      {"x\xD0", u"x\uFFFD"},                // cut short at the end
  };
  for (const auto& Case : Cases) EXPECT_EQ(Utf8ToUtf16(Case.Bytes), Case.Expected) << Case.Bytes;
  // Windows-1251 bytes: replaced, though hosts differ in how many U+FFFD
  // a run of them gives.
  const std::u16string Ansi = Utf8ToUtf16("\xCF\xF0\xE8");
  EXPECT_FALSE(Ansi.empty());
  EXPECT_EQ(Ansi.find_first_not_of(u'\uFFFD'), std::u16string::npos);
}

TEST(Utf16ToUtf8, RoundTripsEveryCharacterKind) {
  const std::u16string Text = u"{\"id\":\"Привет € \U0001F600\"}";
  EXPECT_EQ(Utf16ToUtf8(Text),
            "{\"id\":\"\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82 \xE2\x82\xAC \xF0\x9F\x98\x80\"}");
  EXPECT_EQ(Utf8ToUtf16(Utf16ToUtf8(Text)), Text);
}

TEST(Utf16ToUtf8, ReplacesALoneSurrogate) {
  EXPECT_EQ(Utf16ToUtf8(std::u16string(u"a") + char16_t(0xD800) + u"b"), "a\xEF\xBF\xBD" "b");
}
