// Starting the installed program as the desktop's user: the stand-in tvex3.exe is started by
// each route that can run here and logs how it was started. Under Wine every process and the
// desktop shell run elevated; a child of this test started with the limited half of the token
// plays the installer that is not elevated.
#include "shell/program_start.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <string>

#include "tests/support/disk_files.h"
#include "tools/gui_driver/gui_driver.h"

namespace {

using shell::ProgramStart;
using shell::ShellSearch;
using shell::StartRoute;
using tvex_test::Exists;
using tvex_test::ReadAll;
using tvex_test::RemoveTree;

constexpr char kUnelevatedChild[] = "TVEX_UNELEVATED_CHILD";

bool SelfElevated() {
  HANDLE token = nullptr;
  if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token)) return false;
  TOKEN_ELEVATION elevation = {};
  DWORD size = 0;
  const bool known =
      ::GetTokenInformation(token, TokenElevation, &elevation, sizeof elevation, &size);
  ::CloseHandle(token);
  return known && elevation.TokenIsElevated;
}

TEST(ChooseStartRoute, TheShellUnlessItWouldRaiseTheRightsThenDirectlyOnlyWhenNotElevated) {
  const struct {
    bool shellFound, shellElevated, selfElevated;
    StartRoute route;
  } cases[] = {
      {true, false, true, StartRoute::kShell},   // the usual case: elevated installer
      {true, false, false, StartRoute::kShell},  // the shell gives no more than the installer
      {true, true, true, StartRoute::kShell},    // the desktop itself runs elevated
      {true, true, false, StartRoute::kDirect},  // the shell would raise the rights
      {false, false, false, StartRoute::kDirect},    {false, true, false, StartRoute::kDirect},
      {false, false, true, StartRoute::kNotStarted}, {false, true, true, StartRoute::kNotStarted},
  };
  for (const auto& c : cases)
    EXPECT_EQ(shell::ChooseStartRoute(c.shellFound, c.shellElevated, c.selfElevated), c.route)
        << c.shellFound << c.shellElevated << c.selfElevated;
}

TEST(StartYourselfNote, OnlyAProgramThatIsNotStartedGetsTheLine) {
  EXPECT_EQ(shell::StartYourselfNote(StartRoute::kNotStarted, "Tvex III"),
            "\n\nStart Tvex III from its shortcut on the desktop or in the Start menu.");
  EXPECT_EQ(shell::StartYourselfNote(StartRoute::kShell, "Tvex III"), "");
  EXPECT_EQ(shell::StartYourselfNote(StartRoute::kDirect, "Tvex III"), "");
}

// A copy of the stand-in in a fresh folder whose name has a blank, as the installer leaves it.
class ProgramStartTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    root_ = std::string("C:\\tvexstart\\") + info->test_suite_name() + "." + info->name();
    RemoveTree(root_);
    ::CreateDirectoryA("C:\\tvexstart", nullptr);
    ASSERT_TRUE(::CreateDirectoryA(root_.c_str(), nullptr)) << root_;
    dir_ = root_ + "\\Tvex III";
    ASSERT_TRUE(::CreateDirectoryA(dir_.c_str(), nullptr)) << dir_;
    program_ = dir_ + "\\tvex3.exe";
    ASSERT_TRUE(::CopyFileA(TVEX3_STUB, program_.c_str(), FALSE)) << TVEX3_STUB;
  }

  void TearDown() override {
    if (!HasFailure()) RemoveTree(root_);
  }

  // The line the stand-in logged, once it has logged one.
  std::string Logged() {
    const std::string log = dir_ + "\\launch.log";
    EXPECT_TRUE(gui::WaitFor([&] { return Exists(log); })) << "the program did not start";
    std::string text;
    gui::WaitFor([&] { return !(text = ReadAll(log)).empty() && text.back() == '\n'; });
    return text;
  }

  // What the installer's own start always logged: the quoted path, a tab, the folder.
  std::string InstallersLine() const { return "\"" + program_ + "\"\t" + dir_ + "\r\n"; }

  std::string root_, dir_, program_;
};

using ProgramStartElevated = ProgramStartTest;
using ProgramStartUnelevated = ProgramStartTest;

TEST_F(ProgramStartElevated, TheDesktopShellStartsTheProgramWithTheInstallersCommandLine) {
  if (!SelfElevated()) GTEST_SKIP() << "runs elevated only (as every process under Wine)";
  ProgramStart start;
  ASSERT_EQ(start.Route(), StartRoute::kShell);
  EXPECT_EQ(start.Start(program_, "", dir_), StartRoute::kShell);
  EXPECT_EQ(Logged(), InstallersLine());
}

