#include "app/install_path_limit.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cwchar>
#include <string>

#include "tests/support/code_pages.h"

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

// Windows holds a path's characters against its limit, not the bytes of the code page: in code
// page 932 or 936 (the runs with a Japanese or Chinese locale) "表" is two bytes but one
// character.
TEST(InstallPathLimit, CountsCharactersNotBytes) {
  const PayloadEntry database{".\\lib\\cmp\\standard.cap", 0, 1, 0, 0, nullptr};
  const PayloadEntry* entries[] = {&database};
  const std::size_t tail = std::string("\\lib\\cmp\\standard.cap.bak").size();
  for (const tvex_test::FolderName& name : tvex_test::kFolderNames) {
    const std::optional<std::string> bytes = name.In(::GetACP());
    if (!bytes) continue;
    const std::size_t characters = std::wcslen(name.wide);
    std::string dir = "C:\\";
    std::size_t dirCharacters = dir.size();
    while (dirCharacters + characters + tail <= kMaxInstalledPath) {
      dir += *bytes;
      dirCharacters += characters;
    }
    SCOPED_TRACE(dir);
    EXPECT_EQ(LongestInstalledPath({entries, 1}, dir), dirCharacters + tail);
    EXPECT_TRUE(InstallPathsFit({entries, 1}, dir));
    EXPECT_FALSE(InstallPathsFit({entries, 1}, dir + *bytes));
  }
}

}  // namespace
