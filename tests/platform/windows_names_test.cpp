#include "platform/windows_names.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(WindowsNames, ForbiddenCharactersAreFoundFirstComeFirst) {
  EXPECT_EQ(platform::ForbiddenNameCharacter("Program Files (x86)"), '\0');
  EXPECT_EQ(platform::ForbiddenNameCharacter("a-b_c.d~e$f#g@h!i&j'k+l,m;n=o[p]q{r}s%t^u`"), '\0');
  EXPECT_EQ(platform::ForbiddenNameCharacter(""), '\0');
  // Bytes above 0x7F are the code page's business, not forbidden as such.
  EXPECT_EQ(platform::ForbiddenNameCharacter("caf\xE9"), '\0');
  for (char c : std::string("\\/<>:\"|?*")) {
    const std::string name = std::string("ab") + c + "d?";
    EXPECT_EQ(platform::ForbiddenNameCharacter(name), c) << name;
  }
  EXPECT_EQ(platform::ForbiddenNameCharacter("tab\there"), '\t');
  EXPECT_EQ(platform::ForbiddenNameCharacter(std::string("nul\0byte", 8)), '\0')
      << "a NUL is a control character too, reported as itself";
  EXPECT_EQ(platform::ForbiddenNameCharacter("\x1F"), '\x1F');
  EXPECT_EQ(platform::ForbiddenNameCharacter("\x7F"), '\0') << "DEL is printable to Windows";
}

TEST(WindowsNames, DeviceNamesAreReservedInAnyCaseWithOrWithoutAnExtension) {
  for (const char* name : {"CON", "con", "Prn", "AUX", "nul", "NUL.txt", "nul.tar.gz", "COM1",
                           "com9.asc", "LPT1", "lpt9", "Lpt5.log", "CON .txt", "aux  "})
    EXPECT_TRUE(platform::IsReservedDeviceName(name)) << name;
  for (const char* name : {"", "CONSOLE", "con_", "xcon", "NUL_.txt", "COM", "COM0", "COM10", "LPT",
                           "LPTx", "COMA", ".con", "readme.con", "auxiliary.txt"})
    EXPECT_FALSE(platform::IsReservedDeviceName(name)) << name;
}

TEST(WindowsNames, TrailingDotsAndBlanksAreDropped) {
  for (const char* name : {"name.", "name ", ".", "..", " ", "a. ", "a ."})
    EXPECT_TRUE(platform::EndsInDotOrBlank(name)) << '"' << name << '"';
  for (const char* name : {"", "name", ".hidden", " leading", "a.b", "a\t"})
    EXPECT_FALSE(platform::EndsInDotOrBlank(name)) << '"' << name << '"';
}

TEST(WindowsNames, NamesInTheFormOfAShortNameAliasAreFound) {
  // Forms Windows gives long names: a numeric tail, short or hashed prefixes, any case, folders.
  for (const char* name : {"abcdef~1.txt", "ABCDEF~1.TXT", "PROGR~12", "PROGRA~1", "x~3.tar",
                           "docume~1", "AB12C~1.C", "a~123456", "~1", "abcd~99.h", "abc~1."})
    EXPECT_TRUE(platform::LooksLikeShortNameAlias(name)) << name;
  // Too long a base or extension, two dots, the tail elsewhere, no digits, or a character no
  // short name holds: Windows never makes these, so they name only themselves.
  for (const char* name : {"", "PROGRA~12", "abcdefg~1", "abcdef~1.html", "x~1.tar.gz", "a~b.txt",
                           "a~.txt", "abc~1x.txt", "~.txt", "tilde~", "file.txt~1", "x~1 y.txt",
                           "a+b~1.txt", "a[1]~2", "plain.txt", ".~1", "a~1~"})
    EXPECT_FALSE(platform::LooksLikeShortNameAlias(name)) << name;
}

}  // namespace
