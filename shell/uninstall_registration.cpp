#include "shell/uninstall_registration.h"

#include <windows.h>

#include <cerrno>
#include <memory>
#include <string>

#include "platform/atomic_file.h"
#include "platform/file_errors.h"
#include "platform/file_system.h"
#include "platform/paths.h"
#include "platform/reg_key.h"

namespace {

constexpr char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
constexpr char kEntryKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tollvex III";

}  // namespace

std::optional<std::string> WriteUninstallManifest(const std::string& installDir,
                                                  const char* startMenuLink,
                                                  const char* desktopLink) {
  const std::string path = JoinPath(installDir.c_str(), ".\\uninstall.info");
  const std::string text = std::string("Link:") + (startMenuLink ? startMenuLink : "") +
                           "\r\nLink:" + (desktopLink ? desktopLink : "") + "\r\n";
  platform::AtomicFile file(path);
  if (file.Stream() &&
      platform::Fs().Write(text.data(), 1, text.size(), file.Stream()) == text.size() &&
      file.Commit())
    return std::nullopt;
  return "Trouble writing the uninstall manifest\n" + path + ": " +
         platform::FileErrorReason(file.Error() ? file.Error() : EIO);
}

void RemoveOldUninstallEntry() {
  platform::RegKey parent;
  if (parent.Open(HKEY_LOCAL_MACHINE, kUninstallKey, KEY_CREATE_SUB_KEY) != ERROR_SUCCESS) return;
  parent.DeleteSubKey("Toll Vex III");
}

std::optional<std::string> RegisterUninstallEntry(const char* programPath) {
  const auto failure = [](const std::string& what, LONG error) {
    return "Trouble registering the uninstall entry\nHKEY_LOCAL_MACHINE\\" + what + ": error " +
           std::to_string(error) + " of the system";
  };
  platform::RegKey parent;
  if (const LONG error = parent.Open(HKEY_LOCAL_MACHINE, kUninstallKey, KEY_CREATE_SUB_KEY);
      error != ERROR_SUCCESS)
    return failure(kUninstallKey, error);
  // Only the key's existence matters here: the values go in through a handle that may set
  // them, and a failed creation still lets an existing entry be updated.
  platform::RegKey().Create(parent.Get(), "Tollvex III", 0);
  platform::RegKey entry;
  if (const LONG error = entry.Open(HKEY_LOCAL_MACHINE, kEntryKey, KEY_SET_VALUE);
      error != ERROR_SUCCESS)
    return failure(kEntryKey, error);
  if (const LONG error = entry.SetText("DisplayName", "Zephrin/TvexIII"); error != ERROR_SUCCESS)
    return failure(std::string(kEntryKey) + "\\DisplayName", error);
  // Quoted, so that a path with blanks cannot be taken for a shorter program path.
  if (const LONG error =
          entry.SetText("UninstallString",
                        std::string("\"") + (programPath ? programPath : "") + "\" -uninstall");
      error != ERROR_SUCCESS)
    return failure(std::string(kEntryKey) + "\\UninstallString", error);
  return std::nullopt;
}
