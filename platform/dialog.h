// The thin dialog layer: a modal dialog run from a resource template, with its messages routed
// to virtual handlers and its data moved between controls and members in one exchange.
//
// One static dialog procedure finds the object through the window (stored at WM_INITDIALOG
// from DialogBoxParamA's parameter) and calls the handlers inside a catch-all, so nothing
// throws across Win32.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "platform/gdi_handles.h"

namespace platform {

// One run of a dialog's data exchange: either controls into members (saving) or members into
// controls.
class DataExchange {
 public:
  DataExchange(HWND dialog, bool saving) : dialog_(dialog), saving_(saving) {}

  // True when control contents are being copied into the members.
  bool Saving() const { return saving_; }
  HWND Dialog() const { return dialog_; }

  // The control's window; null when the dialog has no such control.
  HWND Control(int id) const { return ::GetDlgItem(dialog_, id); }

  // Saving: value = the control's whole text in the ANSI code page. Otherwise the control gets
  // value, and only when its text differs (no flicker, no caret jump on repeated exchanges). A
  // missing control leaves both sides untouched. False only when saving a text with a character
  // that the code page lacks (a legacy code page, older Windows): value then holds the code
  // page's default character ('?') in its place, never a look-alike.
  bool Text(int id, std::string& value);

  // Saving: value = 1 when the check box or radio button is checked, else 0. Otherwise the
  // control is checked exactly when value is non-zero.
  void Check(int id, int& value);

  // A group of radio buttons with the consecutive ids firstId to lastId. Saving: index = the
  // position of the checked one in the group (0 for firstId), -1 when none is. Otherwise the
  // button at index is checked and the others of the group cleared.
  void Radio(int firstId, int lastId, int& index);

 private:
  HWND dialog_;
  bool saving_;
};

// A modal dialog built from the dialog template templateId in the program's resources.
class Dialog {
 public:
  // parent may be null: the dialog is then owned by the application's main dialog, when one
  // runs (SetMainDialog), else by nothing.
  explicit Dialog(int templateId, HWND parent = nullptr);
  virtual ~Dialog();
  Dialog(const Dialog&) = delete;
  Dialog& operator=(const Dialog&) = delete;

  // Runs the dialog until EndDialog; returns the value given to EndDialog, or -1 when the
  // template cannot be loaded or the window cannot be created.
  INT_PTR DoModal();

  // The dialog window while the dialog runs, else null.
  HWND Handle() const { return hwnd_; }

  // The control's window, or null.
  HWND Item(int id) const { return ::GetDlgItem(hwnd_, id); }

  // The dots per inch the dialog is drawn at (platform/display_scale.h); kept up to date as the
  // dialog moves to a monitor of another scale.
  UINT Dpi() const { return dpi_; }

  // Enables or disables one control; a missing control is ignored.
  void EnableItem(int id, bool enable);

  // Runs DoDataExchange in the given direction (save = controls into members). Returns false
  // when the dialog has no window.
  bool UpdateData(bool save);

  // Ends the modal run with result once the current message has been handled.
  void EndDialog(INT_PTR result);

  // The dialog that owns parentless dialogs; null when none runs. The application sets its
  // main dialog before running it.
  static void SetMainDialog(Dialog* dialog);
  static Dialog* MainDialog();

 protected:
  // Lists the control ↔ member pairs; the default exchanges nothing.
  virtual void DoDataExchange(DataExchange& dx);

  // After the controls exist: the default runs the first exchange into the controls and
  // returns TRUE (the system then focuses the first tab stop).
  virtual BOOL OnInitDialog();

  // WM_COMMAND from a control, a menu or an accelerator. The default hands clicks (BN_CLICKED,
  // which Escape, the close box and Enter send too) to OnButtonClicked and ignores everything
  // else.
  virtual void OnCommand(int id, int notifyCode, HWND control);

  // A button was clicked. The default sends IDOK to OnOK and IDCANCEL to OnCancel.
  virtual void OnButtonClicked(int id);

  // WM_TIMER with the timer's id; the default does nothing.
  virtual void OnTimer(UINT_PTR timerId);

  // WM_DPICHANGED: the dialog is now drawn at dpi, and the system suggests the window's new
  // place. Where the system does not lay the dialog out anew itself (platform/display_scale.h),
  // the default does: it scales every control's place and size, gives the controls that have
  // the dialog's font that font at the new scale, and moves the dialog to the suggested place.
  // An override adds what the dialog draws at a scale of its own (fonts, icons).
  virtual void OnDpiChanged(UINT dpi, const RECT& suggested);

  // The default saves the controls into the members and ends with IDOK.
  virtual void OnOK();

  // The default ends with IDCANCEL.
  virtual void OnCancel();

 private:
  static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  INT_PTR Dispatch(UINT message, WPARAM wParam, LPARAM lParam);

  // A control's place in the dialog as it was made.
  struct MadeControl {
    HWND window;
    RECT place;
  };

  // Records the controls' places and the dialog's font as the dialog was made.
  void RecordLayout();
  // The default OnDpiChanged's work: the controls as they were made, scaled to dpi (from the
  // layout as made, so that moving back and forth never drifts).
  void ScaleControls(UINT dpi);

  int templateId_;
  HWND parent_;
  HWND hwnd_ = nullptr;
  UINT dpi_ = 0;
  UINT madeDpi_ = 0;
  std::vector<MadeControl> madeLayout_;
  HFONT madeFont_ = nullptr;  // the dialog's font as it was made (the system's)
  FontHandle scaledFont_;     // that font at another scale, once the scale has changed
};

}  // namespace platform
