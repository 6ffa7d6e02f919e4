// The installer driven from outside through its windows, scenario by scenario. Each test
// starts the real program built with a small test payload and acts as a user would. Where a
// scenario must act while an installation runs, the test installer's hold point keeps the
// installation at a known entry until the test lets it go (tests/app/install_hold_gate.cpp).
#include <windows.h>
// shlobj.h needs the types of windows.h first.
#include <gtest/gtest.h>
#include <shlobj.h>

#include <algorithm>
#include <map>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "app/resource.h"
#include "tests/app/hold.h"
#include "tests/support/built_payload.h"
#include "tools/gui_driver/gui_driver.h"

namespace {

using namespace gui;

constexpr char kShellFolders[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
constexpr char kUninstallEntry[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tollvex III";
constexpr char kSettingsFile[] = "C:\\windows\\tvex3.ini";
constexpr char kSuccess[] = "Zephrin/TvexIII has been successfully installed";
constexpr char kAppTitle[] = "tvexsetup";
// Exit codes: installed, a failure stopped it, the user ended it first.
constexpr DWORD kInstalled = 0, kFailed = 1, kUserQuit = 1602;
const char* const kReadOnlySymbols[] = {"cap", "diode", "polcap", "schottky", "varactor", "zener"};

std::string DesktopLink() {
  return RegistryText(HKEY_CURRENT_USER, kShellFolders, "Desktop") + "\\Tvex III.lnk";
}
std::string StartMenuLink() {
  return RegistryText(HKEY_CURRENT_USER, kShellFolders, "Start Menu") + "\\Tvex III.lnk";
}

bool IsReadOnly(const std::string& path) {
  DWORD attributes = ::GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
}

// Every file below root with its bytes after "r " (read-only) or "w ", and every folder.
std::map<std::string, std::string> Snapshot(const std::string& root) {
  std::map<std::string, std::string> tree;
  for (const std::string& file : ListFiles(root)) {
    const std::string path = root + "\\" + file;
    tree[file] = (IsReadOnly(path) ? "r " : "w ") + ReadFile(path);
    for (std::size_t slash = file.find('\\'); slash != std::string::npos;
         slash = file.find('\\', slash + 1))
      tree[file.substr(0, slash + 1)] = "";
  }
  return tree;
}

// Waits until the status line begins with prefix. Fails at once, saying what it saw, when the
// installer ends or shows another window first: a state already left is never waited for.
// Windows in known (a question being closed, say) do not count.
::testing::AssertionResult AwaitStatus(Installer& installer, HWND main, const std::string& prefix,
                                       const std::vector<HWND>& known = {}) {
  const std::chrono::milliseconds timeout = std::chrono::seconds(60);
  std::vector<std::string> seen;  // every line shown, in order
  std::string failure;
  const bool shown = WaitFor(
      [&] {
        const std::string line = ItemText(main, IDC_STATUS);
        if (seen.empty() || seen.back() != line) seen.push_back(line);
        if (line.rfind(prefix, 0) == 0) return true;
        if (!installer.Running())
          failure = "the installer ended (exit code " + std::to_string(installer.ExitCode()) + ")";
        for (HWND window : Dialogs(installer.Id()))
          if (window != main && std::find(known.begin(), known.end(), window) == known.end())
            failure = "the window \"" + WindowText(window) + "\" showed";
        return !failure.empty();
      },
      timeout);
  if (shown && failure.empty()) return ::testing::AssertionSuccess();
  ::testing::AssertionResult result = ::testing::AssertionFailure();
  result << (failure.empty() ? "no such line in time" : failure)
         << " before the status line read \"" << prefix << "...\"; lines seen:";
  for (const std::string& line : seen) result << " \"" << line << "\"";
  return result;
}

class InstallerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    small_ = Environment("TVEX_SMALL_INSTALLER");
    tree_ = Environment("TVEX_SMALL_TREE");
    ASSERT_FALSE(small_.empty()) << "TVEX_SMALL_INSTALLER is not set";
    ASSERT_FALSE(tree_.empty()) << "TVEX_SMALL_TREE is not set";
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    scratch_ = std::string("C:\\tvextest\\") + info->test_suite_name() + "." + info->name();
    RemoveTree(scratch_);
    RemoveTree(Temp());
    ::CreateDirectoryA("C:\\tvextest", nullptr);
    ASSERT_TRUE(::CreateDirectoryA(scratch_.c_str(), nullptr)) << scratch_;
    // The installers started here keep their logs beside the scratch tree.
    ASSERT_TRUE(::CreateDirectoryA(Temp().c_str(), nullptr)) << Temp();
    for (const char* name : {"TMP", "TEMP"}) ::SetEnvironmentVariableA(name, Temp().c_str());
  }

  // The temporary folder of the installers this test starts, where their logs go.
  std::string Temp() const { return scratch_ + ".temp"; }

  // The logs of the installers this test started, in the order they were made.
  std::vector<std::string> Logs() const {
    std::vector<std::string> logs;
    for (const std::string& name : ListFiles(Temp()))
      if (name.rfind("Tvex III Setup ", 0) == 0) logs.push_back(ReadFile(Temp() + "\\" + name));
    return logs;
  }

  // Expects the last log this test's installers wrote to hold lines that contain each of parts,
  // in that order.
  void ExpectLog(const std::vector<std::string>& parts) const {
    const std::vector<std::string> logs = Logs();
    ASSERT_FALSE(logs.empty()) << "no log in " << Temp();
    const std::string& log = logs.back();
    std::size_t at = 0;
    for (const std::string& part : parts) {
      const std::size_t found = log.find(part, at);
      ASSERT_NE(found, std::string::npos)
          << "\"" << part << "\" not found after offset " << at << " in the log:\n"
          << log;
      at = found + part.size();
    }
  }

  // A failure's text is followed by a line naming the run's log: the text without it, after
  // checking that the log it names is this test's.
  std::string WithoutLogLine(const std::string& text) const {
    const std::string head = "\n\nThe installation log: ";
    const std::size_t at = text.rfind(head + Temp() + "\\Tvex III Setup ");
    EXPECT_NE(at, std::string::npos) << "no log named: " << text;
    if (at == std::string::npos) return text;
    EXPECT_TRUE(FileExists(text.substr(at + head.size()))) << text.substr(at + head.size());
    return text.substr(0, at);
  }

  // A passing test leaves nothing behind, once the programs its installations started have
  // ended; a failing one leaves its tree to look at.
  void TearDown() override {
    if (HasFailure()) return;
    EXPECT_TRUE(WaitForProgramsBelow(scratch_))
        << "a program started below " << scratch_ << " still runs";
    RemoveTree(scratch_);
    RemoveTree(Temp());
    EXPECT_FALSE(DirectoryExists(scratch_)) << "left behind below " << scratch_;
  }

  // Starts the installer and waits for its main dialog.
  HWND Start(Installer& installer) {
    HWND main = installer.WaitForMain();
    EXPECT_NE(main, nullptr) << "the main dialog did not show";
    return main;
  }

  // Accept, then the directory typed into its field (as UTF-16 too, whatever the code pages).
  template <class Text>
  void AcceptAndChoose(HWND main, const Text& dir) {
    Click(main, IDC_ACCEPT);
    ASSERT_TRUE(WaitFor([&] { return ItemEnabled(main, IDC_INSTALL_DIR); }));
    SetItemText(main, IDC_INSTALL_DIR, dir);
  }

  // Expects the success box (a box other than the windows seen): answers it and waits for the
  // end.
  void ExpectSuccessAndEnd(Installer& installer, std::vector<HWND> seen,
                           std::chrono::milliseconds timeout = std::chrono::seconds(60)) {
    MessageBoxSeen box = WaitForBox(installer.Id(), seen, timeout);
    ASSERT_NE(box.window, nullptr) << "no message after the installation";
    EXPECT_EQ(box.caption, kAppTitle);
    EXPECT_EQ(box.text, kSuccess);
    Click(box.window, IDOK);
    EXPECT_TRUE(installer.WaitForExit());
    EXPECT_EQ(installer.ExitCode(), kInstalled);
  }

  // Presses Install Now and expects the success box: answers it and waits for the end.
  void ExpectSuccessfulInstall(Installer& installer, HWND main,
                               std::chrono::milliseconds timeout = std::chrono::seconds(60)) {
    Click(main, IDC_INSTALL_NOW);
    ExpectSuccessAndEnd(installer, {main}, timeout);
  }

  // A complete installation into dir with nothing asked (the directory holds no program).
  void InstallFresh(const std::string& dir) {
    Installer installer(small_);
    HWND main = Start(installer);
    ASSERT_NE(main, nullptr);
    AcceptAndChoose(main, dir);
    ExpectSuccessfulInstall(installer, main);
    // The started program has logged its start.
    EXPECT_TRUE(WaitForProgramsBelow(dir));
    EXPECT_FALSE(ReadFile(dir + "\\launch.log").empty());
  }

  // Accept, the directory, Install Now: the first box that follows (a null window when none
  // came within the time).
  MessageBoxSeen BoxAfterInstallNow(Installer& installer, HWND main, const std::string& dir,
                                    std::chrono::milliseconds timeout = std::chrono::seconds(60)) {
    AcceptAndChoose(main, dir);
    Click(main, IDC_INSTALL_NOW);
    return WaitForBox(installer.Id(), {main}, timeout);
  }

  // Accept, the directory, Install Now: the Overwrite or Update question that follows (null
  // when none came).
  template <class Text>
  HWND QuestionAfterInstallNow(Installer& installer, HWND main, const Text& dir) {
    AcceptAndChoose(main, dir);
    Click(main, IDC_INSTALL_NOW);
    HWND question = nullptr;
    WaitFor([&] { return (question = FindDialog(installer.Id(), "Overwrite or Update?")); });
    return question;
  }

  // The question after Install Now answered with Update; returns the question, closed by OK.
  template <class Text>
  HWND StartUpdate(Installer& installer, HWND main, const Text& dir) {
    HWND question = QuestionAfterInstallNow(installer, main, dir);
    EXPECT_NE(question, nullptr);
    if (!question) return nullptr;
    Click(question, IDC_UPDATE);
    EXPECT_TRUE(WaitFor([&] { return ItemChecked(question, IDC_UPDATE); }));
    EXPECT_FALSE(ItemChecked(question, IDC_OVERWRITE));
    Click(question, IDOK);
    return question;
  }

  // An update of dir by the small installer, to its success message and its end.
  template <class Text>
  void Update(const Text& dir) {
    Installer installer(small_);
    HWND main = Start(installer);
    ASSERT_NE(main, nullptr);
    HWND question = StartUpdate(installer, main, dir);
    ASSERT_NE(question, nullptr);
    ExpectSuccessAndEnd(installer, {main, question}, std::chrono::seconds(240));
  }

  // An update of dir held at the progress line, quit there with Yes: the installer ends as a
  // user's quit, once the run is undone.
  void UpdateAndQuitAt(const std::string& dir, const std::string& line) {
    Hold hold(scratch_, {line});
    Installer installer(small_);
    HWND main = Start(installer);
    ASSERT_NE(main, nullptr);
    HWND question = StartUpdate(installer, main, dir);
    ASSERT_NE(question, nullptr);
    ASSERT_TRUE(AwaitStatus(installer, main, line, {question}));
    Click(main, IDCANCEL);
    HWND quit = nullptr;
    ASSERT_TRUE(
        WaitFor([&] { return (quit = FindDialog(installer.Id(), "TvexIII Installation")); }));
    Click(quit, IDOK);
    ASSERT_TRUE(installer.WaitForExit());
    EXPECT_EQ(installer.ExitCode(), kUserQuit);
  }

  // Install Now over the installation in dir, Overwrite kept: the text of the message that
  // follows (owned by the main dialog), answered; the installer has then ended with a failure.
  std::string FailedOverwrite(const std::string& dir) {
    Installer installer(small_);
    HWND main = Start(installer);
    if (!main) return "(no main dialog)";
    HWND question = QuestionAfterInstallNow(installer, main, dir);
    if (!question) return "(no question)";
    Click(question, IDOK);
    MessageBoxSeen box = WaitForBox(installer.Id(), {main, question}, std::chrono::seconds(60));
    if (!box.window) return "(no message)";
    EXPECT_EQ(::GetWindow(box.window, GW_OWNER), main);
    Click(box.window, IDOK);
    EXPECT_TRUE(installer.WaitForExit());
    EXPECT_EQ(installer.ExitCode(), kFailed);
    return WithoutLogLine(box.text);
  }

  // Answers a box that refused the chosen directory: it is owned by main, and afterwards the
  // dialog is usable again, as it was before Install Now.
  void AnswerRefusal(const MessageBoxSeen& box, HWND main) {
    EXPECT_EQ(::GetWindow(box.window, GW_OWNER), main);
    Click(box.window, IDOK);
    ASSERT_TRUE(WaitFor([&] { return !::IsWindow(box.window); }));
    ASSERT_TRUE(WaitFor([&] { return ::IsWindowEnabled(main); }));
    ExpectStateAccepted(main);
  }

  void ExpectStateAccepted(HWND main) {
    for (int id : {IDC_ACCEPT, IDC_DECLINE, IDC_DIR_LABEL, IDC_INSTALL_DIR, IDC_BROWSE,
                   IDC_INSTALL_NOW, IDCANCEL, IDC_AGREEMENT})
      EXPECT_TRUE(ItemEnabled(main, id)) << "control " << id;
  }

  std::string small_, tree_, scratch_;
};

using FirstShow = InstallerTest;
using Decline = InstallerTest;
using FreshInstall = InstallerTest;
using SecondInstall = InstallerTest;
using BadDirectory = InstallerTest;
using QuitQuestion = InstallerTest;
using DesktopMissing = InstallerTest;
using FolderBrowser = InstallerTest;
using OldEntries = InstallerTest;
using Damaged = InstallerTest;
using WriteFailure = InstallerTest;
using Links = InstallerTest;
using Signed = InstallerTest;
using FilesInUse = InstallerTest;
using OneAtATime = InstallerTest;
using ProgressBar = InstallerTest;

TEST_F(FirstShow, OnlyTheAgreementAndItsButtonsAreUsable) {
  Installer installer(small_);
  HWND main = Start(installer);
  ASSERT_NE(main, nullptr);

  EXPECT_EQ(ItemText(main, IDC_TITLE), "Installs Zephrin/TvexIII Version 2.21m");
  EXPECT_EQ(ItemText(main, IDC_STATUS), "");
  EXPECT_FALSE(ItemVisible(main, IDC_PROGRESS)) << "a progress bar before Install Now";
  EXPECT_EQ(ItemText(main, IDC_INSTALL_DIR), "C:\\Program Files\\QMK\\TvexIII");
  for (int id : {IDC_ACCEPT, IDC_DECLINE, IDCANCEL, IDC_AGREEMENT})
    EXPECT_TRUE(ItemEnabled(main, id)) << "control " << id;
  for (int id : {IDC_DIR_LABEL, IDC_INSTALL_DIR, IDC_BROWSE, IDC_INSTALL_NOW})
    EXPECT_FALSE(ItemEnabled(main, id)) << "control " << id;

  const std::string agreement = ItemText(main, IDC_AGREEMENT);
  EXPECT_EQ(WideItemText(main, IDC_AGREEMENT).size(), 2586u) << "characters";
  EXPECT_EQ(std::count(agreement.begin(), agreement.end(), '\n'), 46);
  // Typing and deleting in the agreement are undone at once.
  Type(main, IDC_AGREEMENT, 'x');
  EXPECT_EQ(ItemText(main, IDC_AGREEMENT), agreement);
  Send(::GetDlgItem(main, IDC_AGREEMENT), EM_SETSEL, 0, -1);
  Send(::GetDlgItem(main, IDC_AGREEMENT), WM_CLEAR);
  EXPECT_EQ(ItemText(main, IDC_AGREEMENT), agreement);

  // Cancel before an installation ends the program at once, without a question; nothing was
  // installed, which the exit code tells whoever started it.
  Click(main, IDCANCEL);
  EXPECT_TRUE(installer.WaitForExit());
  EXPECT_EQ(installer.ExitCode(), kUserQuit);
}

TEST_F(FirstShow, ArgumentsAreIgnoredAndTheCloseBoxEndsIt) {
  // "-uninstall" belongs to the installed program; a very long command line is ignored too.
  Installer installer(small_, "-uninstall " + std::string(20000, 'x'));
  HWND main = Start(installer);
  ASSERT_NE(main, nullptr);
  EXPECT_TRUE(ItemEnabled(main, IDC_ACCEPT));
  EXPECT_FALSE(ItemEnabled(main, IDC_INSTALL_NOW));
  ::PostMessageA(main, WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_TRUE(installer.WaitForExit());
  EXPECT_EQ(installer.ExitCode(), kUserQuit);
}

TEST_F(FirstShow, TheDefaultDirectoryFollowsTheRegistrysProgramFilesFolder) {
  const char key[] = "Software\\Microsoft\\Windows\\CurrentVersion";
  const std::string saved = RegistryText(HKEY_LOCAL_MACHINE, key, "ProgramFilesDir");
  ASSERT_FALSE(saved.empty());
  const std::string apps = scratch_ + "\\Apps";
  ASSERT_TRUE(::CreateDirectoryA(apps.c_str(), nullptr));
  const struct {
    std::string value, shown;
  } cases[] = {{apps, apps + "\\QMK\\TvexIII"},
               {apps + "\\", apps + "\\QMK\\TvexIII"},
               {apps + "\\missing", "C:\\Program Files\\QMK\\TvexIII"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.value);
    SetRegistryText(HKEY_LOCAL_MACHINE, key, "ProgramFilesDir", c.value);
    Installer installer(small_);
    HWND main = Start(installer);
    SetRegistryText(HKEY_LOCAL_MACHINE, key, "ProgramFilesDir", saved);
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(ItemText(main, IDC_INSTALL_DIR), c.shown);
  }
}

TEST_F(Decline, BeforeAcceptEndsTheInstaller) {
  Installer installer(small_);
  HWND main = Start(installer);
  ASSERT_NE(main, nullptr);
  Click(main, IDC_DECLINE);
  EXPECT_TRUE(installer.WaitForExit());
  EXPECT_EQ(installer.ExitCode(), kUserQuit);
}

TEST_F(Decline, AfterAcceptWithdrawsItAndKeepsTheDirectory) {
  Installer installer(small_);
  HWND main = Start(installer);
  ASSERT_NE(main, nullptr);
  AcceptAndChoose(main, "D:\\Typed\\By Hand");
  ExpectStateAccepted(main);

  Click(main, IDC_DECLINE);
  // The four are switched one after the other: wait for the last of them.
  ASSERT_TRUE(WaitFor([&] { return !ItemEnabled(main, IDC_BROWSE); }));
  for (int id : {IDC_DIR_LABEL, IDC_INSTALL_DIR, IDC_BROWSE, IDC_INSTALL_NOW})
    EXPECT_FALSE(ItemEnabled(main, id)) << "control " << id;
  EXPECT_TRUE(ItemEnabled(main, IDC_ACCEPT));
  EXPECT_TRUE(ItemEnabled(main, IDC_DECLINE));
  EXPECT_EQ(ItemText(main, IDC_INSTALL_DIR), "D:\\Typed\\By Hand");
  EXPECT_TRUE(installer.Running());

  // Accept pressed twice changes nothing beyond the first time.
  Click(main, IDC_ACCEPT);
  Click(main, IDC_ACCEPT);
  ASSERT_TRUE(WaitFor([&] { return ItemEnabled(main, IDC_INSTALL_DIR); }));
  ExpectStateAccepted(main);
  EXPECT_EQ(ItemText(main, IDC_INSTALL_DIR), "D:\\Typed\\By Hand");
}

TEST_F(FreshInstall, SeveralLevelsDeepInstallsEverything) {
  const std::string dir = scratch_ + "\\a\\b\\c\\Tvex III";
  ::DeleteFileA(DesktopLink().c_str());
  ::DeleteFileA(StartMenuLink().c_str());
  DeleteRegistryKey(HKEY_LOCAL_MACHINE, kUninstallEntry);
  WriteFile(kSettingsFile, "[settings]\r\n");

  Installer installer(small_);
  HWND main = Start(installer);
  ASSERT_NE(main, nullptr);
  // No question: the next box is the success message, and by then the shortcuts and the
  // manifest exist while the uninstall entry is still to come.
  MessageBoxSeen box = BoxAfterInstallNow(installer, main, dir);
  ASSERT_NE(box.window, nullptr);
  EXPECT_EQ(box.text, kSuccess);
  EXPECT_EQ(box.caption, kAppTitle);
  EXPECT_EQ(::GetWindow(box.window, GW_OWNER), main);
  EXPECT_TRUE(FileExists(DesktopLink()));
  EXPECT_TRUE(FileExists(StartMenuLink()));
  EXPECT_TRUE(FileExists(dir + "\\uninstall.info"));
  EXPECT_FALSE(RegistryValueExists(HKEY_LOCAL_MACHINE, kUninstallEntry, "DisplayName"));
  // Finishing: the status line cleared and the enable rule applied before the box.
  EXPECT_EQ(ItemText(main, IDC_STATUS), "");
  ExpectStateAccepted(main);
  Click(box.window, IDOK);
  ASSERT_TRUE(installer.WaitForExit());
  EXPECT_EQ(installer.ExitCode(), kInstalled);

  // Every payload file, byte for byte; the six symbols read-only, everything else writable.
  const std::vector<std::string> files = ListFiles(tree_);
  ASSERT_FALSE(files.empty());
  for (const std::string& file : files) {
    SCOPED_TRACE(file);
    ASSERT_TRUE(FileExists(dir + "\\" + file));
    EXPECT_TRUE(ReadFile(dir + "\\" + file) == ReadFile(tree_ + "\\" + file));
    const bool readOnly =
        std::any_of(std::begin(kReadOnlySymbols), std::end(kReadOnlySymbols),
                    [&](const char* s) { return file == std::string("lib\\sym\\") + s + ".asy"; });
    EXPECT_EQ(IsReadOnly(dir + "\\" + file), readOnly);
  }

  EXPECT_EQ(ReadFile(dir + "\\uninstall.info"),
            "Link:" + StartMenuLink() + "\r\nLink:" + DesktopLink() + "\r\n");
  EXPECT_EQ(RegistryText(HKEY_LOCAL_MACHINE, kUninstallEntry, "DisplayName"), "Zephrin/TvexIII");
  EXPECT_EQ(RegistryText(HKEY_LOCAL_MACHINE, kUninstallEntry, "UninstallString"),
            "\"" + dir + "\\tvex3.exe\" -uninstall");

  // The program was started with its quoted path as the whole command line, in dir.
  const std::string launch = dir + "\\launch.log";
  ASSERT_TRUE(WaitForProgramsBelow(dir));
  EXPECT_EQ(ReadFile(launch), "\"" + dir + "\\tvex3.exe\"\t" + dir + "\r\n");
  EXPECT_FALSE(FileExists(kSettingsFile)) << "the settings file survived a fresh install";
  ExpectLog({"Zephrin/Tollvex III Installation 2.21m (2.21.13.0)", "Windows ",
             "; elevated: ", "Payload: ", "Install Now: directory \"" + dir + "\"", "Mode: fresh",
             "Plan: ", "Phase ended: plan", "Phase ended: extraction", "Commit: the journal goes",
             "Committed", "Shortcuts: ", "Message: " + std::string(kSuccess),
             "Uninstall entry registered", "Program start: ", "Exit code 0 after ",
             " s: 14 files, "});
}

TEST_F(SecondInstall, CancelInTheQuestionStartsNothingAndOverwriteReplacesTheDatabase) {
  const std::string dir = scratch_ + "\\Tvex";
  InstallFresh(dir);
  const std::string database = dir + "\\lib\\cmp\\standard.bjt";
  const std::string shipped = ReadFile(database);
  WriteFile(database, shipped + ".model MyNPN NPN(IS=2E-14 BF=123)\r\n");
  const std::string launches = ReadFile(dir + "\\launch.log");

  Installer installer(small_);
  HWND main = Start(installer);
  ASSERT_NE(main, nullptr);
  HWND question = QuestionAfterInstallNow(installer, main, dir);
  ASSERT_NE(question, nullptr);
  EXPECT_TRUE(ItemChecked(question, IDC_OVERWRITE));
  EXPECT_FALSE(ItemChecked(question, IDC_UPDATE));
  EXPECT_EQ(::GetWindow(question, GW_OWNER), main);
  for (int id : {IDC_ACCEPT, IDC_DECLINE, IDC_DIR_LABEL, IDC_INSTALL_DIR, IDC_BROWSE,
                 IDC_INSTALL_NOW, IDCANCEL})
    EXPECT_FALSE(ItemEnabled(main, id)) << "control " << id;

  Click(question, IDCANCEL);
  ASSERT_TRUE(WaitFor([&] { return !::IsWindow(question); }));
  ASSERT_TRUE(WaitFor([&] { return ItemEnabled(main, IDCANCEL); }));
  ExpectStateAccepted(main);
  EXPECT_EQ(ItemText(main, IDC_STATUS), "");
  EXPECT_EQ(ReadFile(dir + "\\launch.log"), launches);
  EXPECT_NE(ReadFile(database).find("MyNPN"), std::string::npos);

  // Asked again and confirmed as it opens: overwrite.
  Click(main, IDC_INSTALL_NOW);
  ASSERT_TRUE(
      WaitFor([&] { return (question = FindDialog(installer.Id(), "Overwrite or Update?")); }));
  Click(question, IDOK);
  ExpectSuccessAndEnd(installer, {main, question});
  EXPECT_EQ(ReadFile(database), shipped);
  // The user's additions are not silently gone: the database as it was is kept beside it.
  EXPECT_NE(ReadFile(database + ".bak").find("MyNPN"), std::string::npos);
}

TEST_F(SecondInstall, UpdateMergesTheDatabaseAndKeepsTheSettings) {
  const std::string dir = scratch_ + "\\Tvex";
  InstallFresh(dir);
  const std::string database = dir + "\\lib\\cmp\\standard.bjt";
  const std::string users = ReadFile(database) + ".model MyNPN NPN(IS=2E-14 BF=123)\r\n";
  WriteFile(database, users);
  WriteFile(kSettingsFile, "[settings]\r\n");
  Update(dir);

  const std::string merged = ReadFile(database);
  EXPECT_NE(merged.find(".model MyNPN NPN(IS=2E-14 BF=123)"), std::string::npos) << merged;
  EXPECT_NE(merged.find(".model 2N3904"), std::string::npos) << merged;
  EXPECT_EQ(ReadFile(database + ".bak"), users);
  EXPECT_TRUE(FileExists(kSettingsFile)) << "an update deleted the settings file";
  ::DeleteFileA(kSettingsFile);
}

TEST_F(BadDirectory, ADirectoryThatCannotBeCreatedIsReported) {
  Installer installer(small_);
  HWND main = Start(installer);
  ASSERT_NE(main, nullptr);
  MessageBoxSeen box = BoxAfterInstallNow(installer, main, "Q:\\missing\\Tvex");
  ASSERT_NE(box.window, nullptr);
  EXPECT_EQ(box.caption, "Directory Not Found");
  EXPECT_EQ(box.text,
            "Could not create directory \"Q:\\missing\\Tvex\"\nPlease choose another location");
  ASSERT_NO_FATAL_FAILURE(AnswerRefusal(box, main));
  EXPECT_EQ(ItemText(main, IDC_INSTALL_DIR), "Q:\\missing\\Tvex");
  EXPECT_EQ(ItemText(main, IDC_STATUS), "");
  EXPECT_TRUE(installer.Running());
}

TEST_F(BadDirectory, ADirectoryTooLongForThePayloadIsRefusedBeforeAnythingIsWritten) {
  const std::string tooLong = scratch_ + "\\" + std::string(200, 'x') + "\\Tvex";
  Installer installer(small_);
  HWND main = Start(installer);
  ASSERT_NE(main, nullptr);
  MessageBoxSeen box = BoxAfterInstallNow(installer, main, tooLong);
  ASSERT_NE(box.window, nullptr);
  EXPECT_EQ(box.caption, "Directory Too Long");
  EXPECT_NE(box.text.find(tooLong), std::string::npos) << box.text;
  EXPECT_EQ(::GetWindow(box.window, GW_OWNER), main);
  Click(box.window, IDOK);
  ASSERT_TRUE(WaitFor([&] { return !::IsWindow(box.window); }));
  EXPECT_TRUE(ListFiles(scratch_).empty());
  EXPECT_FALSE(DirectoryExists(scratch_ + "\\" + std::string(200, 'x')));

  // Another, shorter choice installs.
  ASSERT_TRUE(WaitFor([&] { return ItemEnabled(main, IDC_INSTALL_NOW); }));
  SetItemText(main, IDC_INSTALL_DIR, scratch_ + "\\Tvex");
  ExpectSuccessfulInstall(installer, main);
  EXPECT_TRUE(FileExists(scratch_ + "\\Tvex\\tvex3.exe"));
}

TEST_F(BadDirectory, DirectoriesWindowsWouldNotTakeAsTypedAreRefusedBeforeAnythingIsWritten) {
  Installer installer(small_);
  HWND main = Start(installer);
  ASSERT_NE(main, nullptr);
  Click(main, IDC_ACCEPT);
  ASSERT_TRUE(WaitFor([&] { return ItemEnabled(main, IDC_INSTALL_DIR); }));
  // What each refusal names: the relative path would land in the working directory, the
  // wildcard would pass the existence test by matching, the device and the trailing dot would
  // be stored under other names.
  const std::pair<std::string, std::string> cases[] = {
      {"tvextest\\Relative", "is not a full path"},
      {scratch_ + "\\Tv*x", "holds the character '*'"},
      {scratch_ + "\\Tv?x", "holds the character '?'"},
      {scratch_ + "\\con\\Tvex", "holds the name \"con\", which Windows reserves for a device"},
      {scratch_ + "\\Tvex.", "holds the name \"Tvex.\", which ends in a dot or a blank"},
      {"C:\\windows\\system32\\Tvex", "lies below the system folder \"C:\\windows\\system32\""},
  };
  for (const auto& [dir, reason] : cases) {
    SCOPED_TRACE(dir);
    SetItemText(main, IDC_INSTALL_DIR, dir);
    Click(main, IDC_INSTALL_NOW);
    MessageBoxSeen box = WaitForBox(installer.Id(), {main});
    ASSERT_NE(box.window, nullptr);
    EXPECT_EQ(box.caption, "Directory Not Allowed");
    EXPECT_EQ(box.text.rfind("The directory \"" + dir + "\"\n", 0), 0u) << box.text;
    EXPECT_NE(box.text.find(reason), std::string::npos) << box.text;
    ASSERT_NO_FATAL_FAILURE(AnswerRefusal(box, main));
    EXPECT_EQ(ItemText(main, IDC_INSTALL_DIR), dir);
  }
  EXPECT_TRUE(ListFiles(scratch_).empty());
  EXPECT_FALSE(DirectoryExists(scratch_ + "\\con"));
  EXPECT_FALSE(DirectoryExists(scratch_ + "\\Tvex"));
  EXPECT_FALSE(DirectoryExists("tvextest")) << "made relative to the working directory";
  EXPECT_TRUE(installer.Running());
}

// Starts an installation into dir that the hold keeps at its held entry, and asks the quit
// question there.
HWND AskToQuit(Installer& installer, HWND main, const std::string& dir) {
  Click(main, IDC_ACCEPT);
  EXPECT_TRUE(WaitFor([&] { return ItemEnabled(main, IDC_INSTALL_DIR); }));
  SetItemText(main, IDC_INSTALL_DIR, dir);
  Click(main, IDC_INSTALL_NOW);
  // Installing: the progress line shows and only Cancel and the agreement are usable.
  EXPECT_TRUE(AwaitStatus(installer, main, kHeldEntry));
  for (int id :
       {IDC_ACCEPT, IDC_DECLINE, IDC_DIR_LABEL, IDC_INSTALL_DIR, IDC_BROWSE, IDC_INSTALL_NOW})
    EXPECT_FALSE(ItemEnabled(main, id)) << "control " << id;
  EXPECT_TRUE(ItemEnabled(main, IDCANCEL));
  EXPECT_TRUE(ItemEnabled(main, IDC_AGREEMENT));

  Click(main, IDCANCEL);
  HWND question = nullptr;
  EXPECT_TRUE(
      WaitFor([&] { return (question = FindDialog(installer.Id(), "TvexIII Installation")); }));
  if (!question) return nullptr;
  MessageBoxSeen seen = WaitForBox(installer.Id(), {main});
  EXPECT_EQ(seen.text, "Reallly Quit installing Tvex III?");
  EXPECT_EQ(ItemText(question, IDOK), "Yes");
  EXPECT_EQ(ItemText(question, IDCANCEL), "No");
  EXPECT_EQ(::GetWindow(question, GW_OWNER), main);
  return question;
}

TEST_F(QuitQuestion, NoLetsTheInstallationFinish) {
  const std::string dir = scratch_ + "\\Tvex";
  Hold hold(scratch_, {kHeldEntry});
  Installer installer(small_);
  HWND main = Start(installer);
  ASSERT_NE(main, nullptr);
  HWND question = AskToQuit(installer, main, dir);
  ASSERT_NE(question, nullptr);
  Click(question, IDCANCEL);
  ASSERT_TRUE(WaitFor([&] { return !::IsWindow(question); }));
  EXPECT_TRUE(installer.Running());
  EXPECT_EQ(ItemText(main, IDC_STATUS).rfind(kHeldEntry, 0), 0u) << "no longer held";

  hold.Release();
  ExpectSuccessAndEnd(installer, {main});
  for (const std::string& file : ListFiles(tree_))
    EXPECT_EQ(ReadFile(dir + "\\" + file), ReadFile(tree_ + "\\" + file)) << file;
  EXPECT_TRUE(WaitForProgramsBelow(dir));
  EXPECT_FALSE(ReadFile(dir + "\\launch.log").empty());
}

TEST_F(QuitQuestion, YesUndoesAFreshInstallation) {
  const std::string dir = scratch_ + "\\Tvex";
  Hold hold(scratch_, {kHeldEntry, "Undoing: "});
  Installer installer(small_);
  HWND main = Start(installer);
  ASSERT_NE(main, nullptr);
  HWND question = AskToQuit(installer, main, dir);
  ASSERT_NE(question, nullptr);
  Click(question, IDOK);
  // The status line says what is undone, and nothing is left to cancel.
  ASSERT_TRUE(AwaitStatus(installer, main, "Undoing: "));
  EXPECT_FALSE(ItemEnabled(main, IDCANCEL));
  hold.Release(1);
  EXPECT_TRUE(installer.WaitForExit());
  EXPECT_EQ(installer.ExitCode(), kUserQuit) << "a quit is not a success";
  EXPECT_TRUE(WaitForProgramsBelow(dir));
  EXPECT_FALSE(DirectoryExists(dir)) << "made by the installer, it goes with the rest";
  ExpectLog({"Mode: fresh", "Undo: removed ", "Phase ended: undo", "Exit code 1602 after "});
}

TEST_F(QuitQuestion, YesUndoesAnUpdateToTheByte) {
  const std::string dir = scratch_ + "\\Tvex";
  InstallFresh(dir);
  // What the update will replace or merge: files the user changed, a symbol made writable, the
  // user's models; and a file of the user's own.
  WriteFile(dir + "\\Changelog.txt", "edited by the user");
  WriteFile(dir + "\\License.txt", "another licence");
  ASSERT_TRUE(::SetFileAttributesA((dir + "\\lib\\sym\\cap.asy").c_str(), FILE_ATTRIBUTE_NORMAL));
  const std::string database = dir + "\\lib\\cmp\\standard.bjt";
  WriteFile(database, ReadFile(database) + ".model MyNPN NPN(IS=2E-14 BF=123)\r\n");
  WriteFile(dir + "\\lib\\my notes.txt", "the user's own file");
  const auto before = Snapshot(dir);

  UpdateAndQuitAt(dir, "Extracting: .\\lib\\sym\\diode.asy.gz");
  EXPECT_EQ(Snapshot(dir), before);
}

// How many of the user's models "USER<n>" a model database holds.
std::size_t UserModels(const std::string& path) {
  const std::string text = ReadFile(path);
  std::size_t count = 0;
  for (std::size_t at = text.find(".model USER"); at != std::string::npos;
       at = text.find(".model USER", at + 1))
    ++count;
  return count;
}

TEST_F(QuitQuestion, YesDuringTheMergeOfADatabaseLosesNothing) {
  const std::string dir = scratch_ + "\\Tvex";
  InstallFresh(dir);
  constexpr std::size_t kUserModels = 20000;
  const std::string database = dir + "\\lib\\cmp\\standard.bjt";
  std::string users = ReadFile(database);
  for (std::size_t i = 0; i < kUserModels; ++i)
    users += ".model USER" + std::to_string(i) + " NPN(IS=1E-14 BF=" + std::to_string(i % 500) +
             " mfg=User_Lab)\r\n";
  WriteFile(database, users);

  UpdateAndQuitAt(dir, "Merging: .\\lib\\cmp\\standard.bjt.gz");
  EXPECT_EQ(ReadFile(database), users);

  Update(dir);
  EXPECT_EQ(UserModels(database), kUserModels);
  EXPECT_NE(ReadFile(database).find(".model 2N3904"), std::string::npos);
  for (const std::string& name : ListFiles(dir + "\\lib\\cmp"))
    EXPECT_EQ(name.find(".tmp"), std::string::npos) << name << " left beside the databases";
}

// The bar's position where the status line shows the held line (the bar is set first).
int PositionAt(Installer& installer, HWND main, const std::string& line,
               const std::vector<HWND>& known = {}) {
  EXPECT_TRUE(AwaitStatus(installer, main, line, known));
  EXPECT_TRUE(ItemVisible(main, IDC_PROGRESS)) << "at " << line;
  return ProgressPosition(main, IDC_PROGRESS);
}

constexpr int kFullBar = 1000;

TEST_F(ProgressBar, MovesOnWithTheFilesWrittenAndIsFullBeforeTheSuccessMessage) {
  const std::string dir = scratch_ + "\\Tvex";
  // The program comes last in the table, and holds most of the bytes.
  const char kLaterEntry[] = "Extracting: .\\tvex3.exe";
  Hold hold(scratch_, {kHeldEntry, kLaterEntry});
  Installer installer(small_);
  HWND main = Start(installer);
  ASSERT_NE(main, nullptr);
  AcceptAndChoose(main, dir);
  EXPECT_FALSE(ItemVisible(main, IDC_PROGRESS));
  Click(main, IDC_INSTALL_NOW);

  const int held = PositionAt(installer, main, kHeldEntry);
  EXPECT_GT(held, 0) << "files before the held entry are written";
  hold.Release(0);
  const int later = PositionAt(installer, main, kLaterEntry);
  EXPECT_GT(later, held);
  EXPECT_LT(later, kFullBar) << "the program is still to come";
  hold.Release(1);

  MessageBoxSeen box = WaitForBox(installer.Id(), {main});
  ASSERT_NE(box.window, nullptr);
  EXPECT_EQ(box.text, kSuccess);
  EXPECT_TRUE(ItemVisible(main, IDC_PROGRESS));
  EXPECT_EQ(ProgressPosition(main, IDC_PROGRESS), kFullBar);
  Click(box.window, IDOK);
  EXPECT_TRUE(installer.WaitForExit());
  EXPECT_EQ(installer.ExitCode(), kInstalled);
}

// Undone file by file from the last one made: Changelog.txt and the example, the first two in
// the table, are undone last.
TEST_F(ProgressBar, GoesBackWhileAnInstallationIsUndone) {
  const std::string dir = scratch_ + "\\Tvex";
  const char kSecondLast[] = "Undoing: examples\\";
  Hold hold(scratch_, {kHeldEntry, kSecondLast, "Undoing: Changelog.txt"});
  Installer installer(small_);
  HWND main = Start(installer);
  ASSERT_NE(main, nullptr);
  HWND question = AskToQuit(installer, main, dir);
  ASSERT_NE(question, nullptr);
  const int beforeQuit = ProgressPosition(main, IDC_PROGRESS);
  EXPECT_GT(beforeQuit, 0);
  Click(question, IDOK);

  const int undoing = PositionAt(installer, main, kSecondLast, {question});
  EXPECT_LT(undoing, beforeQuit);
  hold.Release(1);
  const int later = PositionAt(installer, main, "Undoing: Changelog.txt", {question});
  EXPECT_LT(later, undoing);
  hold.Release(2);
  EXPECT_TRUE(installer.WaitForExit());
  EXPECT_EQ(installer.ExitCode(), kUserQuit);
  EXPECT_FALSE(DirectoryExists(dir));
}

TEST_F(DesktopMissing, TheMessageIsShownAndNothingElseHappens) {
  const std::string dir = scratch_ + "\\Tvex";
  ::DeleteFileA(StartMenuLink().c_str());
  Installer installer(small_);
  HWND main = Start(installer);
  ASSERT_NE(main, nullptr);
  // The desktop process writes the value back when it starts, with the first window.
  const std::string desktop = RegistryText(HKEY_CURRENT_USER, kShellFolders, "Desktop");
  const std::string startMenuLink = StartMenuLink();
  DeleteRegistryValue(HKEY_CURRENT_USER, kShellFolders, "Desktop");
  ASSERT_FALSE(RegistryValueExists(HKEY_CURRENT_USER, kShellFolders, "Desktop"));

  MessageBoxSeen box = BoxAfterInstallNow(installer, main, dir);
  ASSERT_NE(box.window, nullptr);
  EXPECT_EQ(box.caption, kAppTitle);
  EXPECT_EQ(WithoutLogLine(box.text), "Could't find Desktop location");
  Click(box.window, IDOK);
  EXPECT_TRUE(installer.WaitForExit());
  EXPECT_EQ(installer.ExitCode(), kFailed) << "no shortcut, no uninstall entry: not installed";
  if (!desktop.empty()) SetRegistryText(HKEY_CURRENT_USER, kShellFolders, "Desktop", desktop);

  EXPECT_TRUE(FileExists(dir + "\\tvex3.exe"));
  EXPECT_FALSE(FileExists(startMenuLink));
  EXPECT_FALSE(FileExists(dir + "\\uninstall.info"));
  // Had the installer started the program, it would have logged its start by its end.
  EXPECT_TRUE(WaitForProgramsBelow(dir));
  EXPECT_FALSE(FileExists(dir + "\\launch.log"));
}

// A registry text value put back as it was at the end of a scope (removed when it was missing).
class RestoredValue {
 public:
  RestoredValue(HKEY root, std::string key, std::string name)
      : root_(root),
        key_(std::move(key)),
        name_(std::move(name)),
        had_(RegistryValueExists(root_, key_, name_)),
        value_(RegistryText(root_, key_, name_)) {}
  ~RestoredValue() {
    if (had_)
      SetRegistryText(root_, key_, name_, value_);
    else
      DeleteRegistryValue(root_, key_, name_);
  }
  RestoredValue(const RestoredValue&) = delete;
  RestoredValue& operator=(const RestoredValue&) = delete;

 private:
  HKEY root_;
  std::string key_, name_;
  bool had_;
  std::string value_;
};

// What older versions left: Start-menu links below both "Programs" folders (one folder with a
// file of the user's beside the link), the maker's settings keys, a file type whose icon is the
// program, an extension naming it and the old uninstall entry. The finishing steps remove them
// in their order: the links before any shortcut is made, the registry after the success message.
TEST_F(OldEntries, AreRemovedInTheOrderOfTheFinishingSteps) {
  const char kCommonFolders[] =
      "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
  const char kDefaultUserFolders[] =
      ".DEFAULT\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
  const char kMaker[] = "Software\\Quenmark Corporation";
  const std::string kOldEntry =
      "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Toll Vex III";
  const std::string dir = scratch_ + "\\Tvex";
  const std::string commonPrograms = scratch_ + "\\Common Programs";
  const std::string userPrograms = scratch_ + "\\User Programs";
  const std::string commonOld = commonPrograms + "\\Toll Vex III";
  const std::string userOld = userPrograms + "\\Toll Vex III";
  for (const std::string& folder : {commonPrograms, userPrograms, commonOld, userOld})
    ASSERT_TRUE(::CreateDirectoryA(folder.c_str(), nullptr)) << folder;
  WriteFile(commonOld + "\\Tvex III.lnk", "old link");
  WriteFile(commonOld + "\\Notes.txt", "the user's own file");
  WriteFile(userOld + "\\Tvex III.lnk", "old link");
  ASSERT_TRUE(::SetFileAttributesA((userOld + "\\Tvex III.lnk").c_str(), FILE_ATTRIBUTE_READONLY));

  SetRegistryText(HKEY_LOCAL_MACHINE, std::string(kMaker) + "\\Toll Vex III\\1.0", "Path",
                  "C:\\Old");
  SetRegistryText(HKEY_CLASSES_ROOT, "Zephrin.Schematic\\DefaultIcon", "", "C:\\OLD\\TVEX3.EXE,1");
  SetRegistryText(HKEY_CLASSES_ROOT, "Zephrin.Schematic\\shell\\open\\command", "",
                  "C:\\OLD\\TVEX3.EXE \"%1\"");
  SetRegistryText(HKEY_CLASSES_ROOT, ".asc", "", "Zephrin.Schematic");
  SetRegistryText(HKEY_CLASSES_ROOT, ".asc\\ShellNew", "NullFile", "");
  SetRegistryText(HKEY_LOCAL_MACHINE, kOldEntry, "UninstallString",
                  "C:\\Old\\tvex3.exe -uninstall");
  ::DeleteFileA(DesktopLink().c_str());
  ::DeleteFileA(StartMenuLink().c_str());

  Installer installer(small_);
  HWND main = Start(installer);
  ASSERT_NE(main, nullptr);
  // Set once the desktop process, which writes the shell folders when it starts, is up.
  RestoredValue common(HKEY_LOCAL_MACHINE, kCommonFolders, "Common Programs");
  RestoredValue user(HKEY_USERS, kDefaultUserFolders, "Programs");
  SetRegistryText(HKEY_LOCAL_MACHINE, kCommonFolders, "Common Programs", commonPrograms);
  SetRegistryText(HKEY_USERS, kDefaultUserFolders, "Programs", userPrograms);

  // The common folder keeps the user's file: reported before the second pass and before any
  // shortcut, in an application box that keeps the dialog from input.
  MessageBoxSeen box = BoxAfterInstallNow(installer, main, dir);
  ASSERT_NE(box.window, nullptr);
  EXPECT_EQ(box.caption, kAppTitle);
  EXPECT_EQ(box.text, "Trouble removing link:\n\n" + commonOld +
                          "\n\nYou will have to delete this by hand with the correct permisssions");
  EXPECT_EQ(::GetWindow(box.window, GW_OWNER), main);
  EXPECT_FALSE(::IsWindowEnabled(main));
  EXPECT_FALSE(FileExists(commonOld + "\\Tvex III.lnk"));
  EXPECT_TRUE(FileExists(userOld + "\\Tvex III.lnk"));
  EXPECT_FALSE(FileExists(DesktopLink()));
  Click(box.window, IDOK);
  ASSERT_TRUE(WaitFor([&] { return !::IsWindow(box.window); }));

  // The success message: found like any top-level dialog by its class and caption, after the
  // shortcuts and the manifest, before any registry step.
  box = WaitForBox(installer.Id(), {main}, std::chrono::seconds(60));
  ASSERT_NE(box.window, nullptr);
  EXPECT_EQ(box.text, kSuccess);
  EXPECT_EQ(::FindWindowA("#32770", kAppTitle), box.window);
  EXPECT_FALSE(DirectoryExists(userOld));
  EXPECT_TRUE(FileExists(DesktopLink()));
  EXPECT_TRUE(FileExists(StartMenuLink()));
  EXPECT_TRUE(FileExists(dir + "\\uninstall.info"));
  EXPECT_TRUE(
      RegistryValueExists(HKEY_LOCAL_MACHINE, std::string(kMaker) + "\\Toll Vex III\\1.0", "Path"));
  EXPECT_TRUE(RegistryValueExists(HKEY_CLASSES_ROOT, "Zephrin.Schematic\\DefaultIcon", ""));
  EXPECT_TRUE(RegistryValueExists(HKEY_CLASSES_ROOT, ".asc", ""));
  EXPECT_TRUE(RegistryValueExists(HKEY_LOCAL_MACHINE, kOldEntry, "UninstallString"));
  Click(box.window, IDOK);
  ASSERT_TRUE(installer.WaitForExit());

  EXPECT_TRUE(DirectoryExists(commonOld));
  EXPECT_TRUE(FileExists(commonOld + "\\Notes.txt"));
  HKEY key = nullptr;
  for (const auto& [root, name] : {std::pair{HKEY_LOCAL_MACHINE, std::string(kMaker)},
                                   std::pair{HKEY_CLASSES_ROOT, std::string("Zephrin.Schematic")},
                                   std::pair{HKEY_CLASSES_ROOT, std::string(".asc")},
                                   std::pair{HKEY_LOCAL_MACHINE, kOldEntry}}) {
    EXPECT_NE(::RegOpenKeyExA(root, name.c_str(), 0, KEY_QUERY_VALUE, &key), ERROR_SUCCESS)
        << name << " survived";
    if (key) ::RegCloseKey(std::exchange(key, nullptr));
    DeleteRegistryKey(root, name);
  }
  EXPECT_EQ(RegistryText(HKEY_LOCAL_MACHINE, kUninstallEntry, "UninstallString"),
            "\"" + dir + "\\tvex3.exe\" -uninstall");
}

TEST_F(FolderBrowser, CancelKeepsTheDirectoryAndOkTakesTheFolderItself) {
  const std::string folder = scratch_ + "\\a folder name long enough to be cut";
  ASSERT_GT(folder.size(), 35u);
  ASSERT_TRUE(::CreateDirectoryA(folder.c_str(), nullptr));
  Installer installer(small_);
  HWND main = Start(installer);
  ASSERT_NE(main, nullptr);
  AcceptAndChoose(main, folder);

  Click(main, IDC_BROWSE);
  MessageBoxSeen browser = WaitForBox(installer.Id(), {main});
  ASSERT_NE(browser.window, nullptr) << "the folder browser did not show";
  EXPECT_NE(browser.text.find("Select the directory to install Zephrin/Tollvex III"),
            std::string::npos)
      << browser.text;
  EXPECT_NE(browser.text.find(folder.substr(0, 35) + "..."), std::string::npos) << browser.text;
  EXPECT_EQ(::GetWindow(browser.window, GW_OWNER), main);
  Click(browser.window, IDCANCEL);
  ASSERT_TRUE(WaitFor([&] { return !::IsWindow(browser.window); }));
  EXPECT_EQ(ItemText(main, IDC_INSTALL_DIR), folder);

  // A hand-typed directory becomes the starting point; OK as it opens chooses it as it is.
  SetItemText(main, IDC_INSTALL_DIR, scratch_);
  Click(main, IDC_BROWSE);
  browser = WaitForBox(installer.Id(), {main});
  ASSERT_NE(browser.window, nullptr);
  EXPECT_NE(browser.text.find(scratch_.size() > 35 ? scratch_.substr(0, 35) + "..." : scratch_),
            std::string::npos)
      << browser.text;
  Click(browser.window, IDOK);
  ASSERT_TRUE(WaitFor([&] { return !::IsWindow(browser.window); }));
  ASSERT_TRUE(WaitFor([&] { return ItemText(main, IDC_INSTALL_DIR) == scratch_; }))
      << ItemText(main, IDC_INSTALL_DIR);
  EXPECT_TRUE(installer.Running());
}

// A copy of the small installer with one byte changed at offset, in the test's folder.
std::string DamagedCopy(const std::string& installer, std::size_t offset,
                        const std::string& folder) {
  std::string bytes = ReadFile(installer);
  EXPECT_LT(offset, bytes.size());
  if (offset < bytes.size()) bytes[offset] = static_cast<char>(bytes[offset] ^ 0x10);
  const std::string copy = folder + "\\damaged.exe";
  WriteFile(copy, bytes);
  return copy;
}

TEST_F(Damaged, AnyDamagedByteIsRefusedBeforeTheDialogShows) {
  const std::string image = ReadFile(small_);
  const tvex_test::BuiltEntry stored = tvex_test::FindBuiltEntry(image, ".\\Changelog.txt");
  const tvex_test::BuiltEntry packed = tvex_test::FindBuiltEntry(image, ".\\License.txt");
  const tvex_test::BuiltEntry edge = tvex_test::FindBuiltEntry(image, ".\\lib\\sub\\edge1025.lib");
  ASSERT_NE(stored.record, tvex_test::BuiltEntry::npos) << "no record of the stored entry";
  ASSERT_NE(packed.record, tvex_test::BuiltEntry::npos);
  ASSERT_NE(edge.record, tvex_test::BuiltEntry::npos);
  const std::string changelog = ReadFile(tree_ + "\\Changelog.txt");
  ASSERT_EQ(image.substr(stored.data, changelog.size()), changelog);
  ASSERT_EQ(image.substr(packed.data, 3), "\x1F\x8B\x08");
  ASSERT_EQ(edge.size, 1025u);

  const std::pair<const char*, std::size_t> damages[] = {
      {"a byte of a stored entry", stored.data + changelog.size() / 2},
      {"a byte of a packed entry", packed.data + packed.packedSize / 2},
      {"a size in the table", edge.record + tvex_test::kRecordSizeField},
  };
  for (const auto& [what, offset] : damages) {
    SCOPED_TRACE(what);
    Installer installer(DamagedCopy(small_, offset, scratch_));
    MessageBoxSeen box = WaitForBox(installer.Id(), {});
    ASSERT_NE(box.window, nullptr) << "no message";
    EXPECT_EQ(box.caption, kAppTitle);
    EXPECT_EQ(WithoutLogLine(box.text),
              "This installer is damaged: its contents differ from the ones it was built with.\n"
              "Nothing has been installed. Please download the installer again.");
    EXPECT_EQ(FindDialog(installer.Id(), "Zephrin/Tollvex III Installation"), nullptr);
    Click(box.window, IDOK);
    ASSERT_TRUE(installer.WaitForExit());
    EXPECT_EQ(installer.ExitCode(), kFailed);
  }
  EXPECT_EQ(ListFiles(scratch_), std::vector<std::string>{"damaged.exe"});
}

// A file of the payload that cannot be written: a folder of its name stands in the way.
TEST_F(WriteFailure, EndsTheInstallerWithAFailureCode) {
  const std::string dir = scratch_ + "\\Tvex";
  ASSERT_TRUE(::CreateDirectoryA(dir.c_str(), nullptr));
  ASSERT_TRUE(::CreateDirectoryA((dir + "\\License.txt").c_str(), nullptr));
  Installer installer(small_);
  HWND main = Start(installer);
  ASSERT_NE(main, nullptr);
  MessageBoxSeen box = BoxAfterInstallNow(installer, main, dir);
  ASSERT_NE(box.window, nullptr);
  EXPECT_EQ(WithoutLogLine(box.text),
            "Trouble writing file.\nOut of disk space?  Permission problem?\n" + dir +
                "\\License.txt: a folder of that name is in the way\n\nThe installation "
                "has been undone: everything is as it was before.");
  Click(box.window, IDOK);
  ASSERT_TRUE(installer.WaitForExit());
  EXPECT_EQ(installer.ExitCode(), kFailed);
  EXPECT_TRUE(ListFiles(dir).empty()) << "what was written before it is gone again";
  EXPECT_TRUE(DirectoryExists(dir + "\\License.txt"));
  ExpectLog({"Mode: overwrite", "Plan: ", "Failed: Trouble writing file.", "Undo: removed ",
             "Phase ended: undo", "Message: Trouble writing file.", "Exit code 1 after "});
}

// The text that stops an installation at a link planted at a file's name.
std::string LinkedFileText(const std::string& path) {
  return "The file \"" + path +
         "\"\nis a link to another place (a symbolic link, a junction or a hard link).\n"
         "Nothing has been installed: no file is written through a link.\nPlease remove the link "
         "or choose another location";
}

// An existing installation whose lib folder is a link to a folder outside it (laid out by
// make_linked_install.cmake): the installation stops before it writes anything.
TEST_F(Links, ALinkInsideTheInstallDirectoryStopsTheInstallation) {
  const std::string linked = Environment("TVEX_LINKED_DIR");
  ASSERT_FALSE(linked.empty()) << "TVEX_LINKED_DIR is not set";
  const std::string dir = linked + "\\Tvex", outside = linked + "\\outside";
  ASSERT_TRUE(::GetFileAttributesA((dir + "\\lib").c_str()) & FILE_ATTRIBUTE_REPARSE_POINT)
      << "the fixture's lib is not a link";
  const std::vector<std::string> before = ListFiles(dir);

  EXPECT_EQ(FailedOverwrite(dir), "The folder \"" + dir +
                                      "\\lib\"\nis a link to another place (a "
                                      "symbolic link or a junction).\nNothing has been installed: "
                                      "no file is written through a link.\nPlease remove the "
                                      "link or choose another location");
  EXPECT_TRUE(ListFiles(outside).empty()) << "written through the link";
  EXPECT_EQ(ListFiles(dir), before) << "written before the check";
}

// A link at the name of a file the installation would replace (laid out by
// make_linked_install.cmake: a folder's link, which Wine shows as one): the installation stops
// before it changes anything, and names the link.
TEST_F(Links, ALinkAtAFileNameStopsTheInstallation) {
  const std::string linked = Environment("TVEX_LINKED_DIR");
  ASSERT_FALSE(linked.empty()) << "TVEX_LINKED_DIR is not set";
  const std::string dir = linked + "\\TvexFile", outside = linked + "\\outside";
  ASSERT_TRUE(::GetFileAttributesA((dir + "\\Changelog.txt").c_str()) &
              FILE_ATTRIBUTE_REPARSE_POINT)
      << "the fixture's Changelog.txt is not a link";
  const std::vector<std::string> before = ListFiles(dir);

  EXPECT_EQ(FailedOverwrite(dir), LinkedFileText(dir + "\\Changelog.txt"));
  EXPECT_TRUE(ListFiles(outside).empty()) << "written through the link";
  EXPECT_EQ(ListFiles(dir), before) << "written before the check";
}

// A hard link at the name of a file an update would replace, to a file outside the installation:
// no listing shows it, the file opened to be moved aside does; the run stops there and undoes
// itself, and the file outside keeps its bytes and attribute.
TEST_F(Links, AHardLinkAtAFileNameStopsTheRunWhichIsUndone) {
  const std::string dir = scratch_ + "\\Tvex", victim = scratch_ + "\\victim.txt";
  InstallFresh(dir);
  WriteFile(victim, "a file outside the installation");
  ASSERT_TRUE(::DeleteFileA((dir + "\\License.txt").c_str()));
  ASSERT_TRUE(::CreateHardLinkA((dir + "\\License.txt").c_str(), victim.c_str(), nullptr));
  const auto before = Snapshot(dir);

  EXPECT_EQ(FailedOverwrite(dir),
            LinkedFileText(dir + "\\License.txt") +
                "\n\nThe installation has been undone: everything is as it was before.");
  EXPECT_EQ(Snapshot(dir), before);
  EXPECT_EQ(ReadFile(victim), "a file outside the installation");
  EXPECT_FALSE(IsReadOnly(victim));
}

// The installed program held open the way a running program holds it, while an update would
// replace it: the installer names it before it changes anything; Cancel goes back to Ready with
// nothing written, Retry once it is free installs.
TEST_F(FilesInUse, CancelWritesNothingAndRetryInstallsOnceTheFileIsFree) {
  const std::string dir = scratch_ + "\\Tvex";
  InstallFresh(dir);
  const std::string program = dir + "\\tvex3.exe";
  WriteFile(program, ReadFile(tree_ + "\\tvex3.exe") + "an older build");
  const auto before = Snapshot(dir);
  HANDLE held = ::CreateFileA(program.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);

  Installer installer(small_);
  HWND main = Start(installer);
  ASSERT_NE(main, nullptr);
  HWND question = QuestionAfterInstallNow(installer, main, dir);
  ASSERT_NE(question, nullptr);
  Click(question, IDOK);
  MessageBoxSeen box = WaitForBox(installer.Id(), {main, question});
  ASSERT_NE(box.window, nullptr);
  EXPECT_EQ(box.caption, "Files In Use");
  EXPECT_NE(box.text.find(program), std::string::npos) << box.text;
  EXPECT_EQ(::GetWindow(box.window, GW_OWNER), main);
  EXPECT_TRUE(ItemVisible(main, IDC_PROGRESS));
  Click(box.window, IDCANCEL);
  // The enable rule switches Decline last.
  ASSERT_TRUE(WaitFor([&] { return ItemEnabled(main, IDC_DECLINE); }));
  ExpectStateAccepted(main);
  EXPECT_FALSE(ItemVisible(main, IDC_PROGRESS)) << "back to Ready, the bar is gone";
  EXPECT_EQ(Snapshot(dir), before) << "nothing written";

  Click(main, IDC_INSTALL_NOW);
  ASSERT_TRUE(
      WaitFor([&] { return (question = FindDialog(installer.Id(), "Overwrite or Update?")); }));
  Click(question, IDOK);
  box = WaitForBox(installer.Id(), {main, question});
  ASSERT_NE(box.window, nullptr);
  EXPECT_EQ(box.caption, "Files In Use");
  ::CloseHandle(held);
  Click(box.window, IDRETRY);
  ExpectSuccessAndEnd(installer, {main, question, box.window});
  EXPECT_EQ(ReadFile(program), ReadFile(tree_ + "\\tvex3.exe"));
}

// Another installation holds the machine's installation lock: Install Now waits, with Retry and
// Cancel, before it makes or writes anything.
TEST_F(OneAtATime, ASecondInstallationWaitsForTheFirst) {
  const std::string dir = scratch_ + "\\Tvex";
  HANDLE other = ::CreateMutexA(nullptr, TRUE, "Global\\Tvex III Setup");
  ASSERT_NE(other, nullptr);
  Installer installer(small_);
  HWND main = Start(installer);
  ASSERT_NE(main, nullptr);
  MessageBoxSeen box = BoxAfterInstallNow(installer, main, dir);
  ASSERT_NE(box.window, nullptr);
  EXPECT_EQ(box.caption, "Installation Running");
  Click(box.window, IDCANCEL);
  ASSERT_TRUE(WaitFor([&] { return !::IsWindow(box.window); }));
  ASSERT_TRUE(WaitFor([&] { return ItemEnabled(main, IDC_INSTALL_NOW); }));
  EXPECT_FALSE(DirectoryExists(dir));

  Click(main, IDC_INSTALL_NOW);
  box = WaitForBox(installer.Id(), {main});
  ASSERT_NE(box.window, nullptr);
  EXPECT_EQ(box.caption, "Installation Running");
  ::ReleaseMutex(other);
  ::CloseHandle(other);
  Click(box.window, IDRETRY);
  ExpectSuccessAndEnd(installer, {main, box.window});
  EXPECT_TRUE(FileExists(dir + "\\tvex3.exe"));
}

TEST_F(Signed, TheSignedInstallerPassesItsOwnCheckAndInstalls) {
  const std::string signedInstaller = Environment("TVEX_SIGNED_INSTALLER");
  if (!FileExists(signedInstaller)) GTEST_SKIP() << "no signed installer (see the app_sign test)";
  ASSERT_NE(ReadFile(signedInstaller), ReadFile(small_)) << "not signed";
  const std::string dir = scratch_ + "\\Tvex";
  Installer installer(signedInstaller);
  HWND main = Start(installer);
  ASSERT_NE(main, nullptr) << "the signed installer refused itself";
  AcceptAndChoose(main, dir);
  ExpectSuccessfulInstall(installer, main);
  EXPECT_EQ(ReadFile(dir + "\\License.txt"), ReadFile(tree_ + "\\License.txt"));
}

// Folder names in any script. The installer declares UTF-8 as its code page, and so do the
// stand-in simulator and this driver: their 8-bit texts are UTF-8 whatever the locale. The group
// runs under a Japanese and a Chinese locale (Wine's own processes, the desktop shell among
// them, then work in code page 932 or 936). What the installation made is read back through the
// W calls, as the system holds it.

std::wstring Wide(const std::string& utf8) {
  const int length =
      ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(),
                        length);
  return wide;
}

std::string Utf8(const std::wstring& wide) {
  const int length = ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                                           nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<std::size_t>(length), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), utf8.data(), length,
                        nullptr, nullptr);
  return utf8;
}

