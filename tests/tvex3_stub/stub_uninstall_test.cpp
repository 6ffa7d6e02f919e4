// The stand-in tvex3.exe started as its own process: the start line it logs, and what the
// registered uninstall command ("<dir>\tvex3.exe" -uninstall) removes and what it leaves.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "shell/uninstall_registration.h"
#include "tests/support/disk_files.h"

namespace {

using tvex_test::Exists;
using tvex_test::ReadAll;
using tvex_test::RemoveTree;
using tvex_test::WriteAll;

constexpr char kUninstall[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
const std::string kEntry = std::string(kUninstall) + "\\Tollvex III";
const std::string kOldEntry = std::string(kUninstall) + "\\Toll Vex III";

bool KeyExists(const std::string& path) {
  HKEY key = nullptr;
  if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
    return false;
  ::RegCloseKey(key);
  return true;
}

void SetText(const std::string& path, const char* name, const std::string& text) {
  HKEY key = nullptr;
  ASSERT_EQ(::RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE,
                              nullptr, &key, nullptr),
            ERROR_SUCCESS);
  ::RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                   static_cast<DWORD>(text.size() + 1));
  ::RegCloseKey(key);
}

// An installed product as the installer leaves it, in a fresh folder whose name has blanks:
// the stand-in, a few product and user files, both shortcuts, the manifest and the entry.
class StubTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    root_ = std::string("C:\\tvexstub\\") + info->name();
    RemoveTree(root_);
    ::CreateDirectoryA("C:\\tvexstub", nullptr);
    for (const std::string& dir : {root_, root_ + "\\Tvex III", root_ + "\\Tvex III\\lib",
                                   root_ + "\\Desktop", root_ + "\\Start Menu"})
      ASSERT_TRUE(::CreateDirectoryA(dir.c_str(), nullptr)) << dir;
    dir_ = root_ + "\\Tvex III";
    program_ = dir_ + "\\tvex3.exe";
    ASSERT_TRUE(::CopyFileA(TVEX3_STUB, program_.c_str(), FALSE)) << TVEX3_STUB;
    desktopLink_ = root_ + "\\Desktop\\Tvex III.lnk";
    startLink_ = root_ + "\\Start Menu\\Tvex III.lnk";
    WriteAll(desktopLink_, "link");
    WriteAll(startLink_, "link");
    WriteAll(dir_ + "\\lib\\standard.cap", "records");
    WriteAll(dir_ + "\\my circuit.asc", "the user's own file");
    ::RegDeleteKeyA(HKEY_LOCAL_MACHINE, kEntry.c_str());
    ::RegDeleteKeyA(HKEY_LOCAL_MACHINE, kOldEntry.c_str());
  }

  void TearDown() override {
    RemoveTree(root_);
    ::RegDeleteKeyA(HKEY_LOCAL_MACHINE, kEntry.c_str());
    ::RegDeleteKeyA(HKEY_LOCAL_MACHINE, kOldEntry.c_str());
  }

  // What the installer's finishing steps write, through the installer's own code.
  void Register() {
    WriteUninstallManifest(dir_, startLink_.c_str(), desktopLink_.c_str());
    RegisterUninstallEntry(program_.c_str());
    ASSERT_TRUE(Exists(dir_ + "\\uninstall.info"));
    ASSERT_TRUE(KeyExists(kEntry));
  }

  // Runs the copied stand-in with the command line given, from the folder given; its exit
  // code, or -1 when it did not start or end.
  int Run(const std::string& commandLine, const std::string& workDir = "C:\\") {
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    std::string line = commandLine;
    if (!::CreateProcessA(program_.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          workDir.c_str(), &startup, &process))
      return -1;
    DWORD code = static_cast<DWORD>(-1);
    if (::WaitForSingleObject(process.hProcess, 30000) == WAIT_OBJECT_0)
      ::GetExitCodeProcess(process.hProcess, &code);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    return static_cast<int>(code);
  }

  std::string UninstallCommand() const { return "\"" + program_ + "\" -uninstall"; }
  std::string Log() const { return ReadAll(dir_ + "\\launch.log"); }

  std::string root_, dir_, program_, desktopLink_, startLink_;
};

