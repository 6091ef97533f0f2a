// The settings file's text rules.
#include "settings/profile_text.h"

#include <gtest/gtest.h>
#include <tuple>

using settings::ProfileLookup;
using settings::ProfileUpdate;

namespace {

std::string Lookup(const std::string& text, const std::string& section, const std::string& key) {
  std::string value;
  return ProfileLookup(text, section, key, &value) ? value : "<absent>";
}

std::string Updated(std::string text, const std::string& section, const std::string& key,
                    const std::string& value) {
  EXPECT_TRUE(ProfileUpdate(&text, section, key, value));
  return text;
}

}  // namespace

TEST(ProfileText, ReadsWhatUsersAndEditorsWrite) {
  const std::string text =
      "[config]\r\n"
      "; a comment = not a key\r\n"
      "\r\n"
      "  folder =  /music/a b  \r\n"
      "METHOD=2\r\n"
      "File=\r\n";
  EXPECT_EQ(Lookup(text, "Config", "Folder"), "/music/a b");
  EXPECT_EQ(Lookup(text, "CONFIG", "method"), "2");
  EXPECT_EQ(Lookup(text, "Config", "File"), "");
  EXPECT_EQ(Lookup(text, "Config", "; a comment"), "<absent>");
  EXPECT_EQ(Lookup(text, "Other", "Folder"), "<absent>");
  // The names asked for lose their blanks, as Windows takes them.
  EXPECT_EQ(Lookup(text, " Config ", " Folder"), "/music/a b");
}

TEST(ProfileText, ReadsAsWindowsReads) {
  // A lone CR ends a line (old Mac editors), as CR LF and LF do.
  EXPECT_EQ(Lookup("[Config]\rFolder=/cr\rFile=mp3\r", "Config", "File"), "mp3");
  EXPECT_EQ(Lookup("[Config]\r\nFolder=a\nFile=b\rMethod=2", "Config", "Method"), "2");
  // Single quotes are taken off as double ones are, one pair only.
  EXPECT_EQ(Lookup("[Config]\nFolder='D:\\Music'\n", "Config", "Folder"), "D:\\Music");
  EXPECT_EQ(Lookup("[Config]\nFolder=\"'x'\"\n", "Config", "Folder"), "'x'");
  EXPECT_EQ(Lookup("[Config]\nFolder='x\"\n", "Config", "Folder"), "'x\"");
  // A section name ends at the first "]"; an unclosed "[name" is a header.
  EXPECT_EQ(Lookup("[Con]fig]\nA=1\n", "Con", "A"), "1");
  EXPECT_EQ(Lookup("[Config\nA=2\n", "Config", "A"), "2");
  // A UTF-8 byte-order mark is not skipped: the first line is no header.
  EXPECT_EQ(Lookup("\xEF\xBB\xBF[Config]\nA=3\n", "Config", "A"), "<absent>");
}

TEST(ProfileText, OnlyTheFirstBlockOfASectionCountsAndKeysOutsideAreIgnored) {
  const std::string text =
      "Folder=outside\n"
      "[Config]\nFile=first\nFile=again\n"
      "[Other]\nFolder=other\n"
      "[Config]\nFile=second\nFolder=later\n";
  EXPECT_EQ(Lookup(text, "Config", "File"), "first");
  EXPECT_EQ(Lookup(text, "Config", "Folder"), "<absent>");
  EXPECT_EQ(Updated(text, "Config", "File", "x"),
            "Folder=outside\n[Config]\nFile=x\nFile=again\n[Other]\nFolder=other\n"
            "[Config]\nFile=second\nFolder=later\n");
  // A key the first block lacks goes into it, not into the later one.
  EXPECT_EQ(Updated(text, "Config", "Folder", "y"),
            "Folder=outside\n[Config]\nFile=first\nFile=again\nFolder=y\n[Other]\nFolder=other\n"
            "[Config]\nFile=second\nFolder=later\n");
}

TEST(ProfileText, UpdatesInPlaceAndLeavesEveryOtherLineAlone) {
  const std::string text = "; keep me\n[Config]\r\n  folder = old ;x\r\nFile=mp3\n\n[Next]\nA=1";
  EXPECT_EQ(Updated(text, "Config", "Folder", "/new"),
            "; keep me\n[Config]\r\n  folder =/new\r\nFile=mp3\n\n[Next]\nA=1");
  // A new key goes after the last key of its section, before the next one.
  EXPECT_EQ(Updated(text, "Config", "Method", "0"),
            "; keep me\n[Config]\r\n  folder = old ;x\r\nFile=mp3\nMethod=0\n\n[Next]\nA=1");
  // A new section goes at the end, after a line break the file lacked.
  EXPECT_EQ(Updated("[Next]\nA=1", "Config", "File", "mp3"), "[Next]\nA=1\n[Config]\nFile=mp3\n");
  // A key added to a section whose last line has no line break.
  EXPECT_EQ(Updated("[Config]\nFile=mp3", "Config", "Method", "1"),
            "[Config]\nFile=mp3\nMethod=1\n");
  // Lines added to a file use the file's own line ends.
  EXPECT_EQ(Updated("[A]\r\nB=1\r\n", "Config", "File", "mp3"),
            "[A]\r\nB=1\r\n[Config]\r\nFile=mp3\r\n");
  EXPECT_EQ(Updated("[A]\rB=1", "A", "C", "2"), "[A]\rB=1\rC=2\r");
  std::string empty;
  ASSERT_TRUE(ProfileUpdate(&empty, "Config", "File", "mp3", "\r\n"));
  EXPECT_EQ(empty, "[Config]\r\nFile=mp3\r\n");
  EXPECT_EQ(Updated("", "Config", "Folder", ""), "[Config]\nFolder=\n");
}

TEST(ProfileText, ValuesComeBackWholeEvenWithBlanksAndQuotes) {
  for (const std::string& value :
       {std::string(" lead"), std::string("trail "), std::string("\"quoted\""), std::string("\""),
        std::string("'single'"), std::string("'"), std::string("'mixed\""),
        std::string("a=b;c [d]"), std::string(200, 'x'), std::string("\xff\xfe\t")}) {
    std::string text = "[Config]\nFile=mp3\n";
    ASSERT_TRUE(ProfileUpdate(&text, "Config", "Folder", value)) << value;
    EXPECT_EQ(Lookup(text, "Config", "Folder"), value);
    EXPECT_EQ(Lookup(text, "Config", "File"), "mp3");
  }
}

TEST(ProfileText, RefusesWhatWouldForgeLines) {
  const std::string original = "[Config]\nFolder=/a\n";
  for (const auto& [section, key, value] :
       std::vector<std::tuple<std::string, std::string, std::string>>{
           {"Config", "Folder", "/a\n[Evil]\nMethod=1"},
           {"Config", "Folder", "/a\rb"},
           {"Config", "Fol=der", "x"},
           {"Config", "", "x"},
           {"Con]fig", "Folder", "x"},
           {"Config\n", "Folder", "x"},
       }) {
    std::string text = original;
    EXPECT_FALSE(ProfileUpdate(&text, section, key, value)) << key << "=" << value;
    EXPECT_EQ(text, original);
  }
}