// The user's shortcut to the program in the folder the shell names (Desktop or Start Menu).
std::wstring LinkIn(const wchar_t* folder) {
  return RegistryText(HKEY_CURRENT_USER, Wide(kShellFolders), folder) + L"\\Tvex III.lnk";
}

// Expects a shortcut at link that starts dir's program in dir: the shell item it holds and its
// working folder. The path it also keeps as 8-bit text (for older systems) is in its writer's
// ANSI code page, so it is compared only when the writer's code page is the driver's (UTF-8).
void ExpectLinkTo(const std::wstring& link, const std::wstring& dir, bool writtenInUtf8 = true) {
  const std::optional<LinkSeen> seen = ReadLink(link);
  ASSERT_TRUE(seen.has_value()) << Utf8(link);
  EXPECT_EQ(seen->item, dir + L"\\tvex3.exe") << Utf8(seen->item);
  if (writtenInUtf8) {
    EXPECT_EQ(seen->target, dir + L"\\tvex3.exe") << Utf8(seen->target);
  }
  EXPECT_EQ(seen->workingDirectory, dir) << Utf8(seen->workingDirectory);
}

// Runs the registered uninstall command and expects the program of dir to take away what the
// installation made outside it: both shortcuts and the uninstall entry.
void ExpectUninstallCommandOf(const std::wstring& dir, const std::wstring& desktopLink,
                              const std::wstring& startMenuLink) {
  const std::wstring command =
      RegistryText(HKEY_LOCAL_MACHINE, Wide(kUninstallEntry), L"UninstallString");
  ASSERT_EQ(command, L"\"" + dir + L"\\tvex3.exe\" -uninstall") << Utf8(command);
  EXPECT_EQ(RunAndWait(command), 0u);
  const std::string log = ReadFile(dir + L"\\launch.log");
  for (const std::wstring& link : {startMenuLink, desktopLink}) {
    EXPECT_NE(log.find("uninstall: removed shortcut " + Utf8(link) + "\r\n"), std::string::npos)
        << log;
    EXPECT_FALSE(FileExists(link)) << Utf8(link);
  }
  EXPECT_NE(log.find("uninstall: removed the uninstall entry \"Tollvex III\""), std::string::npos)
      << log;
  EXPECT_FALSE(RegistryValueExists(HKEY_LOCAL_MACHINE, kUninstallEntry, "UninstallString"));
}

