#include "app/installer_end.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <new>

#include "tests/support/box_capture.h"

namespace {

using tvex_test::BoxCapture;
using tvex_test::BoxPattern;

TEST(InstallerAppDeathTest, RunningOutOfMemorySaysSoAndEndsWithMinusOne) {
  EXPECT_EXIT(
      {
        BoxCapture boxes;
        InstallOutOfMemoryHandler();
        ::operator delete(::operator new(static_cast<std::size_t>(-1) / 4));
      },
      testing::ExitedWithCode(-1), BoxPattern("Out of Memory!"));
}

TEST(InstallerAppDeathTest, EndInstallerEndsAtOnceWithTheCode) {
  EXPECT_EXIT(EndInstaller(3), testing::ExitedWithCode(3), "");
}

}  // namespace
