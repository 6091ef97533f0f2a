#include "platform/bytes.h"

#include <cstdio>
#include <gtest/gtest.h>

using platform::DisplayUtf8;
using platform::DropFirstBytes;
using platform::FormatNumbered;
using platform::LastBytes;
using platform::UpperBytes;

TEST(Bytes, UpperCasingTouchesOnlyAsciiLetters) {
  EXPECT_EQ(UpperBytes("song.Mp3"), "SONG.MP3");
  // Korean (UTF-8) stays as it is, the ASCII around it is upper-cased.
  EXPECT_EQ(UpperBytes("노래a.mp3"), "노래A.MP3");
  // Bytes of an invalid sequence survive untouched.
  EXPECT_EQ(UpperBytes(std::string("\xff\xfe" "ab", 4)), std::string("\xff\xfe" "AB", 4));
  EXPECT_EQ(UpperBytes(""), "");
}

TEST(Bytes, LastAndFirstBytesCountBytesNotCharacters) {
  EXPECT_EQ(LastBytes("song.mp3", 3), "mp3");
  EXPECT_EQ(LastBytes("p3", 3), "p3");
  EXPECT_EQ(LastBytes("", 3), "");
  // "래" is three bytes: the last three bytes of "노래" are that character.
  EXPECT_EQ(LastBytes("노래", 3), "래");

  EXPECT_EQ(DropFirstBytes("0042_song.mp3", 5), "song.mp3");
  EXPECT_EQ(DropFirstBytes("abc.mp3", 5), "p3");
  EXPECT_EQ(DropFirstBytes("a.mp3", 5), "");
  EXPECT_EQ(DropFirstBytes("a", 5), "");
}

TEST(Bytes, NumberedNamesPadToFourDigitsAndGrowBeyond) {
  EXPECT_EQ(FormatNumbered(7, "a.mp3"), "0007_a.mp3");
  EXPECT_EQ(FormatNumbered(32766, "a"), "32766_a");
  EXPECT_EQ(FormatNumbered(1, ""), "0001_");
  for (const int n : {0, 9, 42, 999, 9999, 10000, -5, -1234}) {
    char expected[16];
    std::snprintf(expected, sizeof expected, "%04d_", n);
    EXPECT_EQ(FormatNumbered(n, "x"), std::string(expected) + "x");
  }
  const std::string odd("-\xff\n x", 5);
  EXPECT_EQ(FormatNumbered(12, odd), "0012_" + odd);
}

TEST(Bytes, DisplayTextKeepsValidUtf8AndMarksTheRest) {
  EXPECT_EQ(DisplayUtf8("노래.mp3", true), "노래.mp3");
  // Every invalid byte becomes one U+FFFD; the name never renders empty.
  EXPECT_EQ(DisplayUtf8("\xff", true), "\xEF\xBF\xBD");
  EXPECT_EQ(DisplayUtf8("a\xC3(b", true), "a\xEF\xBF\xBD(b");
  // Overlong forms, surrogates and cut sequences are invalid too.
  EXPECT_EQ(DisplayUtf8("\xC0\xAF", true), "\xEF\xBF\xBD\xEF\xBF\xBD");
  EXPECT_EQ(DisplayUtf8("\xED\xA0\x80", false), "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD");
  EXPECT_EQ(DisplayUtf8("\xEB\x85", false), "\xEF\xBF\xBD\xEF\xBF\xBD");
  // Control characters become visible symbols in a cell but stay in a message.
  EXPECT_EQ(DisplayUtf8("a\nb", true), "a\xE2\x90\x8A" "b");
  EXPECT_EQ(DisplayUtf8("a\nb", false), "a\nb");
  // Plain names go through many bytes at a time: a special byte is found at
  // any place of a name of any length.
  const std::string plain = "0042_track number 12 of the album.mp3";
  for (std::size_t at = 0; at <= plain.size(); ++at) {
    const std::string before = plain.substr(0, at), after = plain.substr(at);
    EXPECT_EQ(DisplayUtf8(before + '\t' + after, true), before + "\xE2\x90\x89" + after) << at;
    EXPECT_EQ(DisplayUtf8(before + '\x7F' + after, true), before + "\xE2\x90\xA1" + after) << at;
    EXPECT_EQ(DisplayUtf8(before + '\xFF' + after, false), before + "\xEF\xBF\xBD" + after) << at;
    EXPECT_EQ(DisplayUtf8(before + '\t' + after, false), before + '\t' + after) << at;
    // A name's columns, as the control's symbol and the wide letter show.
    EXPECT_EQ(platform::NameColumns(before + '\n' + after), plain.size() + 1) << at;
    EXPECT_EQ(platform::NameColumns(before + "노" + after), plain.size() + 2) << at;
  }
  EXPECT_EQ(platform::DisplayColumns(plain + "노래"), plain.size() + 4);
}