class FolderNames : public InstallerTest {
 protected:
  // From the scratch folder in the directory field, opens the folder browser, selects folder in
  // it as a click in its tree would, and presses OK. folder (made afresh) is short enough for
  // the browser's status line to show it whole, which tells that the selection has been made.
  void ChooseInBrowser(Installer& installer, HWND main, const std::wstring& folder) {
    RemoveTree(Utf8(folder));
    ASSERT_TRUE(::CreateDirectoryW(folder.c_str(), nullptr));
    ASSERT_LE(folder.size(), 35u);
    AcceptAndChoose(main, scratch_);
    // Now and then Wine's browser fills its tree without the drives (it reports "Read access
    // denied for device Z:") and then ignores every selection: such a browser is cancelled and
    // opened again. The status line shows what is selected.
    std::string seen;
    for (int opening = 0; opening < 3; ++opening) {
      Click(main, IDC_BROWSE);
      MessageBoxSeen browser = WaitForBox(installer.Id(), {main});
      ASSERT_NE(browser.window, nullptr) << "the folder browser did not show";
      const auto statusShows = [&](const std::string& text) {
        for (const ControlSeen& control : Controls(browser.window))
          if (control.text == text) return true;
        return false;
      };
      // Once it shows where it starts, the browser has made its own first selection.
      ASSERT_TRUE(WaitFor([&] {
        return statusShows(scratch_.size() > 35 ? scratch_.substr(0, 35) + "..." : scratch_);
      })) << "the browser did not show its first folder";
      std::wstring path = folder;
      SendWithData(browser.window, BFFM_SETSELECTIONW, TRUE, path.data(),
                   (path.size() + 1) * sizeof(wchar_t));
      const bool selected =
          WaitFor([&] { return statusShows(Utf8(folder)); }, std::chrono::seconds(10));
      seen.clear();
      for (const ControlSeen& control : Controls(browser.window)) seen += "[" + control.text + "]";
      Click(browser.window, selected ? IDOK : IDCANCEL);
      ASSERT_TRUE(WaitFor([&] { return !::IsWindow(browser.window); }));
      if (selected) return;
    }
    ADD_FAILURE() << "the browser did not select " << Utf8(folder) << "; it shows: " << seen;
  }

