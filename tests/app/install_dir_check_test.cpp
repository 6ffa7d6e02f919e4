#include "app/install_dir_check.h"

#include <gtest/gtest.h>

#include "platform/code_page.h"
#include "tests/support/code_pages.h"
#include "tests/support/disk_files.h"
#include "tests/support/work_dir.h"

namespace {

using namespace tvex_test;

// The text of a refusal, checked for the parts every refusal has; reason must be in it.
void ExpectRefusal(const std::string& dir, const std::string& text, const std::string& reason) {
  EXPECT_EQ(text.rfind("The directory \"" + dir + "\"\n", 0), 0u) << text;
  EXPECT_NE(text.find(reason), std::string::npos) << dir << ": " << text;
  EXPECT_NE(text.find("\nPlease choose another location"), std::string::npos) << text;
}

TEST(InstallDirProblem, FullPathsWithOrdinaryNamesPass) {
  for (const char* dir : {"C:\\Program Files\\QMK\\TvexIII", "d:\\Tools", "C:\\Tvex\\",
                          "C:\\a\\\\b", "C:\\Program Files (x86)\\QMK", "C:\\My.Tools\\v2.21m",
                          "\\\\server\\share\\x", "\\\\server\\share\\Tvex III",
                          "C:\\.hidden\\Tvex", "C:\\caf\xE9\\Tvex", "C:\\Console\\com10\\nul_x"})
    EXPECT_EQ(InstallDirProblem(dir), "") << dir;
}

TEST(InstallDirProblem, RelativePathsAreNotFullPaths) {
  for (const char* dir : {"Tvex", ".\\Tvex", "..\\Tvex", "\\Tvex", "C:Tvex", "", "\\\\server",
                          "\\\\server\\", "\\\\\\share\\x", "\\\\server\\\\x"})
    ExpectRefusal(dir, InstallDirProblem(dir), "is not a full path");
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

TEST(InstallDirProblem, RootsOfDrivesAndSharesAreRefused) {
  const std::pair<const char*, const char*> cases[] = {
      {"C:\\",
       "is the root of a drive: the installation needs a folder of its own, as in C:\\Tvex."},
      {"C:", "is the root of a drive"},
      {"d:\\", "as in d:\\Tvex"},
      {"C:\\\\", "is the root of a drive"},
      {"\\\\server\\share",
       "is the root of a network share: the installation needs a folder of its "
       "own, as in \\\\server\\share\\Tvex."},
      {"\\\\server\\share\\", "is the root of a network share"},
      {"\\\\server\\share\\\\", "as in \\\\server\\share\\Tvex."},
  };
  for (const auto& [dir, reason] : cases) ExpectRefusal(dir, InstallDirProblem(dir, {}), reason);
}

// The folders of a Windows installation on drive D:, as the platform would name them.
const std::vector<platform::SystemFolder> kSystemD = {
    {"D:\\Windows", true},
    {"D:\\Windows\\System32", true},
    {"D:\\Windows\\SysWOW64", true},
    {"D:\\Program Files", false},
    {"D:\\Program Files (x86)", false},
    {"D:\\ProgramData\\", false},
    {"D:\\Users", false},
    {"D:\\PROGRA~1", false},
};

TEST(InstallDirProblem, TheWindowsFolderAndEverythingBelowItAreRefused) {
  const std::pair<const char*, const char*> cases[] = {
      {"D:\\Windows", "is the system folder \"D:\\Windows\", which belongs to Windows."},
      {"d:\\WINDOWS\\", "is the system folder \"D:\\Windows\""},
      {"D:\\Windows\\Tvex",
       "lies below the system folder \"D:\\Windows\", which belongs to Windows."},
      {"D:\\Windows\\\\Tvex", "lies below the system folder \"D:\\Windows\""},
      {"D:\\\\Windows", "is the system folder \"D:\\Windows\""},
      // The innermost system folder is the one named.
      {"D:\\windows\\system32", "is the system folder \"D:\\Windows\\System32\""},
      {"D:\\Windows\\System32\\Tvex", "lies below the system folder \"D:\\Windows\\System32\""},
      {"D:\\Windows\\SysWOW64\\a\\b", "lies below the system folder \"D:\\Windows\\SysWOW64\""},
  };
  for (const auto& [dir, reason] : cases)
    ExpectRefusal(dir, InstallDirProblem(dir, kSystemD), reason);
}

TEST(InstallDirProblem, SharedFoldersAreRefusedThemselvesButNotBelowThem) {
  const std::pair<const char*, const char*> cases[] = {
      {"D:\\Program Files", "is the shared folder \"D:\\Program Files\" itself"},
      {"d:\\program files\\", "is the shared folder \"D:\\Program Files\" itself"},
      {"D:\\Program Files (x86)", "is the shared folder \"D:\\Program Files (x86)\" itself"},
      {"D:\\ProgramData", "is the shared folder \"D:\\ProgramData\" itself"},
      {"D:\\Users\\\\", "is the shared folder \"D:\\Users\" itself"},
      {"D:\\progra~1", "is the shared folder \"D:\\PROGRA~1\" itself"},
  };
  for (const auto& [dir, reason] : cases)
    ExpectRefusal(dir, InstallDirProblem(dir, kSystemD), reason);
  for (const char* dir :
       {"D:\\Program Files\\QMK\\TvexIII", "D:\\Program Files (x86)\\Tvex", "D:\\ProgramData\\QMK",
        "D:\\Users\\me\\Tvex", "D:\\PROGRA~1\\Tvex", "D:\\Windows2\\Tvex", "D:\\Program",
        "C:\\Windows", "C:\\Program Files", "\\\\server\\share\\Windows"})
    EXPECT_EQ(InstallDirProblem(dir, kSystemD), "") << dir;
}

// In a double-byte code page (older Windows) a character's second byte is no ASCII character:
// "ポ" is 83 7C in code page 932 (7C is '|'), "表" 95 5C (5C is '\\'), "乗" 81 5C in 936.
TEST(InstallDirProblem, DoubleByteCharactersAreWholeCharacters) {
  {
    platform::ScopedLeadBytes codePage(tvex_test::Cp932LeadByte);
    for (const char* dir :
         {"C:\\\x83\x7C", "C:\\Apps\\\x95\x5C", "C:\\\x95\x5C\\Tvex", "\\\\server\\\x95\x5C\\x"})
      EXPECT_EQ(InstallDirProblem(dir, {}), "") << dir;
    // "C:\表" is no drive root, and "\\server\表" alone is the root of a share.
    EXPECT_EQ(InstallDirProblem("C:\\\x95\x5C", {}), "");
    ExpectRefusal("\\\\server\\\x95\x5C", InstallDirProblem("\\\\server\\\x95\x5C", {}),
                  "is the root of a network share");
    // A forbidden character after a double-byte one is still found.
    ExpectRefusal("C:\\\x83\x7C|", InstallDirProblem("C:\\\x83\x7C|", {}), "'|'");
    const std::vector<platform::SystemFolder> system = {{"C:\\\x95\x5C", true}};
    ExpectRefusal("C:\\\x95\x5C\\x", InstallDirProblem("C:\\\x95\x5C\\x", system),
                  "lies below the system folder");
    EXPECT_EQ(InstallDirProblem("C:\\\x95\x5Cx", system), "");
  }
  platform::ScopedLeadBytes codePage(tvex_test::Cp936LeadByte);
  EXPECT_EQ(InstallDirProblem("D:\\\x81\x5C", {}), "");
  EXPECT_TRUE(IsWithinDirectory("D:\\\x81\x5C\\Tvex", "D:\\\x81\x5C\\"));
  EXPECT_TRUE(IsWithinDirectory("D:\\\x81\x5C", "D:\\\x81\x5C"));
  EXPECT_FALSE(IsWithinDirectory("D:\\\x81\x5CTvex", "D:\\\x81\x5C"));
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
