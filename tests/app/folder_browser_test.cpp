#include "app/folder_browser.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(AbbreviatePath, CutsAfter35CharactersAndAddsDots) {
  const std::string exact(35, 'a');
  EXPECT_EQ(AbbreviatePath(exact), exact);
  EXPECT_EQ(AbbreviatePath(exact + "b"), exact + "...");
  EXPECT_EQ(AbbreviatePath(exact + "bcdef").size(), 38u);
  EXPECT_EQ(AbbreviatePath(""), "");
}

}  // namespace
