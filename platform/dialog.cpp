#include "platform/dialog.h"

#include <atomic>
#include <cstdlib>
#include <optional>
#include <vector>

#include "platform/display_scale.h"
#include "platform/wide_text.h"

namespace platform {

namespace {

std::atomic<Dialog*> g_mainDialog{nullptr};

// The window's text in the ANSI code page. It is read as the system keeps it (UTF-16), so that a
// character the code page lacks (a legacy code page, older Windows) is never taken as a
// look-alike: it becomes the default character ('?') and exact is set to false.
std::string WindowText(HWND window, bool& exact) {
  exact = true;
  const int length = ::GetWindowTextLengthW(window);
  if (length <= 0) return std::string();
  std::wstring wide(static_cast<std::size_t>(length) + 1, L'\0');
  const int got = ::GetWindowTextW(window, wide.data(), length + 1);
  wide.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
  if (std::optional<std::string> ansi = AnsiFromWide(wide)) return *ansi;
  exact = false;
  return AnsiShownFromWide(wide);
}

}  // namespace

bool DataExchange::Text(int id, std::string& value) {
  HWND control = Control(id);
  if (!control) return true;
  bool exact = true;
  if (saving_) {
    value = WindowText(control, exact);
  } else if (WindowText(control, exact) != value) {
    ::SetWindowTextA(control, value.c_str());
  }
  return !saving_ || exact;
}

void DataExchange::Check(int id, int& value) {
  HWND control = Control(id);
  if (!control) return;
  if (saving_) {
    value = ::SendMessageA(control, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
  } else {
    ::SendMessageA(control, BM_SETCHECK, value ? BST_CHECKED : BST_UNCHECKED, 0);
  }
}

void DataExchange::Radio(int firstId, int lastId, int& index) {
  if (saving_) {
    index = -1;
    for (int id = firstId; id <= lastId; ++id)
      if (::IsDlgButtonChecked(dialog_, id) == BST_CHECKED) index = id - firstId;
  } else {
    ::CheckRadioButton(dialog_, firstId, lastId, firstId + index);
  }
}

Dialog::Dialog(int templateId, HWND parent) : templateId_(templateId), parent_(parent) {}

Dialog::~Dialog() {
  Dialog* self = this;
  g_mainDialog.compare_exchange_strong(self, nullptr);
}

INT_PTR Dialog::DoModal() {
  HWND owner = parent_;
  if (!owner) {
    Dialog* main = g_mainDialog.load();
    if (main && main != this) owner = main->Handle();
  }
  return ::DialogBoxParamA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(templateId_), owner,
                           &Dialog::DialogProc, reinterpret_cast<LPARAM>(this));
}

void Dialog::EnableItem(int id, bool enable) {
  if (HWND control = Item(id)) ::EnableWindow(control, enable ? TRUE : FALSE);
}

bool Dialog::UpdateData(bool save) {
  if (!hwnd_) return false;
  DataExchange dx(hwnd_, save);
  DoDataExchange(dx);
  return true;
}

void Dialog::EndDialog(INT_PTR result) {
  if (hwnd_) ::EndDialog(hwnd_, result);
}

void Dialog::SetMainDialog(Dialog* dialog) { g_mainDialog.store(dialog); }

Dialog* Dialog::MainDialog() { return g_mainDialog.load(); }

void Dialog::DoDataExchange(DataExchange&) {}

BOOL Dialog::OnInitDialog() {
  UpdateData(false);
  return TRUE;
}

void Dialog::OnCommand(int id, int notifyCode, HWND) {
  if (notifyCode == BN_CLICKED) OnButtonClicked(id);
}

void Dialog::OnButtonClicked(int id) {
  if (id == IDOK) {
    OnOK();
  } else if (id == IDCANCEL) {
    OnCancel();
  }
}

void Dialog::OnTimer(UINT_PTR) {}

void Dialog::OnDpiChanged(UINT dpi, const RECT& suggested) {
  dpi_ = dpi;
  if (SystemRescalesDialog(hwnd_)) return;
  ScaleControls(dpi);
  ::SetWindowPos(hwnd_, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

void Dialog::RecordLayout() {
  madeDpi_ = dpi_ = WindowDpi(hwnd_);
  madeFont_ = reinterpret_cast<HFONT>(::SendMessageA(hwnd_, WM_GETFONT, 0, 0));
  scaledFont_.reset();
  madeLayout_.clear();
  for (HWND control = ::GetWindow(hwnd_, GW_CHILD); control;
       control = ::GetWindow(control, GW_HWNDNEXT)) {
    RECT place;
    ::GetWindowRect(control, &place);
    ::MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&place), 2);
    madeLayout_.push_back({control, place});
  }
}

void Dialog::ScaleControls(UINT dpi) {
  const auto scale = [&](LONG value) {
    return ::MulDiv(value, static_cast<int>(dpi), static_cast<int>(madeDpi_));
  };
  // The dialog's font at the new scale, for the controls that have it; at the scale it was made
  // for, the font itself. Its size in points is what stays, as it does for the system's: the
  // template gives whole points, the font the pixels they came to at the scale it was made for.
  const HFONT current = scaledFont_ ? scaledFont_.get() : madeFont_;
  FontHandle font;
  LOGFONTA description = {};
  if (dpi != madeDpi_ && madeFont_ && ::GetObjectA(madeFont_, sizeof description, &description)) {
    const int points = ::MulDiv(std::abs(description.lfHeight), 72, static_cast<int>(madeDpi_));
    description.lfHeight = -PointsToPixels(points, dpi);
    description.lfWidth = 0;
    font.reset(::CreateFontIndirectA(&description));
  }
  const HFONT next = font ? font.get() : madeFont_;
  for (const MadeControl& control : madeLayout_) {
    const RECT& place = control.place;
    ::SetWindowPos(control.window, nullptr, scale(place.left), scale(place.top),
                   scale(place.right) - scale(place.left), scale(place.bottom) - scale(place.top),
                   SWP_NOZORDER | SWP_NOACTIVATE);
    if (current && next != current &&
        reinterpret_cast<HFONT>(::SendMessageA(control.window, WM_GETFONT, 0, 0)) == current)
      ::SendMessageA(control.window, WM_SETFONT, reinterpret_cast<WPARAM>(next), TRUE);
  }
  // The font before goes only now that no control has it.
  scaledFont_ = std::move(font);
}

void Dialog::OnOK() {
  UpdateData(true);
  EndDialog(IDOK);
}

void Dialog::OnCancel() { EndDialog(IDCANCEL); }

INT_PTR CALLBACK Dialog::DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  Dialog* self = nullptr;
  if (message == WM_INITDIALOG) {
    self = reinterpret_cast<Dialog*>(lParam);
    self->hwnd_ = hwnd;
    ::SetWindowLongPtrA(hwnd, DWLP_USER, lParam);
  } else {
    self = reinterpret_cast<Dialog*>(::GetWindowLongPtrA(hwnd, DWLP_USER));
  }
  // Messages that come before WM_INITDIALOG (WM_SETFONT) get the default processing.
  if (!self) return FALSE;
  INT_PTR result = FALSE;
  try {
    result = self->Dispatch(message, wParam, lParam);
  } catch (...) {
    // A handler that failed leaves the dialog as it was; nothing may unwind through Win32.
    result = FALSE;
  }
  if (message == WM_NCDESTROY) {
    ::SetWindowLongPtrA(hwnd, DWLP_USER, 0);
    self->hwnd_ = nullptr;
  }
  return result;
}

INT_PTR Dialog::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      RecordLayout();
      return OnInitDialog();
    case WM_COMMAND:
      OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
      return TRUE;
    case WM_TIMER:
      OnTimer(static_cast<UINT_PTR>(wParam));
      // The default processing follows: nothing for a timer without a callback.
      return FALSE;
    case WM_DPICHANGED:
      // The new scale is the same both ways (HIWORD, LOWORD); the system's own layout, where it
      // does one, follows in the default processing.
      OnDpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
      return FALSE;
    default:
      return FALSE;
  }
}

}  // namespace platform
