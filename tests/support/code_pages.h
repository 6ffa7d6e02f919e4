// What the tests know of the code pages the installer may run in: the lead bytes of the two
// double-byte code pages the tests use (Japanese 932 and Chinese 936, written out from their
// tables rather than asked of the system), and a few folder names in each.
#pragma once

#include <optional>
#include <string>

namespace tvex_test {

// The first bytes of double-byte characters: 0x81-0x9F and 0xE0-0xFC in code page 932,
// 0x81-0xFE in code page 936.
bool Cp932LeadByte(unsigned char c);
bool Cp936LeadByte(unsigned char c);

// A folder name, as UTF-16 and as bytes in each code page (nothing where the code page lacks a
// character of it).
struct FolderName {
  const wchar_t* wide;
  std::optional<std::string> utf8, cp1252, cp932, cp936;
  // The bytes in code page acp (65001 for UTF-8); nothing for a code page not listed.
  std::optional<std::string> In(unsigned acp) const;
  // True when code page acp is one of those listed.
  static bool Known(unsigned acp);
};

// "表" (95 5C in code page 932: its second byte is a backslash), "乗" (81 5C in code page 936),
// "ポ" (83 7C in 932: '|'), "中文", "Łódź" (in none of the legacy code pages) and "Café".
extern const FolderName kFolderNames[6];

}  // namespace tvex_test
