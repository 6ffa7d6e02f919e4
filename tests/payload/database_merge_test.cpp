#include "payload/database_merge.h"

#include <gtest/gtest.h>

namespace {

TEST(IsDatabaseEntry, MatchesTheEightNamesWithoutCase) {
  for (const char* name :
       {".\\lib\\cmp\\standard.bjt", ".\\lib\\cmp\\standard.mos", ".\\lib\\cmp\\standard.jft",
        ".\\lib\\cmp\\standard.dio", ".\\lib\\cmp\\standard.cap", ".\\lib\\cmp\\standard.res",
        ".\\lib\\cmp\\standard.ind", ".\\lib\\cmp\\standard.bead", ".\\LIB\\Cmp\\Standard.CAP"})
    EXPECT_TRUE(IsDatabaseEntry(name)) << name;
  for (const char* name : {".\\lib\\cmp\\standard.ca", ".\\lib\\cmp\\standard.capx",
                           "lib\\cmp\\standard.cap", ".\\lib\\sub\\standard.cap", ""})
    EXPECT_FALSE(IsDatabaseEntry(name)) << name;
  EXPECT_FALSE(IsDatabaseEntry(nullptr));
}

}  // namespace
