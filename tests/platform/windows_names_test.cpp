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

}  // namespace