  // Installs into scratch\Apps\<name>, typed as the user would, and checks everything the
  // installation made there and outside it, down to the uninstall command. installerInUtf8:
  // the installer runs in UTF-8, as this driver does.
  void InstallIntoFolderNamed(const std::wstring& name, bool installerInUtf8 = true) {
    const std::wstring apps = Wide(scratch_) + L"\\Apps";
    const std::wstring dir = apps + L"\\" + name;
    ASSERT_TRUE(::CreateDirectoryW(apps.c_str(), nullptr));
    const std::wstring desktopLink = LinkIn(L"Desktop");
    const std::wstring startMenuLink = LinkIn(L"Start Menu");
    ::DeleteFileW(desktopLink.c_str());
    ::DeleteFileW(startMenuLink.c_str());
    DeleteRegistryKey(HKEY_LOCAL_MACHINE, kUninstallEntry);

    Installer installer(small_);
    HWND main = Start(installer);
    ASSERT_NE(main, nullptr);
    AcceptAndChoose(main, dir);
    ExpectSuccessfulInstall(installer, main);

    // The whole tree in the folder chosen, byte for byte, and nothing beside it.
    EXPECT_EQ(FolderEntries(apps), std::vector<std::wstring>{name});
    const std::vector<std::string> files = ListFiles(tree_);
    ASSERT_FALSE(files.empty());
    for (const std::string& file : files)
      EXPECT_TRUE(ReadFile(dir + L"\\" + Wide(file)) == ReadFile(tree_ + "\\" + file)) << file;
    EXPECT_EQ(ReadFile(dir + L"\\uninstall.info"),
              "Link:" + Utf8(startMenuLink) + "\r\nLink:" + Utf8(desktopLink) + "\r\n");

    ExpectLinkTo(desktopLink, dir, installerInUtf8);
    ExpectLinkTo(startMenuLink, dir, installerInUtf8);
    // The program was started as itself, in its folder.
    const std::string utf8 = Utf8(dir);
    ASSERT_TRUE(WaitForProgramsBelow(utf8));
    EXPECT_EQ(ReadFile(dir + L"\\launch.log"), "\"" + utf8 + "\\tvex3.exe\"\t" + utf8 + "\r\n");
    ExpectUninstallCommandOf(dir, desktopLink, startMenuLink);
  }
};

