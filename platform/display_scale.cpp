#include "platform/display_scale.h"

namespace platform {

namespace {

// DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2, which the headers declare only for newer targets.
const HANDLE kPerMonitorAwareV2 = reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-4));
constexpr int kKeepFont = 1;  // DCDC_DISABLE_FONT_UPDATE

// A function of user32 that older systems lack; null there.
template <typename Function>
Function User32(const char* name) {
  HMODULE user32 = ::GetModuleHandleA("user32");
  return user32
             ? reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(user32, name)))
             : nullptr;
}

UINT SystemDpi() {
  UINT dpi = 0;
  if (HDC screen = ::GetDC(nullptr)) {
    dpi = static_cast<UINT>(::GetDeviceCaps(screen, LOGPIXELSY));
    ::ReleaseDC(nullptr, screen);
  }
  return dpi ? dpi : kStandardDpi;
}

}  // namespace

UINT WindowDpi(HWND window) {
  static const auto getDpiForWindow = User32<UINT(WINAPI*)(HWND)>("GetDpiForWindow");
  if (getDpiForWindow) {
    if (const UINT dpi = getDpiForWindow(window)) return dpi;
  }
  UINT dpi = 0;
  if (HDC dc = ::GetDC(window)) {
    dpi = static_cast<UINT>(::GetDeviceCaps(dc, LOGPIXELSY));
    ::ReleaseDC(window, dc);
  }
  return dpi ? dpi : kStandardDpi;
}

int SystemMetricForDpi(int index, UINT dpi) {
  static const auto forDpi = User32<int(WINAPI*)(int, UINT)>("GetSystemMetricsForDpi");
  if (forDpi) return forDpi(index, dpi);
  // Without the call the metrics are those of the system's scale.
  return ::MulDiv(::GetSystemMetrics(index), static_cast<int>(dpi), static_cast<int>(SystemDpi()));
}

int PointsToPixels(int points, UINT dpi) { return ::MulDiv(points, static_cast<int>(dpi), 72); }

bool SystemRescalesDialog(HWND dialog) {
  static const auto contextOf = User32<HANDLE(WINAPI*)(HWND)>("GetWindowDpiAwarenessContext");
  static const auto same = User32<BOOL(WINAPI*)(HANDLE, HANDLE)>("AreDpiAwarenessContextsEqual");
  // Windows that know the second form have the dialog calls too.
  static const bool dialogCalls = User32<FARPROC>("SetDialogDpiChangeBehavior") != nullptr;
  return contextOf && same && dialogCalls && same(contextOf(dialog), kPerMonitorAwareV2);
}

void KeepOwnFont(HWND control) {
  static const auto setBehavior =
      User32<BOOL(WINAPI*)(HWND, int, int)>("SetDialogControlDpiChangeBehavior");
  if (setBehavior) setBehavior(control, kKeepFont, kKeepFont);
}

}  // namespace platform
