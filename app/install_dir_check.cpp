#include "app/install_dir_check.h"

#include <cstdio>
#include <string_view>
#include <vector>

#include "platform/ascii.h"
#include "platform/code_page.h"
#include "platform/file_ops.h"
#include "platform/windows_names.h"

namespace {

constexpr char kChooseAnother[] = "\nPlease choose another location";

bool IsDriveLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// The length of dir's root with its backslash ("C:\" is 3, "\\server\share\" its own length,
// "\\server\share" without one its whole length); 0 when dir is not a full path.
std::size_t RootLength(std::string_view dir) {
  if (dir.size() >= 3 && IsDriveLetter(dir[0]) && dir[1] == ':' && dir[2] == '\\') return 3;
  if (dir.size() < 5 || dir.substr(0, 2) != "\\\\") return 0;
  const std::size_t serverEnd = platform::FindSeparator(dir, 2);
  if (serverEnd == std::string_view::npos || serverEnd == 2) return 0;
  std::size_t shareEnd = platform::FindSeparator(dir, serverEnd + 1);
  if (shareEnd == std::string_view::npos) shareEnd = dir.size();
  if (shareEnd == serverEnd + 1) return 0;  // no share name
  return shareEnd == dir.size() ? shareEnd : shareEnd + 1;
}

// The names of dir after its drive, or every name of a share path (server and share
// included), empty ones (doubled or trailing backslashes) left out.
std::vector<std::string_view> Names(std::string_view dir) {
  std::size_t at = RootLength(dir) == 3 ? 3 : 2;
  std::vector<std::string_view> names;
  while (at < dir.size()) {
    std::size_t end = platform::FindSeparator(dir, at);
    if (end == std::string_view::npos) end = dir.size();
    if (end > at) names.push_back(dir.substr(at, end - at));
    at = end + 1;
  }
  return names;
}

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

std::string Shown(char c) {
  if (static_cast<unsigned char>(c) >= 0x20) return std::string("'") + c + "'";
  char code[16];
  std::snprintf(code, sizeof code, "code %d", c);
  return code;
}

std::string WithoutTrailingBackslash(std::string text) {
  if (text.size() > RootLength(text) && platform::EndsWithSeparator(text)) text.pop_back();
  return text;
}

// dir (a full path) as Windows reads it: doubled and trailing backslashes dropped.
std::string Canonical(std::string_view dir) {
  std::string canonical(dir.substr(0, RootLength(dir) == 3 ? 3 : 2));
  bool first = true;
  for (std::string_view name : Names(dir)) {
    if (!first) canonical += '\\';
    canonical.append(name);
    first = false;
  }
  return canonical;
}

// Why dir (a full path) is a root or a system folder that no product may be installed into;
// empty when it is neither.
std::string SystemPlaceProblem(const std::string& dir,
                               const std::vector<platform::SystemFolder>& systemFolders) {
  const std::size_t names = Names(dir).size();
  if (RootLength(dir) == 3 && names == 0)
    return "is the root of a drive: the installation needs a folder of its own, as in " +
           dir.substr(0, 2) + "\\Tvex.";
  if (RootLength(dir) != 3 && names == 2)
    return "is the root of a network share: the installation needs a folder of its own, as in " +
           Canonical(dir) + "\\Tvex.";
  // The innermost system folder that holds dir names the reason.
  const std::string canonical = Canonical(dir);
  const platform::SystemFolder* holder = nullptr;
  for (const platform::SystemFolder& folder : systemFolders) {
    const bool same =
        IsWithinDirectory(canonical, folder.path) && IsWithinDirectory(folder.path, canonical);
    if (!(same || (folder.withContents && IsWithinDirectory(canonical, folder.path)))) continue;
    if (!holder || folder.path.size() > holder->path.size()) holder = &folder;
  }
  if (!holder) return std::string();
  const std::string folder = WithoutTrailingBackslash(holder->path);
  if (!holder->withContents)
    return "is the shared folder " + Quoted(folder) +
           " itself: the files would mix with everything else kept there. A folder of its own "
           "below it will do.";
  return (IsWithinDirectory(folder, canonical) ? "is the system folder "
                                               : "lies below the system folder ") +
         Quoted(folder) + ", which belongs to Windows.";
}

}  // namespace

std::string InstallDirProblem(const std::string& dir) {
  return InstallDirProblem(dir, platform::SystemFolders());
}

std::string InstallDirProblem(const std::string& dir,
                              const std::vector<platform::SystemFolder>& systemFolders) {
  const std::string intro = "The directory " + Quoted(dir) + "\n";
  // Characters first: a path typed with slashes is told what is wrong with it.
  for (std::size_t i = 0; i < dir.size(); ++i) {
    const char c = dir[i];
    // A double-byte character (a legacy code page) is no ASCII character, whatever its second
    // byte: "ポ" is 83 7C in code page 932, and 7C is '|'.
    if (platform::IsLeadByte(c)) {
      ++i;
      continue;
    }
    const bool driveColon = i == 1 && c == ':' && IsDriveLetter(dir[0]);
    if (c == '\\' || driveColon) continue;
    if (platform::ForbiddenNameCharacter(std::string_view(&c, 1)) != '\0')
      return intro + "holds the character " + Shown(c) +
             ", which Windows does not allow in a folder name." + kChooseAnother;
  }
  // "C:" alone is the current folder of drive C:, but whoever types it means the drive.
  if (dir.size() == 2 && dir[1] == ':')
    return intro + SystemPlaceProblem(dir + '\\', systemFolders) + kChooseAnother;
  if (RootLength(dir) == 0)
    return intro +
           "is not a full path: it must begin with a drive letter (as in C:\\Tvex) or name a "
           "network share (as in \\\\server\\share\\Tvex)." +
           kChooseAnother;
  for (std::string_view name : Names(dir)) {
    if (platform::IsReservedDeviceName(name))
      return intro + "holds the name " + Quoted(std::string(name)) +
             ", which Windows reserves for a device." + kChooseAnother;
    if (platform::EndsInDotOrBlank(name))
      return intro + "holds the name " + Quoted(std::string(name)) +
             ", which ends in a dot or a blank: Windows would store it under another name." +
             kChooseAnother;
  }
  if (const std::string problem = SystemPlaceProblem(dir, systemFolders); !problem.empty())
    return intro + problem + kChooseAnother;
  return std::string();
}

std::string OutermostMissingDirectory(const std::string& dir) {
  // The root itself is not tested: FindFirstFileA finds nothing for "C:\" or a share. A path
  // from the root of the current drive is the POSIX form the portable code works in.
  std::size_t root = RootLength(dir);
  if (root == 0 && !dir.empty() && dir[0] == '\\') root = 1;
  if (root == 0) return std::string();
  for (std::size_t end = root; end < dir.size(); ++end) {
    if (dir[end] == '\\') continue;
    end = platform::FindSeparator(dir, end);
    if (end == std::string::npos) end = dir.size();
    const std::string folder = dir.substr(0, end);
    if (!DirectoryExists(folder.c_str())) return folder;
  }
  return std::string();
}

bool IsWithinDirectory(const std::string& path, const std::string& dir) {
  const std::string inner = WithoutTrailingBackslash(path);
  const std::string outer = WithoutTrailingBackslash(dir);
  if (inner.empty() || outer.empty() || !platform::StartsWithNoCase(inner, outer)) return false;
  // inner begins with outer, so a backslash right after it is a character of its own.
  return inner.size() == outer.size() || platform::EndsWithSeparator(outer) ||
         inner[outer.size()] == '\\';
}
