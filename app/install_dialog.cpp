#include "app/install_dialog.h"

#include <commctrl.h>

#include "app/confirm_dialogs.h"
#include "app/folder_browser.h"
#include "app/host_probe.h"
#include "app/product.h"
#include "app/resource.h"
#include "platform/display_scale.h"

namespace {

constexpr char kDefaultInstallDir[] = "C:\\Program Files\\QMK\\TvexIII";
constexpr char kVersion[] = "Version " TVEX_VERSION_TEXT;

// The controls that only an accepted agreement makes usable, in the order they are switched.
constexpr int kDirectoryControls[] = {IDC_DIR_LABEL, IDC_INSTALL_DIR, IDC_INSTALL_NOW, IDC_BROWSE};

// The controls that the Overwrite or Update question disables, in the order they are switched.
constexpr int kQuestionControls[] = {IDC_DIR_LABEL, IDC_INSTALL_DIR, IDC_INSTALL_NOW, IDC_BROWSE,
                                     IDC_ACCEPT,    IDC_DECLINE,     IDCANCEL};

}  // namespace

CInstallDlg::CInstallDlg()
    : platform::Dialog(IDD_INSTALL),
      m_strInstallDir(kDefaultInstallDir),
      m_strTitle(std::string("Installs " TVEX_PRODUCT_NAME " ") + kVersion) {}

CInstallDlg::~CInstallDlg() = default;

void CInstallDlg::DoDataExchange(platform::DataExchange& dx) {
  const bool exact = dx.Text(IDC_INSTALL_DIR, m_strInstallDir);
  if (dx.Saving()) m_bInstallDirExact = exact;
  dx.Text(IDC_STATUS, m_strStatus);
  dx.Text(IDC_TITLE, m_strTitle);
  dx.Text(IDC_AGREEMENT, m_strAgreement);
}

void CInstallDlg::ApplyEnableRule() {
  const bool installing = m_sequence.Installing();
  const bool directoryUsable = m_bAccepted && !installing;
  for (int id : kDirectoryControls) EnableItem(id, directoryUsable);
  EnableItem(IDC_ACCEPT, !installing);
  EnableItem(IDC_DECLINE, !installing);
}

void CInstallDlg::Refresh(bool save) {
  UpdateData(save);
  ApplyEnableRule();
}

void CInstallDlg::ShowProgress(const std::string& line, int permille) {
  // The bar before the line, so that whoever reads the line finds the bar at the same point.
  if (HWND bar = Item(IDC_PROGRESS)) {
    if (permille != kNoProgressBar) ::SendMessageA(bar, PBM_SETPOS, permille, 0);
    ::ShowWindow(bar, permille == kNoProgressBar ? SW_HIDE : SW_SHOWNA);
  }
  m_strStatus = line;
  Refresh(false);
  ::UpdateWindow(Handle());
}

void CInstallDlg::Close(bool completed) {
  if (completed)
    OnOK();
  else
    EndDialog(IDCANCEL);
}

void CInstallDlg::SetQuestionControlsEnabled(bool enable) {
  for (int id : kQuestionControls) EnableItem(id, enable);
}

void CInstallDlg::ResolveDefaultInstallDir() {
  std::string programFiles;
  if (!ReadProgramFilesDir(HKEY_LOCAL_MACHINE, kCurrentVersionKey, programFiles)) return;
  m_strInstallDir = InstallDirBelow(programFiles, m_strInstallDir);
  Refresh(false);
}

void CInstallDlg::LoadIcons(UINT dpi) {
  const auto load = [dpi](int width, int height) {
    return platform::IconHandle(static_cast<HICON>(::LoadImageA(
        ::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAINFRAME), IMAGE_ICON,
        platform::SystemMetricForDpi(width, dpi), platform::SystemMetricForDpi(height, dpi), 0)));
  };
  // Each old icon goes only once the window has its successor.
  if (platform::IconHandle smallIcon = load(SM_CXSMICON, SM_CYSMICON)) {
    ::SendMessageA(Handle(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon.get()));
    m_hIcon = std::move(smallIcon);
  }
  if (platform::IconHandle bigIcon = load(SM_CXICON, SM_CYICON)) {
    ::SendMessageA(Handle(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon.get()));
    m_hBigIcon = std::move(bigIcon);
  }
}