// "表" is 95 5C in code page 932: its second byte is a backslash.
TEST_F(FolderNames, AJapaneseNameWhoseSecondByteIsABackslash) { InstallIntoFolderNamed(L"\u8868"); }

// "中文", and "乗" (81 5C in code page 936).
TEST_F(FolderNames, ChineseCharacters) { InstallIntoFolderNamed(L"\u4E2D\u6587 \u4E57"); }

// In no legacy code page of Windows at once: 1252 would write "Lodz".
TEST_F(FolderNames, LettersThatNoLegacyCodePageHoldsTogether) {
  InstallIntoFolderNamed(L"\u0141\u00F3d\u017A \u0422\u0432\u0435\u043A\u0441");
}

// Outside the Basic Multilingual Plane: two UTF-16 units, four bytes of UTF-8.
TEST_F(FolderNames, AnEmoji) { InstallIntoFolderNamed(L"Tvex \U0001F600"); }

// A Desktop and a Start Menu below a user name in another script.
TEST_F(FolderNames, ShortcutsGoIntoADesktopAndStartMenuNamedInAnyScript) {
  const std::wstring user = Wide(scratch_) + L"\\\u0141ukasz \u8868 \U0001F600";
  const std::wstring desktop = user + L"\\Desktop";
  const std::wstring startMenu = user + L"\\Start Menu";
  for (const std::wstring& folder : {user, desktop, startMenu})
    ASSERT_TRUE(::CreateDirectoryW(folder.c_str(), nullptr));
  const std::wstring dir = Wide(scratch_) + L"\\Tvex";
  RestoredValue desktopValue(HKEY_CURRENT_USER, kShellFolders, "Desktop");
  RestoredValue startMenuValue(HKEY_CURRENT_USER, kShellFolders, "Start Menu");
  Installer installer(small_);
  HWND main = Start(installer);
  ASSERT_NE(main, nullptr);
  // The desktop process writes its own value back when it starts, with the first window.
  SetRegistryText(HKEY_CURRENT_USER, Wide(kShellFolders), L"Desktop", desktop);
  SetRegistryText(HKEY_CURRENT_USER, Wide(kShellFolders), L"Start Menu", startMenu);
  AcceptAndChoose(main, Utf8(dir));
  ExpectSuccessfulInstall(installer, main);

  const std::wstring desktopLink = desktop + L"\\Tvex III.lnk";
  const std::wstring startMenuLink = startMenu + L"\\Tvex III.lnk";
  ExpectLinkTo(desktopLink, dir);
  ExpectLinkTo(startMenuLink, dir);
  EXPECT_EQ(ReadFile(dir + L"\\uninstall.info"),
            "Link:" + Utf8(startMenuLink) + "\r\nLink:" + Utf8(desktopLink) + "\r\n");
  ASSERT_TRUE(WaitForProgramsBelow(Utf8(dir)));
  ExpectUninstallCommandOf(dir, desktopLink, startMenuLink);
}

