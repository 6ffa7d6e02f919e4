// The shell's folder browser, opened at the current install directory.
#pragma once

#include <shlobj.h>
#include <windows.h>

#include <string>

// The text shown in the browser's status line: a text of more than 35 characters becomes its
// first 35 characters followed by "..."; a shorter one is returned unchanged. A character
// outside the Basic Multilingual Plane (two UTF-16 units) is never cut in half.
std::wstring AbbreviatePath(const std::wstring& text);

// Refuses a directory whose name the ANSI code page cannot hold (kUnrepresentableDirectoryText,
// caption "Directory Not Allowed") in a box owned by owner, recorded in the installation log.
void RefuseUnrepresentableDirectory(HWND owner);

// One run of SHBrowseForFolderA. The object must stay where it is while Browse runs: the
// browse information points into it. Paths come from the shell as UTF-16 and are taken into the
// ANSI code page exactly or not at all (platform/wide_text.h).
class CFolderBrowser {
 public:
  // initialFolder may be null (empty); flags are added to BIF_STATUSTEXT; owner may be null.
  CFolderBrowser(const char* initialFolder, UINT flags, HWND owner);
  virtual ~CFolderBrowser();
  CFolderBrowser(const CFolderBrowser&) = delete;
  CFolderBrowser& operator=(const CFolderBrowser&) = delete;

  // IDOK when a folder with a file-system path was chosen (the path is then in
  // m_strSelectedPath), else IDCANCEL. A folder whose name the ANSI code page cannot hold
  // (older Windows, a legacy code page) is refused in a box owned by the owner
  // (kUnrepresentableDirectoryText) and counts as IDCANCEL.
  virtual int Browse();
  // Selects the initial folder and shows it, abbreviated, in the status line.
  virtual void OnBrowseInitialized();
  // Takes the new selection as the result (empty when the ANSI code page cannot hold it) and
  // shows it, abbreviated, in the status line.
  virtual void OnBrowseSelChanged(LPCITEMIDLIST item);
  // Records the browser window and dispatches the two notifications used.
  virtual void OnBrowseCallback(HWND window, UINT message, LPARAM param);

  BROWSEINFOA m_browseInfo;
  std::string m_strInitialFolder;
  std::string m_strSelectedPath;
  char m_szDisplayName[MAX_PATH];
  wchar_t m_szPath[MAX_PATH];
  HWND m_hwndBrowse = nullptr;

 private:
  static int CALLBACK BrowseCallback(HWND window, UINT message, LPARAM param, LPARAM data);
  void SetStatusText(const std::wstring& path);
};
