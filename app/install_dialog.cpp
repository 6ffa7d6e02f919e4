#include "app/install_dialog.h"

#include "app/confirm_dialogs.h"
#include "app/folder_browser.h"
#include "app/host_probe.h"
#include "app/product.h"
#include "app/resource.h"

namespace {

constexpr char kDefaultInstallDir[] = "C:\\Program Files\\QMK\\TvexIII";
constexpr char kVersion[] = "Version " TVEX_VERSION_TEXT;

// The controls that only an accepted agreement makes usable, in the order they are switched.
constexpr int kDirectoryControls[] = {IDC_DIR_LABEL, IDC_INSTALL_DIR, IDC_INSTALL_NOW, IDC_BROWSE};

}  // namespace

void ResolveDefaultInstallDir(CInstallDlg& dialog) {
  std::string programFiles;
  if (!ReadProgramFilesDir(HKEY_LOCAL_MACHINE, kCurrentVersionKey, programFiles)) return;
  dialog.m_strInstallDir = InstallDirBelow(programFiles, dialog.m_strInstallDir);
  dialog.UpdateData(false);
}

CInstallDlg::CInstallDlg()
    : platform::Dialog(IDD_INSTALL),
      m_strInstallDir(kDefaultInstallDir),
      m_strTitle(std::string("Installs " TVEX_PRODUCT_NAME " ") + kVersion),
      m_hIcon(::LoadIconA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAINFRAME))) {}

CInstallDlg::~CInstallDlg() = default;

void CInstallDlg::DoDataExchange(platform::DataExchange& dx) {
  if (!m_editAgreement) m_editAgreement = dx.Control(IDC_AGREEMENT);
  dx.Text(IDC_INSTALL_DIR, m_strInstallDir);
  dx.Text(IDC_STATUS, m_strStatus);
  dx.Text(IDC_TITLE, m_strTitle);
  dx.Text(IDC_AGREEMENT, m_strAgreement);

  const bool directoryUsable = m_bAccepted != 0 && m_bInstalling == 0;
  for (int id : kDirectoryControls) EnableItem(id, directoryUsable);
  EnableItem(IDC_ACCEPT, m_bInstalling == 0);
  EnableItem(IDC_DECLINE, m_bInstalling == 0);
}

BOOL CInstallDlg::OnInitDialog() {
  platform::Dialog::OnInitDialog();
  ::SendMessageA(Handle(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));
  ResolveDefaultInstallDir(*this);

  LOGFONTA font = {};
  if (HDC dc = ::GetDC(Handle())) {
    font.lfHeight = -::MulDiv(10, ::GetDeviceCaps(dc, LOGPIXELSY), 72);
    ::ReleaseDC(Handle(), dc);
  }
  font.lfWeight = FW_NORMAL;
  lstrcpynA(font.lfFaceName, "Arial", LF_FACESIZE);
  m_font.reset(::CreateFontIndirectA(&font));
  if (m_font)
    ::SendMessageA(Item(IDC_AGREEMENT), WM_SETFONT, reinterpret_cast<WPARAM>(m_font.get()), FALSE);
  return TRUE;
}

void CInstallDlg::OnCommand(int id, int notifyCode, HWND control) {
  // While the finishing steps run, a box they show may leave the dialog usable: nothing that
  // starts another step may run then.
  if (m_bFinishing) return;
  switch (id) {
    case IDC_AGREEMENT:
      if (notifyCode == EN_CHANGE) OnAgreementChange();
      return;
    case IDC_ACCEPT:
      if (notifyCode == BN_CLICKED) OnAccept();
      return;
    case IDC_DECLINE:
      if (notifyCode == BN_CLICKED) OnDecline();
      return;
    case IDC_BROWSE:
      if (notifyCode == BN_CLICKED) OnBrowse();
      return;
    case IDC_INSTALL_NOW:
      if (notifyCode == BN_CLICKED) OnInstallNow();
      return;
    default:
      platform::Dialog::OnCommand(id, notifyCode, control);
  }
}

void CInstallDlg::OnAgreementChange() { UpdateData(false); }

void CInstallDlg::OnAccept() {
  m_bAccepted = 1;
  UpdateData(true);
}

void CInstallDlg::OnDecline() {
  if (m_bAccepted == 0) OnCancel();
  m_bAccepted = 0;
  UpdateData(true);
}

void CInstallDlg::OnBrowse() {
  UpdateData(true);
  // Owned by the dialog, so that nothing else in it can be pressed while the browser is open.
  CFolderBrowser browser(m_strInstallDir.c_str(), 0, Handle());
  if (browser.Browse() == IDOK) m_strInstallDir = browser.m_strSelectedPath;
  UpdateData(false);
}

void CInstallDlg::OnCancel() {
  if (m_bInstalling == 0) {
    EndDialog(IDCANCEL);
    return;
  }
  if (m_bAskingQuit) return;
  m_bAskingQuit = true;
  CQuitDlg question;
  const INT_PTR answer = question.DoModal();
  m_bAskingQuit = false;
  if (answer == IDOK) EndDialog(IDCANCEL);
}
