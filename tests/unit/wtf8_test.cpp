#include "platform/wtf8.h"

#include <gtest/gtest.h>

using platform::Utf16FromWtf8;
using platform::Wtf8FromUtf16;

TEST(Wtf8, EveryUtf16NameComesBackExactly) {
  const std::u16string names[] = {
      u"song.mp3",
      u"\uB178\uB798.mp3",                   // 노래
      u"\U0001F3B5 music",                   // a pair: four bytes
      std::u16string(1, char16_t(0xD800)) + u"lone lead",
      u"lone trail" + std::u16string(1, char16_t(0xDC00)),
      std::u16string{char16_t(0xDC00), char16_t(0xD800)},  // trail then lead: two lone ones
      u"",
  };
  for (const std::u16string& name : names) {
    std::u16string back;
    ASSERT_TRUE(Utf16FromWtf8(Wtf8FromUtf16(name), &back));
    EXPECT_EQ(back, name);
  }
  EXPECT_EQ(Wtf8FromUtf16(u"\uB178"), "\xEB\x85\xB8");
  EXPECT_EQ(Wtf8FromUtf16(std::u16string(1, char16_t(0xD800))), "\xED\xA0\x80");
}

TEST(Wtf8, BytesThatAreNoNameAreRefused) {
  std::u16string out = u"unchanged";
  for (const std::string& bad :
       {std::string("\xB8.mp3"),           // "노래.mp3" after a five-byte cut
        std::string("\xEB\x85"),           // a character cut short
        std::string("\xFF"), std::string("\xC0\xAF"),  // invalid, overlong
        std::string("\xED\xA0\xBD\xED\xBE\xB5")}) {    // a pair spelled as two
    EXPECT_FALSE(Utf16FromWtf8(bad, &out));
    EXPECT_EQ(out, u"unchanged");
  }
}
