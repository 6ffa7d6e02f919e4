// ASCII case folding, the one rule every name comparison of the installer uses: only the
// letters A to Z and a to z fold; every other byte, 0x80 and above included, stands for itself.
#pragma once

#include <string>
#include <string_view>

namespace platform {

constexpr char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; }
constexpr char AsciiUpper(char c) { return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c; }

// The text with A to Z folded to a to z.
std::string AsciiLowered(std::string_view text);

// True when both texts have the same length and equal bytes after folding.
bool EqualsNoCase(std::string_view a, std::string_view b);

// True when text begins with prefix, bytes compared after folding.
bool StartsWithNoCase(std::string_view text, std::string_view prefix);

// Byte order of unsigned bytes after folding A to Z onto a to z (so "\" sorts as 0x5C, below
// every letter); a text sorts after its own prefixes. Negative, 0 or positive.
int CompareNoCase(std::string_view a, std::string_view b);

// The position of the first occurrence of pattern in text, letters compared after folding, or
// null; null when either is null or empty.
const char* FindNoCase(const char* text, const char* pattern);

}  // namespace platform
