#include "platform/dialog.h"

#include <atomic>
#include <vector>

namespace platform {

namespace {

std::atomic<Dialog*> g_mainDialog{nullptr};

std::string WindowText(HWND window) {
  int length = ::GetWindowTextLengthA(window);
  if (length <= 0) return std::string();
  std::vector<char> buffer(static_cast<std::size_t>(length) + 1);
  int got = ::GetWindowTextA(window, buffer.data(), length + 1);
  return std::string(buffer.data(), got > 0 ? static_cast<std::size_t>(got) : 0);
}

}  // namespace

void DataExchange::Text(int id, std::string& value) {
  HWND control = Control(id);
  if (!control) return;
  if (saving_) {
    value = WindowText(control);
  } else if (WindowText(control) != value) {
    ::SetWindowTextA(control, value.c_str());
  }
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
      return OnInitDialog();
    case WM_COMMAND:
      OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
      return TRUE;
    case WM_TIMER:
      OnTimer(static_cast<UINT_PTR>(wParam));
      // The default processing follows: nothing for a timer without a callback.
      return FALSE;
    default:
      return FALSE;
  }
}

}  // namespace platform
