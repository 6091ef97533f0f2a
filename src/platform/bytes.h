// Byte-string helpers. File names, folders and the settings values are byte
// strings: nothing here converts them to another encoding.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace platform {

// ASCII a-z become A-Z; every other byte, and so every UTF-8 multi-byte
// character, is left as it is.
std::string UpperBytes(const std::string& text);

// The last n bytes, or the whole text when it is shorter.
std::string LastBytes(const std::string& text, std::size_t n);

// The text without its first n bytes; empty when it has n bytes or fewer.
std::string DropFirstBytes(const std::string& text, std::size_t n);

// "%04d_%s" of number and name: the number zero-padded to at least four
// digits, an underscore, then the name's bytes unchanged.
std::string FormatNumbered(int number, std::string_view name);

// Equality of two ASCII names without regard to letter case.
bool EqualsNoCase(std::string_view a, std::string_view b);

// Appends the UTF-8 form of a code point; a lone surrogate gets its
// three-byte form (as WTF-8 spells it).
void AppendUtf8(std::string* out, char32_t codePoint);

// A rendering of bytes for the screen: valid UTF-8 comes through unchanged,
// every byte of an invalid sequence becomes U+FFFD. With visibleControls set,
// control characters (a newline in a file name, say) become their visible
// symbols from the U+2400 block, so that a cell never looks empty or breaks.
std::string DisplayUtf8(const std::string& bytes, bool visibleControls);
// The same, appended to `out`.
void AppendDisplayUtf8(std::string* out, const std::string& bytes, bool visibleControls);

// How many columns of a terminal valid UTF-8 text takes: two for the wide
// characters of East Asian scripts (Hangul, CJK), none for combining marks.
std::size_t DisplayColumns(const std::string& utf8);
// How many a name's bytes take, rendered with visible controls.
std::size_t NameColumns(const std::string& bytes);

// Valid UTF-8 text of at most `maxCharacters` characters: longer text keeps
// its beginning and its end, the middle replaced by "…" ("LLLL…LLL.mp3").
std::string ShortenMiddle(const std::string& utf8, std::size_t maxCharacters);

}  // namespace platform