void CInstallDlg::SetAgreementFont(UINT dpi, bool redraw) {
  LOGFONTA description = {};
  description.lfHeight = -platform::PointsToPixels(10, dpi);
  description.lfWeight = FW_NORMAL;
  lstrcpynA(description.lfFaceName, "Arial", LF_FACESIZE);
  platform::FontHandle font(::CreateFontIndirectA(&description));
  if (!font) return;
  ::SendMessageA(Item(IDC_AGREEMENT), WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), redraw);
  m_font = std::move(font);
}

BOOL CInstallDlg::OnInitDialog() {
  platform::Dialog::OnInitDialog();
  ApplyEnableRule();
  LoadIcons(Dpi());
  ResolveDefaultInstallDir();
  SetAgreementFont(Dpi(), false);
  platform::KeepOwnFont(Item(IDC_AGREEMENT));
  ::SendMessageA(Item(IDC_PROGRESS), PBM_SETRANGE32, 0, kFullProgressBar);
  return TRUE;
}

void CInstallDlg::OnDpiChanged(UINT dpi, const RECT& suggested) {
  platform::Dialog::OnDpiChanged(dpi, suggested);
  LoadIcons(dpi);
  SetAgreementFont(dpi, true);
}

void CInstallDlg::OnCommand(int id, int notifyCode, HWND control) {
  // While the finishing steps run, a box they show may leave the dialog usable: nothing that
  // starts another step may run then.
  if (m_sequence.Finishing()) return;
  if (id == IDC_AGREEMENT) {
    if (notifyCode == EN_CHANGE) OnAgreementChange();
    return;
  }
  platform::Dialog::OnCommand(id, notifyCode, control);
}

void CInstallDlg::OnButtonClicked(int id) {
  switch (id) {
    case IDC_ACCEPT:
      OnAccept();
      return;
    case IDC_DECLINE:
      OnDecline();
      return;
    case IDC_BROWSE:
      OnBrowse();
      return;
    case IDC_INSTALL_NOW:
      OnInstallNow();
      return;
    default:
      platform::Dialog::OnButtonClicked(id);
  }
}

void CInstallDlg::OnTimer(UINT_PTR timerId) { m_sequence.OnTimer(timerId); }

void CInstallDlg::OnAgreementChange() { Refresh(false); }

void CInstallDlg::OnAccept() {
  m_bAccepted = true;
  Refresh(true);
}

void CInstallDlg::OnDecline() {
  if (!m_bAccepted) OnCancel();
  m_bAccepted = false;
  Refresh(true);
}

void CInstallDlg::OnBrowse() {
  Refresh(true);
  // Owned by the dialog, so that nothing else in it can be pressed while the browser is open.
  CFolderBrowser browser(m_strInstallDir.c_str(), 0, Handle());
  if (browser.Browse() == IDOK) m_strInstallDir = browser.m_strSelectedPath;
  Refresh(false);
}

void CInstallDlg::OnInstallNow() {
  Refresh(true);
  // A typed name that the code page cannot hold (older Windows) reached the directory with a
  // stand-in character: refused before anything is made, as the folder browser refuses it.
  if (!m_bInstallDirExact) {
    RefuseUnrepresentableDirectory(Handle());
    return;
  }
  m_sequence.InstallNow(m_strInstallDir);
}

void CInstallDlg::OnCancel() {
  if (!m_sequence.Installing()) {
    EndDialog(IDCANCEL);
    return;
  }
  if (m_sequence.AskingQuit() || m_sequence.Quitting()) return;
  m_sequence.SetAskingQuit(true);
  CQuitDlg question;
  const INT_PTR answer = question.DoModal();
  m_sequence.SetAskingQuit(false);
  if (answer == IDOK) m_sequence.Quit();
}
