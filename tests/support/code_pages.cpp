#include "tests/support/code_pages.h"

namespace tvex_test {

bool Cp932LeadByte(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

bool Cp936LeadByte(unsigned char c) { return c >= 0x81 && c <= 0xFE; }

std::optional<std::string> FolderName::In(unsigned acp) const {
  switch (acp) {
    case 65001:
      return utf8;
    case 1252:
      return cp1252;
    case 932:
      return cp932;
    case 936:
      return cp936;
    default:
      return std::nullopt;
  }
}

bool FolderName::Known(unsigned acp) {
  return acp == 65001 || acp == 1252 || acp == 932 || acp == 936;
}

const FolderName kFolderNames[6] = {
    {L"\u8868", "\xE8\xA1\xA8", std::nullopt, "\x95\x5C", "\xB1\xED"},
    {L"\u4E57", "\xE4\xB9\x97", std::nullopt, "\x8F\xE6", "\x81\x5C"},
    {L"\u30DD", "\xE3\x83\x9D", std::nullopt, "\x83\x7C", "\xA5\xDD"},
    {L"\u4E2D\u6587", "\xE4\xB8\xAD\xE6\x96\x87", std::nullopt, "\x92\x86\x95\xB6",
     "\xD6\xD0\xCE\xC4"},
    {L"\u0141\u00F3d\u017A",
     "\xC5\x81\xC3\xB3"
     "d\xC5\xBA",
     std::nullopt, std::nullopt, std::nullopt},
    {L"Caf\u00E9", "Caf\xC3\xA9", "Caf\xE9", std::nullopt, "Caf\xA8\xA6"},
};

}  // namespace tvex_test
