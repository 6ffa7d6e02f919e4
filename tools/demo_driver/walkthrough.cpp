#include "tools/demo_driver/walkthrough.h"

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "app/resource.h"
#include "tools/demo_driver/screen.h"
#include "tools/gui_driver/gui_driver.h"

namespace demo {

namespace {

using Clock = std::chrono::steady_clock;

constexpr char kMainCaption[] = "Zephrin/Tollvex III Installation";
constexpr char kQuestionCaption[] = "Overwrite or Update?";
constexpr char kSuccess[] = "Zephrin/TvexIII has been successfully installed";
constexpr char kShellFolders[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
constexpr char kUninstallEntry[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tollvex III";

double SecondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// The text without its line end, for printing.
std::string OneLine(std::string text) {
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  std::replace(text.begin(), text.end(), '\n', ' ');
  return text;
}

std::string Link(const char* folder) {
  return gui::RegistryText(HKEY_CURRENT_USER, kShellFolders, folder) + "\\Tvex III.lnk";
}

// The install directory of the registered uninstall command, or empty.
std::string RegisteredDirectory(const std::string& command) {
  if (command.size() < 2 || command[0] != '"') return std::string();
  size_t close = command.find('"', 1);
  if (close == std::string::npos) return std::string();
  std::string program = command.substr(1, close - 1);
  size_t slash = program.rfind('\\');
  return slash == std::string::npos ? std::string() : program.substr(0, slash);
}

struct TreeSize {
  size_t files = 0;
  unsigned long long bytes = 0;
};

TreeSize SizeOf(const std::string& dir) {
  TreeSize size;
  for (const std::string& file : gui::ListFiles(dir)) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!::GetFileAttributesExA((dir + "\\" + file).c_str(), GetFileExInfoStandard, &data))
      continue;
    ++size.files;
    size.bytes += (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  }
  return size;
}

// The lines of launch.log after the first skip bytes.
void ShowLog(const std::string& log, size_t skip) {
  size_t start = skip;
  while (start < log.size()) {
    size_t end = log.find('\n', start);
    if (end == std::string::npos) end = log.size();
    std::string line = OneLine(log.substr(start, end - start));
    std::replace(line.begin(), line.end(), '\t', ' ');
    Say("          %s", line.c_str());
    start = end + 1;
  }
}

void ShowLinkAndEntryState(bool afterUninstall) {
  for (const char* folder : {"Desktop", "Start Menu"}) {
    const std::string link = Link(folder);
    Say("      %-12s %s: %s", (std::string(folder) + ":").c_str(), WithHostPath(link).c_str(),
        gui::FileExists(link) ? "there" : "gone");
  }
  if (gui::RegistryValueExists(HKEY_LOCAL_MACHINE, kUninstallEntry, "UninstallString")) {
    Say("      Uninstall entry HKLM\\%s:", kUninstallEntry);
    Say("          DisplayName     = \"%s\"",
        gui::RegistryText(HKEY_LOCAL_MACHINE, kUninstallEntry, "DisplayName").c_str());
    Say("          UninstallString = %s",
        gui::RegistryText(HKEY_LOCAL_MACHINE, kUninstallEntry, "UninstallString").c_str());
  } else {
    Say("      Uninstall entry HKLM\\%s: %s", kUninstallEntry, afterUninstall ? "gone" : "missing");
  }
}

}  // namespace

int WalkInstall(const WalkOptions& options) {
  Say("  1. The installer starts: %s", WithHostPath(options.installer).c_str());
  const Clock::time_point started = Clock::now();
  gui::Installer installer(options.installer);
  HWND main = installer.WaitForMain();
  if (!main) {
    Say("     The main dialog did not show.");
    return 1;
  }
  ::SetForegroundWindow(main);
  const std::string agreement = gui::ItemText(main, IDC_AGREEMENT);
  Say("     Window \"%s\" after %.1f s", kMainCaption, SecondsSince(started));
  Say("       header:    \"%s\"", gui::ItemText(main, IDC_TITLE).c_str());
  Say("       agreement: %zu characters, \"%s ...\" (read-only; Decline ends the installer)",
      agreement.size(), OneLine(agreement.substr(0, agreement.find('\r'))).c_str());
  Say("       directory: %s", gui::ItemText(main, IDC_INSTALL_DIR).c_str());
  Say("       %s", ControlState(main).c_str());
  // The update shows the same two pictures again: only the first installation takes them.
  if (!options.update) Screenshot("1-start", {main});

  Say("  2. Accept");
  gui::Click(main, IDC_ACCEPT);
  if (!gui::WaitFor([&] { return gui::ItemEnabled(main, IDC_INSTALL_NOW); })) {
    Say("     Install Now did not become usable.");
    return 1;
  }
  Say("       %s", ControlState(main).c_str());
  if (!options.update) Screenshot("2-accepted", {main});

  if (!options.dir.empty()) gui::SetItemText(main, IDC_INSTALL_DIR, options.dir);
  const std::string dir = gui::ItemText(main, IDC_INSTALL_DIR);
  Say("  3. The directory: %s %s", dir.c_str(),
      options.dir.empty() ? "(the default, kept)" : "(typed in)");
  if (!HostPath(dir).empty()) Say("       on this machine: %s", HostPath(dir).c_str());
  const bool existing = gui::FileExists(dir + "\\tvex3.exe");

  Say("  4. Install Now");
  gui::Click(main, IDC_INSTALL_NOW);
  Clock::time_point clicked = Clock::now();
  std::vector<HWND> known = {main};
  if (existing) {
    HWND question = nullptr;
    if (!gui::WaitFor(
            [&] { return (question = gui::FindDialog(installer.Id(), kQuestionCaption)); })) {
      Say("     The \"%s\" question did not come although %s\\tvex3.exe exists.", kQuestionCaption,
          dir.c_str());
      return 1;
    }
    Say("     %s\\tvex3.exe is there already, so the installer asks \"%s\"", dir.c_str(),
        kQuestionCaption);
    Say("       chosen as it opens: %s",
        gui::ItemChecked(question, IDC_OVERWRITE) ? "Overwrite" : "Update");
    const int choice = options.update ? IDC_UPDATE : IDC_OVERWRITE;
    gui::Click(question, choice);
    gui::WaitFor([&] { return gui::ItemChecked(question, choice); }, std::chrono::seconds(5));
    Say("     %s, OK%s", options.update ? "Update" : "Overwrite",
        options.update ? ": the eight databases in lib\\cmp will be merged, not replaced" : "");
    Screenshot(options.update ? "4-question-update" : "4-question-overwrite", {main, question});
    gui::Click(question, IDOK);
    known.push_back(question);
    clicked = Clock::now();
  }

  // Progress: every change of the status line, until a message box shows.
  Say("     While it runs:");
  std::string shown;
  bool progressShot = options.update, stateShown = false;
  Clock::time_point lastPrinted = Clock::now() - std::chrono::seconds(1);
  gui::MessageBoxSeen box;
  const Clock::time_point deadline = Clock::now() + std::chrono::minutes(10);
  while (Clock::now() < deadline) {
    for (HWND window : gui::Dialogs(installer.Id())) {
      if (std::find(known.begin(), known.end(), window) == known.end()) box.window = window;
    }
    if (box.window) break;
    const std::string status = OneLine(gui::ItemText(main, IDC_STATUS));
    // One line per quarter second at most: the dialog itself changes it five times a second.
    if (!status.empty() && status != shown &&
        Clock::now() - lastPrinted >= std::chrono::milliseconds(250)) {
      Say("       %6.2f s  %s", SecondsSince(clicked), status.c_str());
      if (!stateShown) {
        Say("                 (%s)", ControlState(main).c_str());
        stateShown = true;
      }
      shown = status;
      lastPrinted = Clock::now();
      if (!progressShot && SecondsSince(clicked) > 0.4) {
        Screenshot("3-progress", {main}, false);
        progressShot = true;
      }
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  const double seconds = SecondsSince(clicked);
  if (!box.window) {
    Say("     No message within 10 minutes.");
    return 1;
  }
  box = gui::WaitForBox(installer.Id(), known, std::chrono::seconds(5));
  Say("  5. Message box \"%s\" after %.2f s: \"%s\"", box.caption.c_str(), seconds,
      OneLine(box.text).c_str());
  Screenshot(options.update ? "5-updated" : "5-success", {main, box.window});
  if (box.text != kSuccess) {
    Say("     That is not the success message.");
    return 1;
  }
  Say("     OK");
  const std::string launchLog = dir + "\\launch.log";
  const size_t logBefore = gui::ReadFile(launchLog).size();
  gui::Click(box.window, IDOK);
  if (!installer.WaitForExit(std::chrono::seconds(60))) {
    Say("     The installer did not end.");
    return 1;
  }

  Say("  6. What the installation made");
  ShowLinkAndEntryState(false);
  const std::string manifest = gui::ReadFile(dir + "\\uninstall.info");
  Say("      %s:", WithHostPath(dir + "\\uninstall.info").c_str());
  ShowLog(manifest, 0);
  if (gui::WaitFor([&] { return gui::ReadFile(launchLog).size() > logBefore; },
                   std::chrono::seconds(20))) {
    Say("      The installer started the program; its launch.log (command line, working "
        "directory):");
    ShowLog(gui::ReadFile(launchLog), logBefore);
  } else {
    Say("      The program did not log a start in %s", launchLog.c_str());
    return 1;
  }
  const TreeSize size = SizeOf(dir);
  Say("      In %s now: %zu files, %llu bytes (the payload, uninstall.info, launch.log)",
      dir.c_str(), size.files, size.bytes);
  Say("RESULT seconds=%.2f files=%zu bytes=%llu", seconds, size.files, size.bytes);
  return 0;
}

int WalkUninstall() {
  const std::string command =
      gui::RegistryText(HKEY_LOCAL_MACHINE, kUninstallEntry, "UninstallString");
  if (command.empty()) {
    Say("  No uninstall entry HKLM\\%s", kUninstallEntry);
    return 1;
  }
  const std::string dir = RegisteredDirectory(command);
  const std::string launchLog = dir + "\\launch.log";
  const size_t logBefore = gui::ReadFile(launchLog).size();
  Say("  The registered uninstall command: %s", command.c_str());
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  std::string line = command;
  if (!::CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, "C:\\", &startup,
                        &process)) {
    Say("  It could not be started (error %lu)", ::GetLastError());
    return 1;
  }
  DWORD code = 1;
  if (::WaitForSingleObject(process.hProcess, 60000) == WAIT_OBJECT_0)
    ::GetExitCodeProcess(process.hProcess, &code);
  ::CloseHandle(process.hThread);
  ::CloseHandle(process.hProcess);
  Say("  It ended with exit code %lu. What it logged in launch.log:", code);
  ShowLog(gui::ReadFile(launchLog), logBefore);
  Say("  Afterwards:");
  ShowLinkAndEntryState(true);
  Say("      %s: %s", (dir + "\\uninstall.info").c_str(),
      gui::FileExists(dir + "\\uninstall.info") ? "there" : "gone");
  const TreeSize size = SizeOf(dir);
  Say("      Left in place: %zu files, %llu bytes in %s (the program cannot tell its own files "
      "from the user's)",
      size.files, size.bytes, dir.c_str());
  return static_cast<int>(code);
}

}  // namespace demo