TEST_F(StubTest, APlainStartLogsItsCommandLineAndDirectoryAndRemovesNothing) {
  Register();
  const std::string quoted = "\"" + program_ + "\"";
  EXPECT_EQ(Run(quoted, root_), 0);
  // Arguments that only look like the uninstall switch change nothing either.
  EXPECT_EQ(Run(quoted + " -uninstallx uninstall /uninstall", dir_), 0);
  EXPECT_EQ(Log(), quoted + "\t" + root_ + "\r\n" + quoted + " -uninstallx uninstall /uninstall\t" +
                       dir_ + "\r\n");
  EXPECT_TRUE(Exists(desktopLink_));
  EXPECT_TRUE(Exists(startLink_));
  EXPECT_TRUE(Exists(dir_ + "\\uninstall.info"));
  EXPECT_TRUE(KeyExists(kEntry));
}

TEST_F(StubTest, UninstallRemovesTheShortcutsTheEntryAndTheManifestAndNothingElse) {
  Register();
  SetText(kOldEntry, "UninstallString", "an older product's own");
  WriteAll(dir_ + "\\launch.log", "earlier start\r\n");

  EXPECT_EQ(Run(UninstallCommand()), 0);

  EXPECT_FALSE(Exists(desktopLink_));
  EXPECT_FALSE(Exists(startLink_));
  EXPECT_FALSE(Exists(dir_ + "\\uninstall.info"));
  EXPECT_FALSE(KeyExists(kEntry));
  EXPECT_TRUE(KeyExists(kOldEntry)) << "only the entry this installer registers goes";
  EXPECT_TRUE(KeyExists(kUninstall));
  EXPECT_TRUE(Exists(program_));
  EXPECT_EQ(ReadAll(dir_ + "\\lib\\standard.cap"), "records");
  EXPECT_EQ(ReadAll(dir_ + "\\my circuit.asc"), "the user's own file");
  EXPECT_TRUE(Exists(root_ + "\\Desktop"));

  EXPECT_EQ(Log(), "earlier start\r\n" + UninstallCommand() + "\tC:\\\r\n" +
                       "uninstall: removed shortcut " + startLink_ + "\r\n" +
                       "uninstall: removed shortcut " + desktopLink_ + "\r\n" +
                       "uninstall: removed the uninstall entry \"Tollvex III\"\r\n" +
                       "uninstall: removed " + dir_ + "\\uninstall.info\r\n" +
                       "uninstall: every other file left in place in " + dir_ + "\\\r\n");

  // A second run finds nothing left to do and says so.
  EXPECT_EQ(Run(UninstallCommand()), 1);
  EXPECT_NE(Log().find("uninstall: no manifest " + dir_ + "\\uninstall.info; no shortcut removed"),
            std::string::npos);
  EXPECT_NE(Log().find("uninstall: no uninstall entry \"Tollvex III\""), std::string::npos);
  EXPECT_TRUE(Exists(program_));
}

TEST_F(StubTest, TheSwitchIsFoundInAnyCaseAfterAnUnquotedPathAndAmongOtherArguments) {
  Register();
  // A path without blanks may come unquoted; the entry still names this program when
  // written in other letter cases.
  const std::string plain = root_ + "\\Plain";
  ASSERT_TRUE(::CreateDirectoryA(plain.c_str(), nullptr));
  ASSERT_TRUE(::CopyFileA(program_.c_str(), (plain + "\\tvex3.exe").c_str(), FALSE));
  program_ = plain + "\\tvex3.exe";
  WriteUninstallManifest(plain, startLink_.c_str(), desktopLink_.c_str());
  SetText(kEntry, "UninstallString", "\"" + root_ + "\\PLAIN\\.\\Tvex3.EXE\"  -Uninstall");

  EXPECT_EQ(Run(program_ + " /quiet -UNINSTALL"), 0);
  EXPECT_FALSE(KeyExists(kEntry));
  EXPECT_FALSE(Exists(desktopLink_));
  EXPECT_FALSE(Exists(plain + "\\uninstall.info"));
  EXPECT_TRUE(Exists(dir_ + "\\uninstall.info")) << "only the manifest beside the program is read";
}

