#include "tools/demo_driver/side_by_side.h"

#include <windows.h>

#include <chrono>
#include <string>
#include <thread>

#include "app/resource.h"
#include "tools/demo_driver/screen.h"
#include "tools/gui_driver/gui_driver.h"

namespace demo {

namespace {

using Clock = std::chrono::steady_clock;

constexpr char kSuccess[] = "Zephrin/TvexIII has been successfully installed";

long long MillisecondsSince(Clock::time_point start) {
  return std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - start).count() / 1000;
}

}  // namespace

int TimeOurs(const std::string& installer, const std::string& dir) {
  gui::Installer run(installer);
  HWND main = run.WaitForMain();
  if (!main) {
    Say("ours: the main dialog did not show");
    return 1;
  }
  gui::Click(main, IDC_ACCEPT);
  if (!gui::WaitFor([&] { return gui::ItemEnabled(main, IDC_INSTALL_NOW); })) return 1;
  gui::SetItemText(main, IDC_INSTALL_DIR, dir);
  // Let the dialog settle before the clock starts.
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  gui::Click(main, IDC_INSTALL_NOW);
  const Clock::time_point clicked = Clock::now();
  HWND box = nullptr;
  // A short poll: the figure is only as fine as it. (Polling every 250 ms instead changes the
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
    return 1;
  }
  gui::Click(seen.window, IDOK);
  if (!run.WaitForExit(std::chrono::seconds(60))) return 1;
  // The program it starts logs in the tree; let it finish before the tree goes.
  gui::WaitFor([&] { return !gui::ReadFile(dir + "\\launch.log").empty(); },
               std::chrono::seconds(20));
  Say("ours_ms %lld", elapsed);
  return 0;
}

int TimeNsis(const std::string& installer, const std::string& timeFile, const std::string& dir) {
  ::DeleteFileA(timeFile.c_str());
  const Clock::time_point started = Clock::now();
  // /D must come last and unquoted, blanks and all.
  gui::Installer run(installer, "/S /D=" + dir);
  if (!run.WaitForExit(std::chrono::minutes(10))) {
    Say("nsis: did not end");
    return 1;
  }
  const long long elapsed = MillisecondsSince(started);
  const std::string section = gui::ReadFile(timeFile);
  if (section.empty() || !gui::FileExists(dir + "\\tvex3.exe")) {
    Say("nsis: no installation in %s", dir.c_str());
    return 1;
  }
  Say("nsis_section_ms %s nsis_run_ms %lld", section.c_str(), elapsed);
  return 0;
}

int TimeEngine(const std::string& extractor, const std::string& dir) {
  const Clock::time_point started = Clock::now();
  gui::Installer run(extractor, "\"" + dir + "\"");
  if (!run.WaitForExit(std::chrono::minutes(10)) || !gui::FileExists(dir + "\\tvex3.exe")) {
    Say("engine: no extraction in %s", dir.c_str());
    return 1;
  }
  Say("engine_ms %lld", MillisecondsSince(started));
  return 0;
}

}  // namespace demo
