#include <windows.h>
// shlobj.h needs the types of windows.h first.
#include <shlobj.h>

#include "platform/ascii.h"
#include "platform/system_folders.h"
#include "platform/wide_text.h"

namespace platform {

namespace {

// A path the system returned through an A-call filling a buffer of MAX_PATH; empty on failure.
template <class Call>
std::string FromCall(Call call) {
  char path[MAX_PATH];
  const UINT length = call(path, MAX_PATH);
  return length > 0 && length < MAX_PATH ? std::string(path, length) : std::string();
}

// A known folder in the ANSI code page; empty when the system does not know it or its name
// cannot be written in that code page (a typed directory could not name it either).
std::string KnownFolder(REFKNOWNFOLDERID id) {
  PWSTR wide = nullptr;
  std::optional<std::string> path;
  if (SUCCEEDED(::SHGetKnownFolderPath(id, KF_FLAG_DONT_VERIFY, nullptr, &wide)))
    path = AnsiFromWide(wide);
  ::CoTaskMemFree(wide);
  return path.value_or(std::string());
}

void Add(std::vector<SystemFolder>& folders, const std::string& path, bool withContents) {
  if (path.empty()) return;
  for (const SystemFolder& known : folders)
    if (EqualsNoCase(known.path, path)) return;
  folders.push_back({path, withContents});
}

}  // namespace

std::vector<SystemFolder> SystemFolders() {
  const std::pair<std::string, bool> named[] = {
      {FromCall(::GetWindowsDirectoryA), true},
      {FromCall(::GetSystemWindowsDirectoryA), true},
      {KnownFolder(FOLDERID_Windows), true},
      {FromCall(::GetSystemDirectoryA), true},
      {KnownFolder(FOLDERID_System), true},
      {FromCall(::GetSystemWow64DirectoryA), true},
      {KnownFolder(FOLDERID_SystemX86), true},
      {KnownFolder(FOLDERID_ProgramFiles), false},
      {KnownFolder(FOLDERID_ProgramFilesX86), false},
      {KnownFolder(FOLDERID_ProgramData), false},
      {KnownFolder(FOLDERID_UserProfiles), false},
  };
  std::vector<SystemFolder> folders;
  for (const auto& [path, withContents] : named) Add(folders, path, withContents);
  // "C:\PROGRA~1" names Program Files as well as its long name does.
  for (std::size_t i = 0, count = folders.size(); i < count; ++i) {
    const bool withContents = folders[i].withContents;
    Add(folders, FromCall([&](char* buffer, UINT size) {
          return ::GetShortPathNameA(folders[i].path.c_str(), buffer, size);
        }),
        withContents);
  }
  return folders;
}

}  // namespace platform