TEST_F(FolderNames, TheFolderBrowserTakesAFolderNamedInAnyScript) {
  const std::wstring folder = L"C:\\tvextest\\\u0141\u00F3d\u017A \u8868 \U0001F600";
  Installer installer(small_);
  HWND main = Start(installer);
  ASSERT_NE(main, nullptr);
  ChooseInBrowser(installer, main, folder);
  ASSERT_TRUE(WaitFor([&] { return WideItemText(main, IDC_INSTALL_DIR) == folder; }))
      << Utf8(WideItemText(main, IDC_INSTALL_DIR));
  EXPECT_EQ(Dialogs(installer.Id()), std::vector<HWND>{main}) << "a box refused the folder";
  RemoveTree(Utf8(folder));
}

// The agreement's copyright sign, a Latin-1 byte in the program, shows as itself in UTF-8.
TEST_F(FolderNames, TheAgreementShowsItsCopyrightSign) {
  Installer installer(small_);
  HWND main = Start(installer);
  ASSERT_NE(main, nullptr);
  const std::wstring agreement = WideItemText(main, IDC_AGREEMENT);
  EXPECT_EQ(agreement.size(), 2586u);
  EXPECT_NE(agreement.find(L"Copyright \u00A9 Quenmark Corporation. All rights reserved."),
            std::wstring::npos);
}

