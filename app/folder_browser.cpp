#include "app/folder_browser.h"

#include <memory>

#include "app/product.h"

namespace {

constexpr std::size_t kStatusChars = 35;
constexpr char kTitle[] = "Select the directory to install " TVEX_PRODUCT_FULL_NAME;

// Releases an item-id list through the shell's allocator.
struct ItemListFree {
  void operator()(ITEMIDLIST* item) const {
    IMalloc* allocator = nullptr;
    if (SUCCEEDED(::SHGetMalloc(&allocator)) && allocator) {
      allocator->Free(item);
      allocator->Release();
    }
  }
};

// An item-id list the shell handed over, freed when it goes out of scope.
using ItemList = std::unique_ptr<ITEMIDLIST, ItemListFree>;

}  // namespace

std::string AbbreviatePath(const std::string& text) {
  if (text.size() <= kStatusChars) return text;
  return text.substr(0, kStatusChars) + "...";
}

CFolderBrowser::CFolderBrowser(const char* initialFolder, UINT flags, HWND owner)
    : m_browseInfo{},
      m_strInitialFolder(initialFolder ? initialFolder : ""),
      m_szDisplayName{},
      m_szPath{} {
  m_browseInfo.hwndOwner = owner;
  m_browseInfo.pidlRoot = nullptr;
  m_browseInfo.pszDisplayName = m_szDisplayName;
  m_browseInfo.lpszTitle = kTitle;
  m_browseInfo.ulFlags = flags | BIF_STATUSTEXT;
  m_browseInfo.lpfn = &CFolderBrowser::BrowseCallback;
  m_browseInfo.lParam = reinterpret_cast<LPARAM>(this);
  m_browseInfo.iImage = 0;
}

CFolderBrowser::~CFolderBrowser() = default;

int CFolderBrowser::Browse() {
  m_strSelectedPath = m_strInitialFolder;
  const ItemList item(::SHBrowseForFolderA(&m_browseInfo));
  if (!item || !::SHGetPathFromIDListA(item.get(), m_szPath)) return IDCANCEL;
  m_strSelectedPath = m_szPath;
  return IDOK;
}

void CFolderBrowser::OnBrowseInitialized() {
  ::SendMessageA(m_hwndBrowse, BFFM_SETSELECTIONA, TRUE,
                 reinterpret_cast<LPARAM>(m_strInitialFolder.c_str()));
  SetStatusText(m_strInitialFolder);
}

void CFolderBrowser::OnBrowseSelChanged(LPCITEMIDLIST item) {
  // A selection without a file-system path leaves an empty path, never stale bytes.
  if (!::SHGetPathFromIDListA(item, m_szPath)) m_szPath[0] = '\0';
  m_strSelectedPath = m_szPath;
  SetStatusText(m_strSelectedPath);
}

void CFolderBrowser::OnBrowseCallback(HWND window, UINT message, LPARAM param) {
  m_hwndBrowse = window;
  if (message == BFFM_INITIALIZED) {
    OnBrowseInitialized();
  } else if (message == BFFM_SELCHANGED) {
    OnBrowseSelChanged(reinterpret_cast<LPCITEMIDLIST>(param));
  }
}

int CALLBACK CFolderBrowser::BrowseCallback(HWND window, UINT message, LPARAM param, LPARAM data) {
  try {
    reinterpret_cast<CFolderBrowser*>(data)->OnBrowseCallback(window, message, param);
  } catch (...) {
    // Nothing may unwind through the shell.
  }
  return 0;
}

void CFolderBrowser::SetStatusText(const std::string& path) {
  const std::string status = AbbreviatePath(path);
  ::SendMessageA(m_hwndBrowse, BFFM_SETSTATUSTEXTA, 0, reinterpret_cast<LPARAM>(status.c_str()));
}
