#include "tools/tvex3_stub/uninstall.h"

#include <windows.h>

#include <optional>
#include <string_view>

#include "platform/ascii.h"
#include "platform/reg_key.h"
#include "tools/tvex3_stub/launch_log.h"

namespace stub {

namespace {

constexpr char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
constexpr char kEntryName[] = "Tollvex III";
constexpr char kUninstallArgument[] = "-uninstall";
constexpr char kLinkPrefix[] = "Link:";
// The installer writes two short lines; anything far larger is not its manifest.
constexpr DWORD kManifestLimit = 64 * 1024;
// A path of MAX_PATH characters in the bytes of the ANSI code page (UTF-8 takes up to three
// bytes for one).
constexpr DWORD kPathBytes = MAX_PATH * 3;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// True when the text ends in suffix, ASCII letter case ignored.
bool EndsWithNoCase(std::string_view text, std::string_view suffix) {
  return text.size() >= suffix.size() &&
         platform::EqualsNoCase(text.substr(text.size() - suffix.size()), suffix);
}

// Removes one shortcut that the manifest lists; false when it is there and stays.
bool RemoveShortcut(const char* path) {
  if (!EndsWithNoCase(path, ".lnk")) {
    LogLine("uninstall: kept ", path, ": not a shortcut");
    return true;
  }
  if (DeleteFileA(path)) {
    LogLine("uninstall: removed shortcut ", path);
    return true;
  }
  DWORD error = GetLastError();
  if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
    LogLine("uninstall: shortcut ", path, " was already gone");
    return true;
  }
  LogLine("uninstall: could not remove shortcut ", path);
  return false;
}

// Reads the manifest whole into block; false (logged) when it is missing or unreadable.
bool ReadManifest(const char* path, HeapText& block) {
  HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    LogLine("uninstall: no manifest ", path, "; no shortcut removed");
    return false;
  }
  DWORD size = GetFileSize(file, nullptr);
  bool ok = size != INVALID_FILE_SIZE && size <= kManifestLimit;
  if (ok) {
    block.Reset(size + 1);
    DWORD got = 0;
    ok = block.get() && ReadFile(file, block.get(), size, &got, nullptr) && got == size;
  }
  CloseHandle(file);
  if (!ok) LogLine("uninstall: could not read the manifest ", path, "; no shortcut removed");
  return ok;
}

// Goes through the manifest's lines ("Link:" + path, CR LF or LF); false when a listed
// shortcut could not be removed.
bool RemoveListedShortcuts(char* text) {
  bool ok = true;
  const int prefixLength = lstrlenA(kLinkPrefix);
  for (char* line = text; *line;) {
    char* end = line;
    while (*end && *end != '\r' && *end != '\n') ++end;
    char* next = end;
    while (*next == '\r' || *next == '\n') ++next;
    *end = '\0';
    if (std::string_view(line).starts_with(kLinkPrefix) && line[prefixLength]) {
      ok = RemoveShortcut(line + prefixLength) && ok;
    }
    line = next;
  }
  return ok;
}

// True when command is "<quoted program path>" -uninstall for this very program.
bool RunsThisProgram(const char* command, const char* program) {
  if (command[0] != '"') return false;
  const char* close = command + 1;
  while (*close && *close != '"') ++close;
  if (*close != '"') return false;
  const char* rest = close + 1;
  while (IsBlank(*rest)) ++rest;
  if (!platform::EqualsNoCase(rest, kUninstallArgument) || close - command - 1 >= kPathBytes)
    return false;

  char registered[kPathBytes] = {};
  lstrcpynA(registered, command + 1, static_cast<int>(close - command));
  // The same file however it was written: "..", "." and letter case do not matter.
  char full[kPathBytes] = {};
  DWORD n = GetFullPathNameA(registered, kPathBytes, full, nullptr);
  if (n == 0 || n >= kPathBytes) return false;
  return lstrcmpiA(full, program) == 0;
}

// Removes the uninstall entry when it belongs to this program; false when it does and stays.
bool RemoveOwnEntry(const char* program) {
  char path[sizeof kUninstallKey + sizeof kEntryName + 1];
  lstrcpyA(path, kUninstallKey);
  lstrcatA(path, "\\");
  lstrcatA(path, kEntryName);

  std::optional<platform::RegText> command;
  {
    platform::RegKey entry;
    if (entry.Open(HKEY_LOCAL_MACHINE, path, KEY_QUERY_VALUE) != ERROR_SUCCESS) {
      LogLine("uninstall: no uninstall entry \"", kEntryName, "\"");
      return true;
    }
    command = entry.QueryText("UninstallString", kManifestLimit);
    if (command && command->type != REG_SZ) command.reset();
  }
  if (!command || !RunsThisProgram(command->text.c_str(), program)) {
    LogLine("uninstall: kept the uninstall entry \"", kEntryName, "\": it runs ",
            command ? command->text.c_str() : "no command of this program");
    return true;
  }

  // Deleting a key takes the right to change its parent.
  platform::RegKey parent;
  if (parent.Open(HKEY_LOCAL_MACHINE, kUninstallKey, KEY_CREATE_SUB_KEY) == ERROR_SUCCESS &&
      parent.DeleteSubKey(kEntryName) == ERROR_SUCCESS) {
    LogLine("uninstall: removed the uninstall entry \"", kEntryName, "\"");
    return true;
  }
  LogLine("uninstall: could not remove the uninstall entry \"", kEntryName, "\"");
  return false;
}

}  // namespace

bool WantsUninstall(const char* commandLine) {
  const char* p = commandLine;
  // The program name: quoted, or up to the first blank.
  if (*p == '"') {
    ++p;
    while (*p && *p != '"') ++p;
    if (*p == '"') ++p;
  } else {
    while (*p && !IsBlank(*p)) ++p;
  }
  for (;;) {
    while (IsBlank(*p)) ++p;
    if (!*p) return false;
    const char* start = p;
    while (*p && !IsBlank(*p)) ++p;
    if (platform::EqualsNoCase(std::string_view(start, p - start), kUninstallArgument)) return true;
  }
}

int Uninstall() {
  HeapText programBlock, manifestBlock, textBlock;
  char* program = ModulePath(programBlock, 0);
  char* manifest = ModulePath(manifestBlock, sizeof "uninstall.info");
  if (!program || !manifest) {
    LogLine("uninstall: cannot tell where this program is; nothing removed");
    return 1;
  }
  lstrcpyA(FileNamePart(manifest), "uninstall.info");

  const bool haveManifest = ReadManifest(manifest, textBlock);
  bool ok = haveManifest && RemoveListedShortcuts(textBlock.get());
  ok = RemoveOwnEntry(program) && ok;
  if (haveManifest) {
    if (DeleteFileA(manifest)) {
      LogLine("uninstall: removed ", manifest);
    } else {
      LogLine("uninstall: could not remove ", manifest);
      ok = false;
    }
  }
  *FileNamePart(manifest) = '\0';
  LogLine("uninstall: every other file left in place in ", manifest);
  return ok ? 0 : 1;
}

}  // namespace stub
