// The directory check with the folders the running system names (Wine's C:\windows here).
#include <gtest/gtest.h>
#include <windows.h>

#include "app/install_dir_check.h"
#include "platform/ascii.h"

namespace {

std::string WindowsFolder() {
  char path[MAX_PATH];
  const UINT length = ::GetWindowsDirectoryA(path, MAX_PATH);
  return std::string(path, length);
}

TEST(InstallDirProblemOnWindows, TheSystemsOwnFoldersAreRefused) {
  const std::string windows = WindowsFolder();
  ASSERT_FALSE(windows.empty());
  // Folder names are compared without regard to case: Wine names C:\windows, Windows
  // C:\Windows.
  const std::pair<std::string, std::string> cases[] = {
      {windows, "is the system folder \"" + windows + "\""},
      {windows + "\\", "is the system folder \"" + windows + "\""},
      {windows + "\\Tvex", "lies below the system folder \"" + windows + "\""},
      {windows + "\\system32\\Tvex", "lies below the system folder \"" + windows + "\\system32\""},
      {windows + "\\SysWOW64", "is the system folder \"" + windows + "\\syswow64\""},
      {"C:\\Program Files", "is the shared folder \"C:\\Program Files\" itself"},
      {"C:\\Program Files (x86)\\", "is the shared folder \"C:\\Program Files (x86)\" itself"},
      {"C:\\ProgramData", "is the shared folder \"C:\\ProgramData\" itself"},
      {"C:\\Users", "is the shared folder \"C:\\Users\" itself"},
      {"C:\\", "is the root of a drive"},
  };
  for (const auto& [dir, reason] : cases) {
    const std::string text = platform::AsciiLowered(InstallDirProblem(dir));
    EXPECT_NE(text.find(platform::AsciiLowered(reason)), std::string::npos) << dir << ": " << text;
  }
  for (const char* dir : {"C:\\Program Files\\QMK\\TvexIII", "C:\\Program Files (x86)\\QMK",
                          "C:\\ProgramData\\QMK\\TvexIII", "C:\\Users\\Public\\Tvex"})
    EXPECT_EQ(InstallDirProblem(dir), "") << dir;
}

TEST(InstallDirProblemOnWindows, EverySystemFolderIsRefusedUnderEachOfItsNames) {
  const std::vector<platform::SystemFolder> folders = platform::SystemFolders();
  ASSERT_FALSE(folders.empty());
  for (const platform::SystemFolder& folder : folders) {
    SCOPED_TRACE(folder.path);
    EXPECT_NE(InstallDirProblem(folder.path), "");
    // Below the Windows folder everything is refused; below the shared folders nothing is.
    EXPECT_EQ(InstallDirProblem(folder.path + "\\Tvex").empty(), !folder.withContents);
  }
  // The short name of Program Files names it too (its long name where it has none).
  char shortName[MAX_PATH];
  const DWORD length = ::GetShortPathNameA("C:\\Program Files", shortName, MAX_PATH);
  ASSERT_TRUE(length > 0 && length < MAX_PATH);
  EXPECT_NE(InstallDirProblem(shortName).find("is the shared folder"), std::string::npos)
      << shortName;
}

}  // namespace
