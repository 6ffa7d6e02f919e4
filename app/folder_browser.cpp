#include "app/folder_browser.h"

#include <memory>
#include <optional>

#include "app/install_dir_check.h"
#include "app/install_log.h"
#include "app/product.h"
#include "platform/message_box.h"
#include "platform/wide_text.h"

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

std::wstring AbbreviatePath(const std::wstring& text) {
  if (text.size() <= kStatusChars) return text;
  std::size_t cut = kStatusChars;
  // The first half of a surrogate pair goes with its second.
  if (text[cut - 1] >= 0xD800 && text[cut - 1] <= 0xDBFF) --cut;
  return text.substr(0, cut) + L"...";
}

void RefuseUnrepresentableDirectory(HWND owner) {
  LogBox(kUnrepresentableDirectoryText);
  platform::OwnedMessageBox(owner, kUnrepresentableDirectoryText, kDirectoryNotAllowedCaption,
                            platform::kMbOk | platform::kMbIconExclamation | platform::kMbTopmost);
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
  if (!item || !::SHGetPathFromIDListW(item.get(), m_szPath)) return IDCANCEL;
  const std::optional<std::string> path = platform::AnsiFromWide(m_szPath);
  if (!path) {
    RefuseUnrepresentableDirectory(m_browseInfo.hwndOwner);
    m_strSelectedPath = m_strInitialFolder;
    return IDCANCEL;
  }
  m_strSelectedPath = *path;
  return IDOK;
}

void CFolderBrowser::OnBrowseInitialized() {
  ::SendMessageA(m_hwndBrowse, BFFM_SETSELECTIONA, TRUE,
                 reinterpret_cast<LPARAM>(m_strInitialFolder.c_str()));
  SetStatusText(platform::WideFromAnsi(m_strInitialFolder));
}

void CFolderBrowser::OnBrowseSelChanged(LPCITEMIDLIST item) {
  // A selection without a file-system path leaves an empty path, never stale bytes.
  if (!::SHGetPathFromIDListW(item, m_szPath)) m_szPath[0] = L'\0';
  m_strSelectedPath = platform::AnsiFromWide(m_szPath).value_or(std::string());
  // The status line shows the folder as it is named, whatever the code page.
  SetStatusText(m_szPath);
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

void CFolderBrowser::SetStatusText(const std::wstring& path) {
  const std::wstring status = AbbreviatePath(path);
  ::SendMessageW(m_hwndBrowse, BFFM_SETSTATUSTEXTW, 0, reinterpret_cast<LPARAM>(status.c_str()));
}