TEST_F(StubTest, AnEntryOfAnotherInstallationStays) {
  Register();
  // Installed again elsewhere afterwards: the entry now belongs to that copy.
  const std::string other = "\"D:\\Elsewhere\\tvex3.exe\" -uninstall";
  SetText(kEntry, "UninstallString", other);

  EXPECT_EQ(Run(UninstallCommand()), 0);
  EXPECT_FALSE(Exists(desktopLink_));
  EXPECT_FALSE(Exists(startLink_));
  EXPECT_FALSE(Exists(dir_ + "\\uninstall.info"));
  EXPECT_TRUE(KeyExists(kEntry));
  EXPECT_NE(Log().find("uninstall: kept the uninstall entry \"Tollvex III\": it runs " + other),
            std::string::npos)
      << Log();

  // Neither does an entry whose command is not the quoted program followed by the switch.
  for (const std::string& command : {program_ + " -uninstall", "\"" + program_ + "\"",
                                     "\"" + program_ + "\" -uninstall now", "\"" + program_}) {
    SCOPED_TRACE(command);
    SetText(kEntry, "UninstallString", command);
    EXPECT_EQ(Run(UninstallCommand()), 1);  // the manifest is gone by now
    EXPECT_TRUE(KeyExists(kEntry));
  }
}

TEST_F(StubTest, OnlyShortcutsListedInTheManifestAreRemoved) {
  Register();
  // A manifest that names more than shortcuts: other lines and files stay, a shortcut already
  // gone is noted, and LF-only line ends read the same.
  const std::string document = root_ + "\\Desktop\\report.txt";
  WriteAll(document, "keep me");
  ASSERT_TRUE(::DeleteFileA(startLink_.c_str()));
  WriteAll(dir_ + "\\uninstall.info", "Link:" + startLink_ + "\nLink:" + document + "\nFile:" +
                                          desktopLink_ + "\nLink:\n\nLink:" + desktopLink_);

  EXPECT_EQ(Run(UninstallCommand()), 0);
  EXPECT_FALSE(Exists(desktopLink_));
  EXPECT_EQ(ReadAll(document), "keep me");
  EXPECT_FALSE(Exists(dir_ + "\\uninstall.info"));
  const std::string log = Log();
  EXPECT_NE(log.find("uninstall: shortcut " + startLink_ + " was already gone\r\n"),
            std::string::npos)
      << log;
  EXPECT_NE(log.find("uninstall: kept " + document + ": not a shortcut\r\n"), std::string::npos)
      << log;
  EXPECT_EQ(log.find("File:"), std::string::npos) << log;
}

TEST_F(StubTest, AShortcutThatCannotBeRemovedIsReportedAndTheRestGoesOn) {
  Register();
  // Held open without delete sharing: the deletion fails.
  HANDLE held = ::CreateFileA(desktopLink_.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  EXPECT_EQ(Run(UninstallCommand()), 1);
  ::CloseHandle(held);
  EXPECT_TRUE(Exists(desktopLink_));
  EXPECT_FALSE(Exists(startLink_));
  EXPECT_FALSE(KeyExists(kEntry));
  EXPECT_FALSE(Exists(dir_ + "\\uninstall.info"));
  EXPECT_NE(Log().find("uninstall: could not remove shortcut " + desktopLink_ + "\r\n"),
            std::string::npos)
      << Log();
}

TEST_F(StubTest, WithoutAManifestTheOwnEntryStillGoes) {
  Register();
  ASSERT_TRUE(::DeleteFileA((dir_ + "\\uninstall.info").c_str()));
  EXPECT_EQ(Run(UninstallCommand()), 1);
  EXPECT_TRUE(Exists(desktopLink_));
  EXPECT_TRUE(Exists(startLink_));
  EXPECT_FALSE(KeyExists(kEntry));
}

}  // namespace
