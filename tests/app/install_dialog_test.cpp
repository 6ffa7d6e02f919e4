// The main dialog run inside the test, for what the dialog draws at a scale of its own and
// another process cannot read under Wine: its icons (WM_GETICON does not cross processes there)
// and the agreement's font. The GUI tests check the rest from outside.
#include "app/install_dialog.h"

#include <gtest/gtest.h>

#include <thread>

#include "app/product.h"
#include "app/resource.h"
#include "platform/display_scale.h"
#include "tools/gui_driver/gui_driver.h"

namespace {

int IconWidth(HWND window, WPARAM which) {
  const auto icon = reinterpret_cast<HICON>(::SendMessageA(window, WM_GETICON, which, 0));
  ICONINFO info = {};
  if (!icon || !::GetIconInfo(icon, &info)) return 0;
  BITMAP bits = {};
  ::GetObjectA(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof bits, &bits);
  if (info.hbmColor) ::DeleteObject(info.hbmColor);
  if (info.hbmMask) ::DeleteObject(info.hbmMask);
  return bits.bmWidth;
}

// The height of the agreement's font in pixels (negative: the height of its characters).
LONG AgreementFontHeight(HWND main) {
  const auto font =
      reinterpret_cast<HFONT>(::SendMessageA(::GetDlgItem(main, IDC_AGREEMENT), WM_GETFONT, 0, 0));
  LOGFONTA description = {};
  ::GetObjectA(font, sizeof description, &description);
  return description.lfHeight;
}

struct Drawn {
  int smallIcon = 0, bigIcon = 0;
  LONG agreementFont = 0;
};

Drawn DrawnAt(HWND main) {
  return {IconWidth(main, ICON_SMALL), IconWidth(main, ICON_BIG), AgreementFontHeight(main)};
}

void ExpectDrawnAt(const Drawn& drawn, UINT dpi) {
  SCOPED_TRACE(std::to_string(dpi) + " DPI");
  EXPECT_EQ(drawn.smallIcon, platform::SystemMetricForDpi(SM_CXSMICON, dpi));
  EXPECT_EQ(drawn.bigIcon, platform::SystemMetricForDpi(SM_CXICON, dpi));
  EXPECT_EQ(drawn.agreementFont, -platform::PointsToPixels(10, dpi)) << "10 points";
}

// The icons and the agreement's font as the dialog opens, after the system tells it that it is
// now on a monitor of twice the scale, and back again.
TEST(InstallDialog, ItsIconsAndAgreementFontFollowTheScale) {
  CInstallDlg dialog;
  UINT madeDpi = 0;
  Drawn made, moved, back;
  std::thread user([&] {
    HWND main = nullptr;
    if (!gui::WaitFor([&] { return (main = ::FindWindowA("#32770", TVEX_INSTALLER_CAPTION)); }))
      return;
    madeDpi = platform::WindowDpi(main);
    made = DrawnAt(main);
    RECT frame = {};
    ::GetWindowRect(main, &frame);
    RECT suggested = {frame.left, frame.top, frame.left + 2 * (frame.right - frame.left),
                      frame.top + 2 * (frame.bottom - frame.top)};
    ::SendMessageA(main, WM_DPICHANGED, MAKEWPARAM(2 * madeDpi, 2 * madeDpi),
                   reinterpret_cast<LPARAM>(&suggested));
    moved = DrawnAt(main);
    ::SendMessageA(main, WM_DPICHANGED, MAKEWPARAM(madeDpi, madeDpi),
                   reinterpret_cast<LPARAM>(&frame));
    back = DrawnAt(main);
    ::PostMessageA(main, WM_COMMAND, IDCANCEL, 0);
  });
  dialog.DoModal();
  user.join();
  ASSERT_NE(madeDpi, 0u) << "the dialog did not show";
  ExpectDrawnAt(made, madeDpi);
  ExpectDrawnAt(moved, 2 * madeDpi);
  ExpectDrawnAt(back, madeDpi);
}

}  // namespace
