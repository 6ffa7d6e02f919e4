#include "tools/demo_driver/screen.h"

#include <cstdarg>
#include <cstdio>
#include <thread>

#include "app/resource.h"
#include "tools/gui_driver/gui_driver.h"

namespace demo {

std::string HostPath(const std::string& windowsPath) {
  using UnixName = char*(CDECL*)(const WCHAR*);
  static const auto unixName = reinterpret_cast<UnixName>(reinterpret_cast<void*>(
      ::GetProcAddress(::GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
  if (!unixName || windowsPath.empty()) return std::string();
  int length = ::MultiByteToWideChar(CP_ACP, 0, windowsPath.c_str(), -1, nullptr, 0);
  std::wstring wide(static_cast<size_t>(length), L'\0');
  ::MultiByteToWideChar(CP_ACP, 0, windowsPath.c_str(), -1, wide.data(), length);
  char* name = unixName(wide.c_str());
  if (!name) return std::string();
  std::string result = name;
  ::HeapFree(::GetProcessHeap(), 0, name);
  // The prefix's C: drive is reached through a link; its real folder reads better.
  const std::string link = "/dosdevices/c:/";
  if (size_t at = result.find(link); at != std::string::npos)
    result.replace(at, link.size(), "/drive_c/");
  return result;
}

std::string WithHostPath(const std::string& windowsPath) {
  const std::string host = HostPath(windowsPath);
  return host.empty() ? windowsPath : windowsPath + " (on this machine: " + host + ")";
}

std::string ControlState(HWND main) {
  const struct {
    int id;
    const char* name;
  } controls[] = {{IDC_ACCEPT, "Accept"}, {IDC_DECLINE, "Decline"},
                  {IDCANCEL, "Cancel"},   {IDC_INSTALL_DIR, "the directory field"},
                  {IDC_BROWSE, "Browse"}, {IDC_INSTALL_NOW, "Install Now"}};
  std::string usable, greyed;
  for (const auto& c : controls) {
    std::string& list = gui::ItemEnabled(main, c.id) ? usable : greyed;
    list += (list.empty() ? "" : ", ") + std::string(c.name);
  }
  return "usable: " + (usable.empty() ? std::string("none") : usable) +
         "; greyed: " + (greyed.empty() ? std::string("none") : greyed);
}

void Screenshot(const char* name, std::initializer_list<HWND> windows, bool wait) {
  const std::string dir = gui::Environment("TVEX_SHOTS");
  if (dir.empty()) return;
  RECT area = {};
  bool first = true;
  for (HWND window : windows) {
    RECT r;
    if (!window || !::GetWindowRect(window, &r)) continue;
    if (first) {
      area = r;
      first = false;
    } else {
      ::UnionRect(&area, &area, &r);
    }
  }
  if (first) return;
  // A small margin of desktop around the windows; the virtual desktop starts at the screen's
  // top left corner.
  constexpr int kMargin = 8;
  area.left = area.left > kMargin ? area.left - kMargin : 0;
  area.top = area.top > kMargin ? area.top - kMargin : 0;
  area.right += kMargin;
  area.bottom += kMargin;
  // Let the windows finish painting.
  if (wait) std::this_thread::sleep_for(std::chrono::milliseconds(400));
  const std::string png = dir + "\\" + name + ".png";
  ::DeleteFileA(png.c_str());
  char geometry[64];
  std::snprintf(geometry, sizeof geometry, "%ldx%ld+%ld+%ld", area.right - area.left,
                area.bottom - area.top, area.left, area.top);
  // Written under another name first, so the taker never reads half a request.
  const std::string request = dir + "\\" + name + ".req";
  gui::WriteFile(request + ".new", geometry);
  ::MoveFileExA((request + ".new").c_str(), request.c_str(), MOVEFILE_REPLACE_EXISTING);
  if (!wait) {
    Say("        [screenshot %s.png]", name);
    return;
  }
  if (gui::WaitFor([&] { return gui::FileExists(png); }, std::chrono::seconds(15)))
    Say("        [screenshot %s.png]", name);
  else
    Say("        [screenshot %s.png not taken]", name);
}

void Say(const char* format, ...) {
  std::va_list args;
  va_start(args, format);
  std::vprintf(format, args);
  va_end(args);
  std::fputc('\n', stdout);
  std::fflush(stdout);
}

}  // namespace demo
