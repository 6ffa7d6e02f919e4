#include "shell/shortcuts.h"

#include <gtest/gtest.h>
#include <objbase.h>

#include "platform/wide_text.h"
#include "registry_sandbox.h"
#include "tests/support/box_capture.h"
#include "tests/support/code_pages.h"
#include "tests/support/disk_files.h"
#include "tests/support/work_dir.h"
#include "tools/gui_driver/gui_driver.h"

namespace {

using namespace shelltest;
using namespace tvex_test;

constexpr char kUserFolders[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
constexpr char kCommonFolders[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
constexpr char kDefaultUserFolders[] =
    ".DEFAULT\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
constexpr char kDescription[] = "Quenmark Corporation's Zephrin/Tollvex III";

// Every test sees empty per-user, machine and user-profile registries and its own folders:
// an install directory holding tvex3.exe, a desktop and a start menu.
class ShortcutsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(registry_.ok());
    ASSERT_TRUE(MakeDir(install_));
    ASSERT_TRUE(WriteAll(install_ + "\\tvex3.exe", "MZ"));
    ASSERT_TRUE(MakeDir(desktop_));
    ASSERT_TRUE(MakeDir(startMenu_));
  }

  std::optional<std::string> MakeDesktopLink(std::string& path,
                                             const char* description = kDescription) {
    return CreateDesktopLink(path, install_.c_str(), "tvex3", "Tvex III", description);
  }
  std::optional<std::string> MakeStartMenuLink(std::string& path) {
    return CreateStartMenuLink(path, install_.c_str(), "tvex3", "Tvex III", kDescription);
  }

  void ExpectLinkToProgram(const std::string& linkPath) {
    const auto link = ReadLink(linkPath);
    ASSERT_TRUE(link.has_value()) << linkPath;
    EXPECT_EQ(link->target, install_ + "\\tvex3.exe");
    EXPECT_EQ(link->workingDirectory, install_);
    EXPECT_EQ(link->description, kDescription);
  }

  RegistrySandbox registry_{HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE, HKEY_USERS};
  WorkDir scratch_;
  std::string install_ = scratch_.Path("QMK Tvex");
  std::string desktop_ = scratch_.Path("Desktop");
  std::string startMenu_ = scratch_.Path("Start Menu");
};

TEST_F(ShortcutsTest, DesktopLinkPointsAtInstalledProgram) {
  ASSERT_TRUE(SetText(HKEY_CURRENT_USER, kUserFolders, "Desktop", desktop_));
  std::string path;
  EXPECT_EQ(MakeDesktopLink(path), std::nullopt);
  EXPECT_EQ(path, desktop_ + "\\Tvex III.lnk");
  ExpectLinkToProgram(path);
}

TEST_F(ShortcutsTest, StartMenuLinkGoesDirectlyIntoStartMenu) {
  ASSERT_TRUE(SetText(HKEY_CURRENT_USER, kUserFolders, "Start Menu", startMenu_));
  ASSERT_TRUE(SetText(HKEY_CURRENT_USER, kUserFolders, "Common Start Menu", desktop_));
  std::string path;
  EXPECT_EQ(MakeStartMenuLink(path), std::nullopt);
  EXPECT_EQ(path, startMenu_ + "\\Tvex III.lnk");
  ExpectLinkToProgram(path);
  EXPECT_FALSE(Exists(desktop_ + "\\Tvex III.lnk"));
}

TEST_F(ShortcutsTest, StartMenuFallsBackToCommonStartMenuOfTheSameKey) {
  ASSERT_TRUE(SetText(HKEY_CURRENT_USER, kUserFolders, "Common Start Menu", startMenu_));
  std::string path;
  EXPECT_EQ(MakeStartMenuLink(path), std::nullopt);
  EXPECT_EQ(path, startMenu_ + "\\Tvex III.lnk");
  ExpectLinkToProgram(path);

  // An empty "Start Menu" counts as missing.
  ASSERT_TRUE(SetText(HKEY_CURRENT_USER, kUserFolders, "Start Menu", ""));
  path.clear();
  EXPECT_EQ(MakeStartMenuLink(path), std::nullopt);
  EXPECT_EQ(path, startMenu_ + "\\Tvex III.lnk");
}

TEST_F(ShortcutsTest, MissingFolderValuesGiveTheirMessagesAndNoPath) {
  std::string path = "untouched";
  EXPECT_EQ(MakeDesktopLink(path), "Could't find startup Shell Folder location");
  EXPECT_EQ(MakeStartMenuLink(path), "Could't find startup Shell Folder location");
  EXPECT_EQ(path, "untouched");

  // The key exists, but only with folders these shortcuts do not use.
  ASSERT_TRUE(SetText(HKEY_CURRENT_USER, kUserFolders, "Programs", startMenu_));
  ASSERT_TRUE(SetText(HKEY_LOCAL_MACHINE, kCommonFolders, "Desktop", desktop_));
  EXPECT_EQ(MakeDesktopLink(path), "Could't find Desktop location");
  EXPECT_EQ(MakeStartMenuLink(path), "Could't find Start Menu");
  EXPECT_EQ(path, "untouched");
}

TEST_F(ShortcutsTest, ExistingShortcutIsReplaced) {
  ASSERT_TRUE(SetText(HKEY_CURRENT_USER, kUserFolders, "Desktop", desktop_));
  ASSERT_TRUE(WriteAll(desktop_ + "\\Tvex III.lnk", "not a shortcut"));
  std::string path;
  EXPECT_EQ(MakeDesktopLink(path), std::nullopt);
  ExpectLinkToProgram(path);
}

TEST_F(ShortcutsTest, NoDescriptionIsSetWhenNoneIsGiven) {
  ASSERT_TRUE(SetText(HKEY_CURRENT_USER, kUserFolders, "Desktop", desktop_));
  std::string path;
  EXPECT_EQ(MakeDesktopLink(path, ""), std::nullopt);
  const auto link = ReadLink(path);
  ASSERT_TRUE(link.has_value());
  EXPECT_EQ(link->description, "");
  EXPECT_EQ(MakeDesktopLink(path, nullptr), std::nullopt);
  EXPECT_EQ(ReadLink(path)->description, "");
}

TEST_F(ShortcutsTest, UnsavableShortcutReportsSaveFailureButKeepsItsPath) {
  const std::string missing = scratch_.Path("no such folder");
  ASSERT_TRUE(SetText(HKEY_CURRENT_USER, kUserFolders, "Desktop", missing));
  ASSERT_TRUE(SetText(HKEY_CURRENT_USER, kUserFolders, "Start Menu", missing));
  std::string desktopPath, startPath;
  EXPECT_EQ(MakeDesktopLink(desktopPath), "Trouble saving link in desktop.");
  EXPECT_EQ(MakeStartMenuLink(startPath), "Trouble saving link in startup menu.");
  EXPECT_EQ(desktopPath, missing + "\\Tvex III.lnk");
  EXPECT_EQ(startPath, missing + "\\Tvex III.lnk");
}

// A folder value that leaves no room for "\Tvex III.lnk" within 259 bytes, or that does not
// fit the read buffer at all, is treated like a missing one.
TEST_F(ShortcutsTest, FolderTooLongForTheShortcutPathCountsAsMissing) {
  const std::string nearlyFull = "C:\\" + std::string(250, 'd');  // 253 + 13 > 259
  const std::string overlong = "C:\\" + std::string(400, 'd');
  for (const std::string& folder : {nearlyFull, overlong}) {
    ASSERT_TRUE(SetText(HKEY_CURRENT_USER, kUserFolders, "Desktop", folder));
    ASSERT_TRUE(SetText(HKEY_CURRENT_USER, kUserFolders, "Start Menu", folder));
    std::string path = "untouched";
    EXPECT_EQ(MakeDesktopLink(path), "Could't find Desktop location");
    EXPECT_EQ(MakeStartMenuLink(path), "Could't find Start Menu");
    EXPECT_EQ(path, "untouched");
  }
  // An overlong "Start Menu" cannot be read, so "Common Start Menu" is used.
  ASSERT_TRUE(SetText(HKEY_CURRENT_USER, kUserFolders, "Common Start Menu", startMenu_));
  std::string path;
  EXPECT_EQ(MakeStartMenuLink(path), std::nullopt);
  EXPECT_EQ(path, startMenu_ + "\\Tvex III.lnk");
}

TEST_F(ShortcutsTest, ShortcutPathOfExactlyTheLimitIsMade) {
  // Folder + "\Tvex III.lnk" (13 bytes) = 259 bytes.
  std::string folder = scratch_.path() + "\\";
  folder += std::string(259 - 13 - folder.size(), 'x');
  ASSERT_TRUE(MakeDir(folder));
  ASSERT_TRUE(SetText(HKEY_CURRENT_USER, kUserFolders, "Desktop", folder));
  std::string path;
  EXPECT_EQ(MakeDesktopLink(path), std::nullopt);
  EXPECT_EQ(path.size(), 259u);
  EXPECT_TRUE(Exists(path));
}

TEST_F(ShortcutsTest, TargetTooLongIsReportedAsRefusedPath) {
  ASSERT_TRUE(SetText(HKEY_CURRENT_USER, kUserFolders, "Desktop", desktop_));
  ASSERT_TRUE(SetText(HKEY_CURRENT_USER, kUserFolders, "Start Menu", startMenu_));
  const std::string longInstall = "C:\\" + std::string(260, 'i');
  std::string path;
  EXPECT_EQ(CreateDesktopLink(path, longInstall.c_str(), "tvex3", "Tvex III", kDescription),
            "Trouble making link in desktop: SetPath() failed!");
  EXPECT_EQ(CreateStartMenuLink(path, longInstall.c_str(), "tvex3", "Tvex III", kDescription),
            "Trouble making link in Start Menu: SetPath() failed!");
}

// A Desktop folder below a user name in any script: the shortcut goes into it and leads to the
// installed program, or, where the code page lacks a character of the name (older Windows),
// nothing is made and the message says why. Never a look-alike folder.
TEST_F(ShortcutsTest, AFolderNamedInAnyScriptGetsTheShortcutOrIsRefused) {
  const UINT acp = ::GetACP();
  if (!tvex_test::FolderName::Known(acp)) GTEST_SKIP() << "no names known for code page " << acp;
  const std::wstring scratch = platform::WideFromAnsi(scratch_.path());
  const std::wstring wideFolders = platform::WideFromAnsi(kUserFolders);
  int n = 0;
  for (const tvex_test::FolderName& name : tvex_test::kFolderNames) {
    const std::optional<std::string> bytes = name.In(acp);
    SCOPED_TRACE(bytes.value_or("(none)"));
    const std::wstring user = scratch + L"\\user" + std::to_wstring(++n) + L" " + name.wide;
    const std::wstring desktop = user + L"\\Desktop";
    ASSERT_TRUE(::CreateDirectoryW(user.c_str(), nullptr));
    ASSERT_TRUE(::CreateDirectoryW(desktop.c_str(), nullptr));
    gui::SetRegistryText(HKEY_CURRENT_USER, wideFolders, L"Desktop", desktop);
    // An install directory named the same way, where the code page can name it.
    const std::wstring wideInstall = user + L"\\Tvex";
    ASSERT_TRUE(::CreateDirectoryW(wideInstall.c_str(), nullptr));
    const std::string install = bytes ? platform::AnsiFromWide(wideInstall).value() : install_;
    std::string path = "untouched";
    const auto message =
        CreateDesktopLink(path, install.c_str(), "tvex3", "Tvex III", kDescription);
    if (bytes) {
      EXPECT_EQ(message, std::nullopt);
      EXPECT_EQ(path, platform::AnsiFromWide(desktop + L"\\Tvex III.lnk"));
      const auto link = gui::ReadLink(desktop + L"\\Tvex III.lnk");
      ASSERT_TRUE(link.has_value());
      EXPECT_EQ(link->target, wideInstall + L"\\tvex3.exe");
      EXPECT_EQ(link->workingDirectory, wideInstall);
    } else {
      EXPECT_EQ(message,
                "Could't find Desktop location\nThe folder's name holds characters that this "
                "version of Windows cannot pass to the installer.");
      EXPECT_EQ(path, "untouched");
      EXPECT_EQ(gui::FolderEntries(desktop), std::vector<std::wstring>{});
    }
  }
  // Nothing was made beside the users' folders.
  EXPECT_EQ(gui::FolderEntries(scratch).size(), static_cast<std::size_t>(n) + 3);
}

// A caller that runs COM in another apartment model keeps it after the call.
TEST_F(ShortcutsTest, CallersApartmentIsLeftAlone) {
  ASSERT_TRUE(SetText(HKEY_CURRENT_USER, kUserFolders, "Desktop", desktop_));
  ASSERT_EQ(::CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
  std::string path;
  EXPECT_EQ(MakeDesktopLink(path), std::nullopt);
  EXPECT_TRUE(Exists(path));
  EXPECT_EQ(::CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_FALSE);
  ::CoUninitialize();
  ::CoUninitialize();
}

// Old links live below the common and the default user's "Programs" folders.
class OldLinksTest : public ShortcutsTest {
 protected:
  void SetUp() override {
    ShortcutsTest::SetUp();
    ASSERT_TRUE(MakeDir(commonPrograms_));
    ASSERT_TRUE(MakeDir(userPrograms_));
    ASSERT_TRUE(SetText(HKEY_LOCAL_MACHINE, kCommonFolders, "Common Programs", commonPrograms_));
    ASSERT_TRUE(SetText(HKEY_USERS, kDefaultUserFolders, "Programs", userPrograms_));
  }

  // Makes "<programs>\Toll Vex III\Tvex III.lnk"; returns the folder.
  std::string MakeOldLink(const std::string& programs) {
    const std::string folder = programs + "\\Toll Vex III";
    EXPECT_TRUE(MakeDir(folder));
    EXPECT_TRUE(WriteAll(folder + "\\Tvex III.lnk", "old link"));
    return folder;
  }

  BoxCapture messages_;
  std::string commonPrograms_ = scratch_.Path("Common Programs");
  std::string userPrograms_ = scratch_.Path("User Programs");
};

TEST_F(OldLinksTest, BothProgramsFoldersAreCleared) {
  const std::string common = MakeOldLink(commonPrograms_);
  const std::string user = MakeOldLink(userPrograms_);
  RemoveOldStartMenuLinks();
  EXPECT_FALSE(Exists(common));
  EXPECT_FALSE(Exists(user));
  EXPECT_TRUE(Exists(commonPrograms_));
  EXPECT_TRUE(messages_.Texts().empty());
}

TEST_F(OldLinksTest, ReadOnlyShortcutIsRemovedWithoutMessage) {
  const std::string folder = MakeOldLink(commonPrograms_);
  ASSERT_TRUE(::SetFileAttributesA((folder + "\\Tvex III.lnk").c_str(),
                                   FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE));
  RemoveOldStartMenuLinks();
  EXPECT_FALSE(Exists(folder + "\\Tvex III.lnk"));
  EXPECT_FALSE(Exists(folder));
  EXPECT_TRUE(messages_.Texts().empty());
}

TEST_F(OldLinksTest, FolderWithOtherEntriesStaysAndIsReported) {
  const std::string folder = MakeOldLink(commonPrograms_);
  ASSERT_TRUE(WriteAll(folder + "\\Readme.lnk", "another link"));
  RemoveOldStartMenuLinks();
  EXPECT_FALSE(Exists(folder + "\\Tvex III.lnk"));
  EXPECT_TRUE(Exists(folder + "\\Readme.lnk"));
  ASSERT_EQ(messages_.Texts().size(), 1u);
  EXPECT_EQ(messages_.Texts()[0],
            "Trouble removing link:\n\n" + folder +
                "\n\nYou will have to delete this by hand with the correct permisssions");
  // An application message box: the program's title, OK only, the exclamation icon.
  ASSERT_EQ(messages_.Styles().size(), 1u);
  EXPECT_EQ(messages_.Styles()[0].first, "tvexsetup");
  EXPECT_EQ(messages_.Styles()[0].second, unsigned{MB_OK | MB_ICONEXCLAMATION});
}

TEST_F(OldLinksTest, NothingToRemoveShowsNothing) {
  RemoveOldStartMenuLinks();
  // A folder of that name without the shortcut is still removed when empty; a file named
  // like the folder is not a folder and stays.
  ASSERT_TRUE(MakeDir(userPrograms_ + "\\Toll Vex III"));
  ASSERT_TRUE(WriteAll(commonPrograms_ + "\\Toll Vex III", "a file"));
  RemoveOldStartMenuLinks();
  EXPECT_FALSE(Exists(userPrograms_ + "\\Toll Vex III"));
  EXPECT_TRUE(Exists(commonPrograms_ + "\\Toll Vex III"));
  EXPECT_TRUE(messages_.Texts().empty());
}

TEST_F(OldLinksTest, MissingOrEmptyValuesSkipTheirPass) {
  const std::string common = MakeOldLink(commonPrograms_);
  const std::string user = MakeOldLink(userPrograms_);
  DeleteValue(HKEY_LOCAL_MACHINE, kCommonFolders, "Common Programs");
  ASSERT_TRUE(SetText(HKEY_USERS, kDefaultUserFolders, "Programs", ""));
  RemoveOldStartMenuLinks();
  EXPECT_TRUE(Exists(common + "\\Tvex III.lnk"));
  EXPECT_TRUE(Exists(user + "\\Tvex III.lnk"));
  EXPECT_TRUE(messages_.Texts().empty());
}

}  // namespace