// The same program as older Windows run it: a test build whose manifest leaves out the UTF-8
// declaration, so that under a Japanese or Chinese locale Wine runs it in code page 932 or 936,
// as Windows before 10 version 1903 run the shipped installer. A name the code page holds
// (double-byte characters whose second byte is a backslash included) installs whole; a name it
// lacks is refused, never bent to a look-alike.
class LegacyCodePage : public FolderNames {
 protected:
  void SetUp() override {
    FolderNames::SetUp();
    small_ = Environment("TVEX_LEGACY_INSTALLER");
    codePage_ = Environment("TVEX_LEGACY_CODE_PAGE");
    ASSERT_FALSE(small_.empty()) << "TVEX_LEGACY_INSTALLER is not set";
    ASSERT_TRUE(codePage_ == "932" || codePage_ == "936") << codePage_;
  }

  // Expects the refusal of a name the code page lacks, in a box owned by main, and the dialog
  // as it was after it.
  void ExpectUnrepresentableRefused(Installer& installer, HWND main) {
    MessageBoxSeen box = WaitForBox(installer.Id(), {main});
    ASSERT_NE(box.window, nullptr);
    EXPECT_EQ(box.caption, "Directory Not Allowed");
    EXPECT_EQ(box.text,
              "The name of the directory holds characters that this version of Windows cannot "
              "pass to the installer.\nPlease choose another location");
    ASSERT_NO_FATAL_FAILURE(AnswerRefusal(box, main));
    EXPECT_TRUE(installer.Running());
  }

