#include "platform/protected_directory.h"

#include <gtest/gtest.h>

#include "tests/support/disk_files.h"
#include "tests/support/work_dir.h"

namespace {

using namespace tvex_test;

TEST(ProtectedDirectory, IsMadeOnceBelowAnExistingParent) {
  WorkDir work;
  const std::string dir = work.Path("Tvex");
  EXPECT_TRUE(platform::CreateProtectedDirectory(dir));
  EXPECT_TRUE(Exists(dir));
  // Whatever is there already keeps its own protection: never taken over.
  EXPECT_FALSE(platform::CreateProtectedDirectory(dir));
  WriteAll(work.Path("file"), "x");
  EXPECT_FALSE(platform::CreateProtectedDirectory(work.Path("file")));
  EXPECT_FALSE(platform::CreateProtectedDirectory(work.Path("missing\\Tvex")));
  EXPECT_FALSE(Exists(work.Path("missing")));
  // Below a protected folder, the rest is made as usual and inherits from it.
  EXPECT_TRUE(MakeDir(dir + "\\lib"));
}

}  // namespace
