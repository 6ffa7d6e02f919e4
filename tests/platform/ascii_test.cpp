#include "platform/ascii.h"

#include <gtest/gtest.h>

TEST(FindNoCase, FindsFirstOccurrenceIgnoringAsciiCase) {
  const char* text = "C:\\PROGRA~1\\TVEX3.EXE,0";
  EXPECT_EQ(platform::FindNoCase(text, "tvex3.exe"), text + 12);
  EXPECT_EQ(platform::FindNoCase("abcABC", "bc"), static_cast<const char*>("abcABC") + 1);
  EXPECT_EQ(platform::FindNoCase("xx", "xxx"), nullptr);
  EXPECT_STREQ(platform::FindNoCase("Wurth Elektronik eiSos", "ELEKTRONIK"), "Elektronik eiSos");
}

TEST(FindNoCase, NullOrEmptyGivesNull) {
  EXPECT_EQ(platform::FindNoCase(nullptr, "a"), nullptr);
  EXPECT_EQ(platform::FindNoCase("a", nullptr), nullptr);
  EXPECT_EQ(platform::FindNoCase("", "a"), nullptr);
  EXPECT_EQ(platform::FindNoCase("a", ""), nullptr);
}

TEST(FindNoCase, OnlyAsciiLettersFold) {
  // 0xE9 and 0xC9 are é and É in Latin-1: not folded.
  EXPECT_EQ(platform::FindNoCase("caf\xC9", "\xE9"), nullptr);
  EXPECT_EQ(platform::FindNoCase("a[b", "A{B"), nullptr);
}

TEST(AsciiFolding, EqualityAndOrderFoldOnlyLetters) {
  EXPECT_TRUE(platform::EqualsNoCase(".\\LIB\\Cmp\\Standard.CAP", ".\\lib\\cmp\\standard.cap"));
  EXPECT_FALSE(platform::EqualsNoCase("standard.cap", "standard.ca"));
  EXPECT_FALSE(platform::EqualsNoCase("[", "{")) << "only A-Z and a-z are one another's case";
  EXPECT_TRUE(platform::StartsWithNoCase(".MODEL Q1 NPN", ".model"));
  EXPECT_FALSE(platform::StartsWithNoCase(".mod", ".model"));
  // Letters fold to lower case, so a backslash (0x5C) sorts before every letter and "_" (0x5F)
  // too: the lib folder's files come before ".\License.txt".
  EXPECT_LT(platform::CompareNoCase(".\\lib\\cmp", ".\\License.txt"), 0);
  EXPECT_LT(platform::CompareNoCase("a\\b", "aB"), 0);
  EXPECT_LT(platform::CompareNoCase("_", "a"), 0);
  EXPECT_LT(platform::CompareNoCase("abc", "ABCD"), 0) << "a prefix first";
  EXPECT_EQ(platform::CompareNoCase("Readme.TXT", "README.txt"), 0);
  EXPECT_GT(platform::CompareNoCase("\xE9", "z"), 0) << "bytes compare unsigned";
}