  std::string codePage_;
};

// "表" is 95 5C in code page 932, "乗" 81 5C in 936.
TEST_F(LegacyCodePage, ANameWhoseSecondByteIsABackslashInstallsWholeAndUpdates) {
  const std::wstring name = codePage_ == "932" ? L"\u8868" : L"\u4E57";
  InstallIntoFolderNamed(name, false);
  const std::wstring dir = Wide(scratch_) + L"\\Apps\\" + name;
  ASSERT_TRUE(WaitForProgramsBelow(Utf8(dir)));
  Update(dir);
  EXPECT_TRUE(ReadFile(dir + L"\\License.txt") == ReadFile(tree_ + "\\License.txt"));
}

TEST_F(LegacyCodePage, ANameTheCodePageLacksIsRefusedWhenTyped) {
  const std::wstring dir = Wide(scratch_) + L"\\\u0141\u00F3d\u017A";
  Installer installer(small_);
  HWND main = Start(installer);
  ASSERT_NE(main, nullptr);
  AcceptAndChoose(main, dir);
  Click(main, IDC_INSTALL_NOW);
  ExpectUnrepresentableRefused(installer, main);
  EXPECT_EQ(WideItemText(main, IDC_INSTALL_DIR), dir) << "the field keeps what was typed";
  EXPECT_EQ(FolderEntries(Wide(scratch_)), std::vector<std::wstring>{}) << "nothing was made";
}

TEST_F(LegacyCodePage, ANameTheCodePageLacksIsRefusedInTheFolderBrowser) {
  Installer installer(small_);
  HWND main = Start(installer);
  ASSERT_NE(main, nullptr);
  const std::wstring folder = L"C:\\tvextest\\\u0141\u00F3d\u017A";
  ChooseInBrowser(installer, main, folder);
  ExpectUnrepresentableRefused(installer, main);
  EXPECT_EQ(ItemText(main, IDC_INSTALL_DIR), scratch_) << "the directory stays as it was";
  RemoveTree(Utf8(folder));
}

TEST_F(LegacyCodePage, ADesktopTheCodePageLacksIsReported) {
  const std::wstring desktop = Wide(scratch_) + L"\\\u0141ukasz";
  ASSERT_TRUE(::CreateDirectoryW(desktop.c_str(), nullptr));
  const std::string dir = scratch_ + "\\Tvex";
  RestoredValue desktopValue(HKEY_CURRENT_USER, kShellFolders, "Desktop");
  Installer installer(small_);
  HWND main = Start(installer);
  ASSERT_NE(main, nullptr);
  SetRegistryText(HKEY_CURRENT_USER, Wide(kShellFolders), L"Desktop", desktop);
  MessageBoxSeen box = BoxAfterInstallNow(installer, main, dir);
  ASSERT_NE(box.window, nullptr);
  EXPECT_EQ(box.caption, kAppTitle);
  EXPECT_EQ(
      box.text.rfind("Could't find Desktop location\nThe folder's name holds characters that this "
                     "version of Windows cannot pass to the installer.",
                     0),
      0u)
      << box.text;
  Click(box.window, IDOK);
  EXPECT_TRUE(installer.WaitForExit());
  EXPECT_EQ(installer.ExitCode(), kFailed);
  EXPECT_EQ(FolderEntries(desktop), std::vector<std::wstring>{}) << "no shortcut anywhere near";
  EXPECT_TRUE(FileExists(dir + "\\tvex3.exe"));
  EXPECT_TRUE(WaitForProgramsBelow(dir));
}

}  // namespace
