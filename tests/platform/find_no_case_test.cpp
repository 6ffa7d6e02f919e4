#include "cmpdb/find_no_case.h"

#include <gtest/gtest.h>

TEST(FindNoCase, FindsFirstOccurrenceIgnoringAsciiCase) {
  const char* text = "C:\\PROGRA~1\\TVEX3.EXE,0";
  EXPECT_EQ(FindNoCase(text, "tvex3.exe"), text + 12);
  EXPECT_EQ(FindNoCase("abcABC", "bc"), static_cast<const char*>("abcABC") + 1);
  EXPECT_EQ(FindNoCase("xx", "xxx"), nullptr);
  EXPECT_STREQ(FindNoCase("Wurth Elektronik eiSos", "ELEKTRONIK"), "Elektronik eiSos");
}

TEST(FindNoCase, NullOrEmptyGivesNull) {
  EXPECT_EQ(FindNoCase(nullptr, "a"), nullptr);
  EXPECT_EQ(FindNoCase("a", nullptr), nullptr);
  EXPECT_EQ(FindNoCase("", "a"), nullptr);
  EXPECT_EQ(FindNoCase("a", ""), nullptr);
}

TEST(FindNoCase, OnlyAsciiLettersFold) {
  // 0xE9 and 0xC9 are é and É in Latin-1: not folded.
  EXPECT_EQ(FindNoCase("caf\xC9", "\xE9"), nullptr);
  EXPECT_EQ(FindNoCase("a[b", "A{B"), nullptr);
}
