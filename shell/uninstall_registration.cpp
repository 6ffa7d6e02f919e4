#include "shell/uninstall_registration.h"

#include <windows.h>

#include <memory>
#include <string>

#include "platform/paths.h"
#include "platform/file_system.h"
#include "platform/reg_key.h"

namespace {

constexpr char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
constexpr char kEntryKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tollvex III";

}  // namespace

void WriteUninstallManifest(const std::string& installDir, const char* startMenuLink,
                            const char* desktopLink) {
  const std::string path = JoinPath(installDir.c_str(), ".\\uninstall.info");
  // Text mode: the runtime writes every line feed as CR LF.
  std::unique_ptr<std::FILE, platform::FileCloser> file(platform::Fs().Open(path, "w"));
  if (!file) return;
  const std::string text = std::string("Link:") + (startMenuLink ? startMenuLink : "") +
                           "\nLink:" + (desktopLink ? desktopLink : "") + "\n";
  platform::Fs().Write(text.data(), 1, text.size(), file.get());
}

void RemoveOldUninstallEntry() {
  platform::RegKey parent;
  if (parent.Open(HKEY_LOCAL_MACHINE, kUninstallKey, KEY_CREATE_SUB_KEY) != ERROR_SUCCESS) return;
  parent.DeleteSubKey("Toll Vex III");
}

void RegisterUninstallEntry(const char* programPath) {
  platform::RegKey parent;
  if (parent.Open(HKEY_LOCAL_MACHINE, kUninstallKey, KEY_CREATE_SUB_KEY) != ERROR_SUCCESS) return;
  // Only the key's existence matters here: the values go in through a handle that may set
  // them, and a failed creation still lets an existing entry be updated.
  platform::RegKey().Create(parent.Get(), "Tollvex III", 0);
  platform::RegKey entry;
  if (entry.Open(HKEY_LOCAL_MACHINE, kEntryKey, KEY_SET_VALUE) != ERROR_SUCCESS) return;
  entry.SetText("DisplayName", "Zephrin/TvexIII");
  // Quoted, so that a path with blanks cannot be taken for a shorter program path.
  entry.SetText("UninstallString",
                std::string("\"") + (programPath ? programPath : "") + "\" -uninstall");
}
