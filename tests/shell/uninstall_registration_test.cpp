#include "shell/uninstall_registration.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>

#include "registry_sandbox.h"
#include "tests/support/disk_files.h"
#include "tests/support/work_dir.h"

namespace {

using namespace shelltest;
using namespace tvex_test;

constexpr char kUninstall[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
const std::string kEntry = std::string(kUninstall) + "\\Tollvex III";
const std::string kOldEntry = std::string(kUninstall) + "\\Toll Vex III";

TEST(UninstallManifest, TwoTextLinesStartMenuFirstReplacingEarlierContent) {
  WorkDir scratch;
  const std::string manifest = scratch.Path("uninstall.info");
  ASSERT_TRUE(WriteAll(manifest, std::string(300, '#')));

  EXPECT_EQ(WriteUninstallManifest(scratch.path(), "C:\\Menu\\Tvex III.lnk",
                                   "C:\\Users\\x\\Desktop\\Tvex III.lnk"),
            std::nullopt);
  EXPECT_EQ(ReadAll(manifest),
            "Link:C:\\Menu\\Tvex III.lnk\r\nLink:C:\\Users\\x\\Desktop\\Tvex III.lnk\r\n");

  // A trailing backslash in the install directory gives the same file.
  WriteUninstallManifest(scratch.path() + "\\", "S", "D");
  EXPECT_EQ(ReadAll(manifest), "Link:S\r\nLink:D\r\n");
}

TEST(UninstallManifest, AFailureIsReportedWithThePathAndTheReason) {
  WorkDir scratch;
  const auto message = WriteUninstallManifest(scratch.Path("missing"), "S", "D");
  ASSERT_TRUE(message.has_value());
  EXPECT_EQ(message->rfind("Trouble writing the uninstall manifest\n" + scratch.Path("missing") +
                               "\\uninstall.info: ",
                           0),
            0u)
      << *message;
  EXPECT_FALSE(Exists(scratch.Path("missing")));
}

// Type and size in bytes of a value as stored; REG_NONE when it is missing.
std::pair<DWORD, DWORD> TypeAndSize(const std::string& key, const char* name) {
  HKEY handle = nullptr;
  if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_QUERY_VALUE, &handle) !=
      ERROR_SUCCESS)
    return {REG_NONE, 0};
  DWORD type = REG_NONE, size = 0;
  if (::RegQueryValueExA(handle, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
    type = REG_NONE;
  ::RegCloseKey(handle);
  return {type, size};
}

class UninstallEntryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(registry_.ok());
    ASSERT_TRUE(CreateKey(HKEY_LOCAL_MACHINE, kUninstall));
  }
  RegistrySandbox registry_{HKEY_LOCAL_MACHINE};
};

TEST_F(UninstallEntryTest, EntryHoldsNameAndQuotedCommand) {
  EXPECT_EQ(RegisterUninstallEntry("C:\\Program Files\\QMK\\TvexIII\\tvex3.exe"), std::nullopt);
  EXPECT_EQ(ReadText(HKEY_LOCAL_MACHINE, kEntry, "DisplayName"), "Zephrin/TvexIII");
  EXPECT_EQ(ReadText(HKEY_LOCAL_MACHINE, kEntry, "UninstallString"),
            "\"C:\\Program Files\\QMK\\TvexIII\\tvex3.exe\" -uninstall");
  EXPECT_EQ(SubKeyCount(HKEY_LOCAL_MACHINE, kEntry), 0);
  // Plain REG_SZ texts, each stored with its terminating NUL.
  EXPECT_EQ(TypeAndSize(kEntry, "DisplayName"),
            std::make_pair(DWORD{REG_SZ}, DWORD{sizeof "Zephrin/TvexIII"}));
  EXPECT_EQ(
      TypeAndSize(kEntry, "UninstallString"),
      std::make_pair(DWORD{REG_SZ},
                     DWORD{sizeof "\"C:\\Program Files\\QMK\\TvexIII\\tvex3.exe\" -uninstall"}));
}

TEST_F(UninstallEntryTest, SecondRegistrationOverwritesWithoutDuplicating) {
  RegisterUninstallEntry("C:\\First\\tvex3.exe");
  ASSERT_TRUE(SetText(HKEY_LOCAL_MACHINE, kEntry, "DisplayName", "stale"));
  RegisterUninstallEntry("D:\\Second Place\\tvex3.exe");
  EXPECT_EQ(SubKeyCount(HKEY_LOCAL_MACHINE, kUninstall), 1);
  EXPECT_EQ(ReadText(HKEY_LOCAL_MACHINE, kEntry, "DisplayName"), "Zephrin/TvexIII");
  EXPECT_EQ(ReadText(HKEY_LOCAL_MACHINE, kEntry, "UninstallString"),
            "\"D:\\Second Place\\tvex3.exe\" -uninstall");
}

TEST_F(UninstallEntryTest, MissingUninstallKeyIsNotCreatedAndTheFailureIsReported) {
  ASSERT_EQ(::RegDeleteKeyA(HKEY_LOCAL_MACHINE, kUninstall), ERROR_SUCCESS);
  const auto message = RegisterUninstallEntry("C:\\P\\tvex3.exe");
  ASSERT_TRUE(message.has_value());
  EXPECT_EQ(message->rfind("Trouble registering the uninstall entry\nHKEY_LOCAL_MACHINE\\" +
                               std::string(kUninstall) + ": error ",
                           0),
            0u)
      << *message;
  RemoveOldUninstallEntry();
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstall));
}

TEST_F(UninstallEntryTest, OldEntryGoesOnlyWithoutSubkeys) {
  ASSERT_TRUE(SetText(HKEY_LOCAL_MACHINE, kOldEntry, "UninstallString", "old"));
  ASSERT_TRUE(SetText(HKEY_LOCAL_MACHINE, kEntry, "DisplayName", "kept"));
  RemoveOldUninstallEntry();
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kOldEntry));
  EXPECT_EQ(ReadText(HKEY_LOCAL_MACHINE, kEntry, "DisplayName"), "kept");

  ASSERT_TRUE(CreateKey(HKEY_LOCAL_MACHINE, kOldEntry + "\\Extra"));
  RemoveOldUninstallEntry();
  EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kOldEntry + "\\Extra"));
}

}  // namespace