TEST_F(ProgramStartElevated, ArgumentsFollowTheQuotedPath) {
  if (!SelfElevated()) GTEST_SKIP() << "runs elevated only (as every process under Wine)";
  ProgramStart start;
  ASSERT_EQ(start.Route(), StartRoute::kShell);
  EXPECT_EQ(start.Start(program_, "-x \"a b\"", root_), StartRoute::kShell);
  EXPECT_EQ(Logged(), "\"" + program_ + "\" -x \"a b\"\t" + root_ + "\r\n");
}

TEST_F(ProgramStartElevated, WithoutAShellAnElevatedInstallerStartsNothing) {
  if (!SelfElevated()) GTEST_SKIP() << "runs elevated only (as every process under Wine)";
  ProgramStart start(ShellSearch::kSkip);
  EXPECT_EQ(start.Route(), StartRoute::kNotStarted);
  EXPECT_EQ(start.Start(program_, "", dir_), StartRoute::kNotStarted);
  EXPECT_FALSE(Exists(dir_ + "\\launch.log"));
}

// Runs this program's ProgramStartUnelevated tests in a child started with the limited half
// of this process's token; the child's exit code, or -1 when it could not be run.
int RunUnelevatedChild() {
  HANDLE token = nullptr;
  if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY | TOKEN_DUPLICATE, &token)) return -1;
  TOKEN_LINKED_TOKEN linked = {};
  DWORD size = 0;
  const bool hasLinked =
      ::GetTokenInformation(token, TokenLinkedToken, &linked, sizeof linked, &size);
  ::CloseHandle(token);
  if (!hasLinked) return -1;
  HANDLE primary = nullptr;
  const bool duplicated = ::DuplicateTokenEx(linked.LinkedToken, TOKEN_ALL_ACCESS, nullptr,
                                             SecurityImpersonation, TokenPrimary, &primary);
  ::CloseHandle(linked.LinkedToken);
  if (!duplicated) return -1;
  char self[MAX_PATH];
  ::GetModuleFileNameA(nullptr, self, MAX_PATH);
  std::string commandLine = self;
  commandLine = "\"" + commandLine + "\" --gtest_filter=ProgramStartUnelevated.*";
  ::SetEnvironmentVariableA(kUnelevatedChild, "1");
  // The child's report goes where this one's does.
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = ::GetStdHandle(STD_OUTPUT_HANDLE);
  startup.hStdError = ::GetStdHandle(STD_ERROR_HANDLE);
  PROCESS_INFORMATION process = {};
  const bool started =
      ::CreateProcessAsUserA(primary, nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0,
                             nullptr, nullptr, &startup, &process);
  ::SetEnvironmentVariableA(kUnelevatedChild, nullptr);
  ::CloseHandle(primary);
  if (!started) return -1;
  DWORD code = static_cast<DWORD>(-1);
  if (::WaitForSingleObject(process.hProcess, 120000) == WAIT_OBJECT_0)
    ::GetExitCodeProcess(process.hProcess, &code);
  ::CloseHandle(process.hThread);
  ::CloseHandle(process.hProcess);
  return static_cast<int>(code);
}

TEST(ProgramStartRoutes, AnInstallerThatIsNotElevatedStartsTheProgramItself) {
  if (std::getenv(kUnelevatedChild)) GTEST_SKIP() << "the child runs the routes itself";
  if (!SelfElevated()) GTEST_SKIP() << "needs the elevated token's limited half";
  EXPECT_EQ(RunUnelevatedChild(), 0) << "the unelevated child's tests failed (see its output)";
}

// In the child: this process is not elevated, Wine's shell is.
TEST_F(ProgramStartUnelevated, AnElevatedShellIsNotAskedAndTheProgramIsStartedDirectly) {
  if (!std::getenv(kUnelevatedChild)) GTEST_SKIP() << "runs in the unelevated child only";
  ASSERT_FALSE(SelfElevated());
  ProgramStart start;
  ASSERT_EQ(start.Route(), StartRoute::kDirect);
  EXPECT_EQ(start.Start(program_, "", dir_), StartRoute::kDirect);
  EXPECT_EQ(Logged(), InstallersLine());
}

TEST_F(ProgramStartUnelevated, WithoutAShellTheProgramIsStartedDirectly) {
  if (!std::getenv(kUnelevatedChild)) GTEST_SKIP() << "runs in the unelevated child only";
  ASSERT_FALSE(SelfElevated());
  ProgramStart start(ShellSearch::kSkip);
  ASSERT_EQ(start.Route(), StartRoute::kDirect);
  EXPECT_EQ(start.Start(program_, "", dir_), StartRoute::kDirect);
  EXPECT_EQ(Logged(), InstallersLine());
}

}  // namespace
