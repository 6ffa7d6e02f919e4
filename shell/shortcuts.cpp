#include "shell/shortcuts.h"

#include <shlobj.h>
#include <windows.h>

#include "platform/code_page.h"
#include "platform/dialog.h"
#include "platform/file_ops.h"
#include "platform/message_box.h"
#include "platform/paths.h"
#include "platform/reg_key.h"
#include "platform/wide_text.h"
#include "shell/com_ptr.h"

namespace {

using platform::RegKey;
using shell::ComApartment;
using shell::ComPtr;

constexpr char kUserShellFolders[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
constexpr char kCommonShellFolders[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
constexpr char kDefaultUserShellFolders[] =
    ".DEFAULT\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

constexpr char kNoShellFolders[] = "Could't find startup Shell Folder location";
constexpr char kUnrepresentableFolder[] =
    "\nThe folder's name holds characters that this version of Windows cannot pass to the "
    "installer.";

// What differs between the desktop and the Start-menu shortcut.
struct LinkPlace {
  const char* valueName;
  const char* fallbackValueName;  // read when valueName gives nothing; may be null
  const char* noFolder;
  const char* saveFailed;
  const char* setPathFailed;
};

constexpr LinkPlace kDesktop{"Desktop", nullptr, "Could't find Desktop location",
                             "Trouble saving link in desktop.",
                             "Trouble making link in desktop: SetPath() failed!"};
constexpr LinkPlace kStartMenu{"Start Menu", "Common Start Menu", "Could't find Start Menu",
                               "Trouble saving link in startup menu.",
                               "Trouble making link in Start Menu: SetPath() failed!"};

const char* OrEmpty(const char* text) { return text ? text : ""; }

// A folder value as the system keeps it, whatever its registry type: empty when missing or too
// long, and nothing when its name holds a character that the ANSI code page lacks (older
// Windows), which would name another folder.
std::optional<std::string> ReadFolder(const RegKey& key, const char* valueName) {
  const auto value = key.QueryExactText(valueName);
  if (!value) return std::string();
  if (!value->exact) return std::nullopt;
  return value->text;
}

std::optional<std::string> CreateLink(const LinkPlace& place, std::string& linkPathOut,
                                      const char* installDir, const char* programBaseName,
                                      const char* linkName, const char* description) {
  std::optional<std::string> folder;
  {
    RegKey key;
    if (key.Open(HKEY_CURRENT_USER, kUserShellFolders, KEY_QUERY_VALUE) != ERROR_SUCCESS)
      return kNoShellFolders;
    folder = ReadFolder(key, place.valueName);
    if (folder && folder->empty() && place.fallbackValueName)
      folder = ReadFolder(key, place.fallbackValueName);
  }
  if (!folder) return place.noFolder + std::string(kUnrepresentableFolder);
  if (folder->empty()) return place.noFolder;

  const std::string linkPath = *folder + "\\" + OrEmpty(linkName) + ".lnk";
  // A folder that leaves no room for the shortcut's name is no usable folder either.
  if (platform::WideLength(linkPath) > kMaxLinkPathChars) return place.noFolder;
  const std::string target =
      std::string(OrEmpty(installDir)) + "\\" + OrEmpty(programBaseName) + ".exe";
  linkPathOut = linkPath;

  ComApartment apartment;
  ComPtr<IShellLinkA> link;
  if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                link.PutVoid())))
    return std::nullopt;
  ComPtr<IPersistFile> file;
  if (FAILED(link->QueryInterface(IID_IPersistFile, file.PutVoid()))) return std::nullopt;

  // A target the platform cannot hold counts as refused; the shortcut is still saved.
  const bool setPathFailed =
      platform::WideLength(target) > kMaxLinkPathChars || FAILED(link->SetPath(target.c_str()));
  link->SetWorkingDirectory(OrEmpty(installDir));
  if (description && *description) link->SetDescription(description);

  const bool saveFailed = FAILED(file->Save(platform::WideFromAnsi(linkPath).c_str(), TRUE));

  if (saveFailed) return place.saveFailed;
  if (setPathFailed) return place.setPathFailed;
  return std::nullopt;
}

// Clears the read-only attribute of path, keeping its other attributes.
void ClearReadOnly(const char* path) {
  const DWORD attributes = ::GetFileAttributesA(path);
  if (attributes != INVALID_FILE_ATTRIBUTES)
    ::SetFileAttributesA(path, attributes & ~DWORD{FILE_ATTRIBUTE_READONLY});
}

// An application message box like every other one the finishing steps show: owned by the
// main dialog while it runs, so the dialog takes no input until the box is closed.
void ShowRemoveFailure(const char* path) {
  const platform::Dialog* main = platform::Dialog::MainDialog();
  platform::AppMessageBox(
      std::string("Trouble removing link:\n\n") + path +
          "\n\nYou will have to delete this by hand with the correct permisssions",
      main ? main->Handle() : nullptr);
}

// One pass of RemoveOldStartMenuLinks over the "Programs" folder named by root\key\value.
void RemoveOldLinksBelow(HKEY root, const char* keyName, const char* valueName) {
  RegKey key;
  if (key.Open(root, keyName, KEY_QUERY_VALUE) != ERROR_SUCCESS) return;
  const std::optional<std::string> folder = ReadFolder(key, valueName);
  if (!folder || folder->empty()) return;
  const std::string link = JoinPath(folder->c_str(), "Toll Vex III\\Tvex III.lnk");
  if (FileExists(link.c_str())) RemoveLink(link.c_str());
  const std::string linkFolder = JoinPath(folder->c_str(), "Toll Vex III");
  if (DirectoryExists(linkFolder.c_str())) RemoveLink(linkFolder.c_str());
}

}  // namespace

std::optional<std::string> CreateDesktopLink(std::string& linkPathOut, const char* installDir,
                                             const char* programBaseName, const char* linkName,
                                             const char* description) {
  return CreateLink(kDesktop, linkPathOut, installDir, programBaseName, linkName, description);
}

std::optional<std::string> CreateStartMenuLink(std::string& linkPathOut, const char* installDir,
                                               const char* programBaseName, const char* linkName,
                                               const char* description) {
  return CreateLink(kStartMenu, linkPathOut, installDir, programBaseName, linkName, description);
}

void RemoveLink(const char* path) {
  if (!path || !*path) return;
  if (FileExists(path)) {
    if (::DeleteFileA(path)) return;
    ClearReadOnly(path);
    if (!::DeleteFileA(path) && FileExists(path)) ShowRemoveFailure(path);
  } else if (DirectoryExists(path)) {
    if (::RemoveDirectoryA(path)) return;
    ClearReadOnly(path);
    if (!::RemoveDirectoryA(path) && DirectoryExists(path)) ShowRemoveFailure(path);
  }
}

void RemoveOldStartMenuLinks() {
  RemoveOldLinksBelow(HKEY_LOCAL_MACHINE, kCommonShellFolders, "Common Programs");
  RemoveOldLinksBelow(HKEY_USERS, kDefaultUserShellFolders, "Programs");
}
