#include "app/install_path_limit.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(InstallPathLimit, CountsTheLongestFileAndTheDatabaseBackups) {
  const PayloadEntry program{".\\tvex3.exe", 0, 1, 0, 0, nullptr};
  const PayloadEntry deep{".\\examples\\Educational\\1563.asc", 0, 1, 0, 0, nullptr};
  const PayloadEntry database{".\\lib\\cmp\\standard.cap", 0, 1, 0, 0, nullptr};
  const PayloadEntry* entries[] = {&program, &database, &deep};

  EXPECT_EQ(LongestInstalledPath({entries, 1}, "C:\\P"),
            std::string("C:\\P\\uninstall.info").size());
  EXPECT_EQ(LongestInstalledPath({entries, 3}, "C:\\P"),
            std::string("C:\\P\\examples\\Educational\\1563.asc").size());
  // standard.cap.bak is the longest once the database is there.
  const std::string dir(259 - std::string("\\lib\\cmp\\standard.cap.bak").size(), 'd');
  EXPECT_EQ(LongestInstalledPath({entries, 2}, dir), 259u);
  EXPECT_TRUE(InstallPathsFit({entries, 2}, dir));
  EXPECT_FALSE(InstallPathsFit({entries, 2}, dir + "d"));
  EXPECT_TRUE(InstallPathsFit({entries, 2}, dir + "\\"));  // a trailing backslash adds nothing
}

}  // namespace
