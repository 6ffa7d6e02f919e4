#include "app/folder_browser.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(AbbreviatePath, CutsAfter35CharactersAndAddsDots) {
  const std::wstring exact(35, L'a');
  EXPECT_EQ(AbbreviatePath(exact), exact);
  EXPECT_EQ(AbbreviatePath(exact + L"b"), exact + L"...");
  EXPECT_EQ(AbbreviatePath(exact + L"bcdef").size(), 38u);
  EXPECT_EQ(AbbreviatePath(L""), L"");
  // Characters, not bytes of a code page: 35 of "表" stay whole.
  const std::wstring wide(36, L'\u8868');
  EXPECT_EQ(AbbreviatePath(wide), wide.substr(0, 35) + L"...");
}

TEST(AbbreviatePath, NeverCutsASurrogatePairInHalf) {
  // U+1F600 is two UTF-16 units; the pair that would straddle the cut goes whole.
  const std::wstring emoji = L"\U0001F600";
  const std::wstring text = std::wstring(34, L'a') + emoji + L"b";
  EXPECT_EQ(AbbreviatePath(text), std::wstring(34, L'a') + L"...");
  const std::wstring fits = std::wstring(33, L'a') + emoji + L"b";
  EXPECT_EQ(AbbreviatePath(fits), std::wstring(33, L'a') + emoji + L"...");
}

}  // namespace
