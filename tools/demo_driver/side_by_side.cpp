#include "side_by_side.h"

#include <windows.h>

#include <chrono>
#include <string>
#include <thread>

#include "gui_driver.h"
#include "screen.h"

namespace demo {

namespace {

using Clock = std::chrono::steady_clock;

constexpr char kSuccess[] = "Zephrin/TvexIII has been successfully installed";

long long MillisecondsSince(Clock::time_point start) {
  return std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - start).count() / 1000;
}

// Our installer into dir: Accept, the directory, Install Now; the time until the message
// box shows, or -1.
long long TimeOurs(const std::string& installer, const std::string& dir) {
  gui::Installer run(installer);
  HWND main = run.WaitForMain();
  if (!main) return -1;
  gui::Click(main, kAccept);
  if (!gui::WaitFor([&] { return gui::ItemEnabled(main, kInstallNow); })) return -1;
  gui::SetItemText(main, kDir, dir);
  // Let the dialog settle before the clock starts.
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  gui::Click(main, kInstallNow);
  const Clock::time_point clicked = Clock::now();
  HWND box = nullptr;
  // A short poll: the figure is only as fine as it. (Polling every 200 ms instead changes the
  // installer's own time by less than the spread between rounds.)
  while (!box && MillisecondsSince(clicked) < 600000) {
    for (HWND window : gui::Dialogs(run.Id()))
      if (window != main) box = window;
    if (!box) std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  const long long elapsed = MillisecondsSince(clicked);
  gui::MessageBoxSeen seen = gui::WaitForBox(run.Id(), {main}, std::chrono::seconds(5));
  if (!box || seen.text != kSuccess) {
    Say("ours: no success message in %s (\"%s\")", dir.c_str(), seen.text.c_str());
    return -1;
  }
  gui::Click(seen.window, IDOK);
  if (!run.WaitForExit(std::chrono::seconds(60))) return -1;
  // The program it starts logs in the tree; let it finish before the tree goes.
  gui::WaitFor([&] { return !gui::ReadFile(dir + "\\launch.log").empty(); },
               std::chrono::seconds(20));
  return elapsed;
}

}  // namespace

int RunSideBySide(const SideBySide& bench) {
  ::CreateDirectoryA(bench.workDir.c_str(), nullptr);
  for (int i = 1; i <= bench.rounds; ++i) {
    const std::string ours = bench.workDir + "\\ours" + std::to_string(i);
    const std::string nsis = bench.workDir + "\\nsis" + std::to_string(i);
    gui::RemoveTree(ours);
    gui::RemoveTree(nsis);
    ::DeleteFileA(bench.timeFile.c_str());

    const long long oursMs = TimeOurs(bench.ours, ours);
    if (oursMs < 0) return 1;

    // /D must come last and unquoted, blanks and all.
    const Clock::time_point started = Clock::now();
    gui::Installer run(bench.nsis, "/S /D=" + nsis);
    if (!run.WaitForExit(std::chrono::minutes(10))) {
      Say("nsis: did not end");
      return 1;
    }
    const long long runMs = MillisecondsSince(started);
    const std::string section = gui::ReadFile(bench.timeFile);
    if (section.empty() || !gui::FileExists(nsis + "\\tvex3.exe")) {
      Say("nsis: no installation in %s", nsis.c_str());
      return 1;
    }
    std::string engineText;
    const std::string engine = bench.workDir + "\\engine" + std::to_string(i);
    if (!bench.engine.empty()) {
      gui::RemoveTree(engine);
      const Clock::time_point engineStarted = Clock::now();
      gui::Installer extract(bench.engine, "\"" + engine + "\"");
      if (!extract.WaitForExit(std::chrono::minutes(10)) ||
          !gui::FileExists(engine + "\\tvex3.exe")) {
        Say("engine: no extraction in %s", engine.c_str());
        return 1;
      }
      engineText = " engine_ms " + std::to_string(MillisecondsSince(engineStarted));
    }
    Say("round %d ours_ms %lld nsis_section_ms %s nsis_run_ms %lld%s", i, oursMs, section.c_str(),
        runMs, engineText.c_str());
    gui::RemoveTree(ours);
    gui::RemoveTree(nsis);
    gui::RemoveTree(engine);
  }
  return 0;
}

}  // namespace demo
