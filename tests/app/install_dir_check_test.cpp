#include "app/install_dir_check.h"

#include <gtest/gtest.h>

#include "tests/support/disk_files.h"
#include "tests/support/work_dir.h"

namespace {

using namespace tvex_test;

TEST(InstallDirProblem, FullPathsWithOrdinaryNamesPass) {
  for (const char* dir : {"C:\\Program Files\\QMK\\TvexIII", "C:\\", "d:\\Tools", "C:\\Tvex\\",
                          "C:\\a\\\\b", "C:\\Program Files (x86)\\QMK", "C:\\My.Tools\\v2.21m",
                          "\\\\server\\share", "\\\\server\\share\\Tvex III", "C:\\.hidden\\Tvex",
                          "C:\\caf\xE9\\Tvex", "C:\\Console\\com10\\nul_x"})
    EXPECT_EQ(InstallDirProblem(dir), "") << dir;
}

TEST(InstallDirProblem, RelativePathsAreNotFullPaths) {
  for (const char* dir : {"Tvex", ".\\Tvex", "..\\Tvex", "\\Tvex", "C:Tvex", "C:", "", "\\\\server",
                          "\\\\server\\", "\\\\\\share\\x", "\\\\server\\\\x"}) {
    const std::string text = InstallDirProblem(dir);
    EXPECT_NE(text.find("is not a full path"), std::string::npos) << dir << ": " << text;
    EXPECT_EQ(text.rfind("The directory \"" + std::string(dir) + "\"\n", 0), 0u) << text;
    EXPECT_NE(text.find("\nPlease choose another location"), std::string::npos) << text;
  }
}

TEST(InstallDirProblem, CharactersWindowsForbidsAreNamed) {
  const std::pair<const char*, const char*> cases[] = {
      {"C:\\Tvex*", "'*'"},       {"C:\\Tv?x", "'?'"},
      {"C:\\a<b", "'<'"},         {"C:\\a>b", "'>'"},
      {"C:\\a\"b", "'\"'"},       {"C:\\a|b", "'|'"},
      {"C:\\a:b", "':'"},         {"C:/Program Files", "'/'"},
      {"\\\\?\\C:\\Tvex", "'?'"}, {"C:\\tab\there", "code 9"},
      {"Tvex*", "'*'"},           {"\\\\.\\C:\\Tvex", "':'"},
      {" C:\\Tvex", "':'"},
  };
  for (const auto& [dir, shown] : cases) {
    const std::string text = InstallDirProblem(dir);
    EXPECT_NE(text.find("holds the character " + std::string(shown)), std::string::npos)
        << dir << ": " << text;
  }
}

TEST(InstallDirProblem, DeviceNamesAndTrailingDotsOrBlanksAreNamed) {
  const std::pair<const char*, const char*> devices[] = {
      {"C:\\CON", "\"CON\""},
      {"C:\\Tools\\nul.txt\\Tvex", "\"nul.txt\""},
      {"C:\\com1\\x", "\"com1\""},
      {"\\\\server\\LPT3\\x", "\"LPT3\""},
      {"C:\\Tools\\aux\\", "\"aux\""}};
  for (const auto& [dir, name] : devices) {
    const std::string text = InstallDirProblem(dir);
    EXPECT_NE(text.find("holds the name " + std::string(name) + ", which Windows reserves"),
              std::string::npos)
        << dir << ": " << text;
  }
  const std::pair<const char*, const char*> endings[] = {{"C:\\Tvex.", "\"Tvex.\""},
                                                         {"C:\\Tvex \\lib", "\"Tvex \""},
                                                         {"C:\\Tools\\..\\Tvex", "\"..\""},
                                                         {"C:\\.\\Tvex", "\".\""},
                                                         {"\\\\..\\share\\Tvex", "\"..\""}};
  for (const auto& [dir, name] : endings) {
    const std::string text = InstallDirProblem(dir);
    EXPECT_NE(text.find("holds the name " + std::string(name) + ", which ends in a dot"),
              std::string::npos)
        << dir << ": " << text;
  }
}

TEST(OutermostMissingDirectory, IsTheFirstFolderAnInstallationMakes) {
  WorkDir work;
  const std::string root = work.path();
  EXPECT_EQ(OutermostMissingDirectory(root), "");
  EXPECT_EQ(OutermostMissingDirectory(root + "\\"), "");
  EXPECT_EQ(OutermostMissingDirectory(root + "\\a"), root + "\\a");
  EXPECT_EQ(OutermostMissingDirectory(root + "\\a\\b\\c\\"), root + "\\a");
  ASSERT_TRUE(MakeDir(root + "\\a"));
  EXPECT_EQ(OutermostMissingDirectory(root + "\\a\\b\\c"), root + "\\a\\b");
  EXPECT_EQ(OutermostMissingDirectory(root + "\\a\\\\b"), root + "\\a\\\\b")
      << "a doubled backslash stays as typed";
  // A file in the way is not a folder: the installation would try to make it and fail.
  WriteAll(root + "\\a\\file", "x");
  EXPECT_EQ(OutermostMissingDirectory(root + "\\a\\file\\x"), root + "\\a\\file");
  EXPECT_EQ(OutermostMissingDirectory("Tvex"), "") << "not a full path";
}

TEST(IsWithinDirectory, ComparesWholeNamesWithoutRegardToCase) {
  const char* pf = "C:\\Program Files";
  EXPECT_TRUE(IsWithinDirectory("C:\\Program Files\\QMK", pf));
  EXPECT_TRUE(IsWithinDirectory("c:\\PROGRAM FILES\\QMK\\TvexIII", pf));
  EXPECT_TRUE(IsWithinDirectory("C:\\Program Files", pf));
  EXPECT_TRUE(IsWithinDirectory("C:\\Program Files\\", pf));
  EXPECT_TRUE(IsWithinDirectory("C:\\Program Files\\QMK", "C:\\Program Files\\"));
  EXPECT_TRUE(IsWithinDirectory("C:\\Tvex", "C:\\"));
  EXPECT_FALSE(IsWithinDirectory("C:\\Program Files (x86)\\QMK", pf));
  EXPECT_FALSE(IsWithinDirectory("C:\\Program FilesX", pf));
  EXPECT_FALSE(IsWithinDirectory("C:\\Program", pf));
  EXPECT_FALSE(IsWithinDirectory("D:\\Program Files\\QMK", pf));
  EXPECT_FALSE(IsWithinDirectory("C:\\Tvex", ""));
  EXPECT_FALSE(IsWithinDirectory("", pf));
}

}  // namespace
