#include "app/host_probe.h"

#include <optional>
#include <utility>

#include "platform/file_ops.h"
#include "platform/paths.h"
#include "platform/reg_key.h"
#include "platform/wide_text.h"

namespace {

constexpr char kSettingsFileName[] = "tvex3.ini";

// The variable's value, whole; false when it is not set or its value has no exact form in the
// code page (a user's folder on older Windows), which would name another folder.
bool ReadEnvironment(const char* name, std::string& value) {
  std::optional<std::string> text = platform::EnvironmentText(name);
  if (!text) return false;
  value = std::move(*text);
  return true;
}

bool RunsUnderWine() {
  HMODULE kernel = ::GetModuleHandleA("kernel32");
  return kernel && ::GetProcAddress(kernel, "wine_get_unix_file_name") != nullptr;
}

// The version the system reports of itself (RtlGetVersion is not shimmed for compatibility, as
// GetVersionEx is).
std::string WindowsVersion() {
  using RtlGetVersionFn = LONG(WINAPI*)(OSVERSIONINFOW*);
  OSVERSIONINFOW info = {};
  info.dwOSVersionInfoSize = sizeof info;
  HMODULE ntdll = ::GetModuleHandleA("ntdll");
  auto get = ntdll ? reinterpret_cast<RtlGetVersionFn>(
                         reinterpret_cast<void*>(::GetProcAddress(ntdll, "RtlGetVersion")))
                   : nullptr;
  if (!get || get(&info) != 0) return "unknown";
  return std::to_string(info.dwMajorVersion) + "." + std::to_string(info.dwMinorVersion) +
         " build " + std::to_string(info.dwBuildNumber);
}

std::string Elevation() {
  HANDLE token = nullptr;
  if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token)) return "unknown";
  TOKEN_ELEVATION elevation = {};
  DWORD size = 0;
  const bool read =
      ::GetTokenInformation(token, TokenElevation, &elevation, sizeof elevation, &size) != 0;
  ::CloseHandle(token);
  if (!read) return "unknown";
  return elevation.TokenIsElevated ? "yes" : "no";
}

}  // namespace

std::string HostSummary() {
  char user[256] = {};
  DWORD size = sizeof user;
  if (!::GetUserNameA(user, &size)) lstrcpynA(user, "unknown", sizeof user);
  return "Windows " + WindowsVersion() + (RunsUnderWine() ? " (Wine)" : "") +
         "; elevated: " + Elevation() + "; user: " + user + "; code page " +
         std::to_string(::GetACP());
}

// The value is read into a 260-byte buffer; a value stored without its NUL still ends there.
bool ReadProgramFilesDir(HKEY root, const char* subkey, std::string& value) {
  platform::RegKey key;
  if (key.Open(root, subkey, KEY_QUERY_VALUE) != ERROR_SUCCESS) return false;
  std::optional<platform::RegText> read = key.QueryText("ProgramFilesDir", MAX_PATH);
  if (!read) return false;
  value = read->text;
  return true;
}

std::string InstallDirBelow(const std::string& programFiles, const std::string& fallback) {
  if (!DirectoryExists(programFiles.c_str())) return fallback;
  return JoinPath(programFiles.c_str(), "\\QMK\\TvexIII");
}

bool IsVistaOrLater() {
  OSVERSIONINFOA info = {};
  info.dwOSVersionInfoSize = sizeof info;
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#endif
  if (!::GetVersionExA(&info)) return false;
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif
  return info.dwPlatformId == VER_PLATFORM_WIN32_NT && info.dwMajorVersion >= 6;
}

std::string FindSettingsFile() {
  std::string windir;
  const bool haveWindir = ReadEnvironment("WINDIR", windir);
  if (RunsUnderWine()) {
    if (haveWindir) {
      std::string candidate = JoinPath(windir.c_str(), kSettingsFileName);
      if (FileExists(candidate.c_str())) return candidate;
    }
    std::string home;
    if (ReadEnvironment("HOME", home)) {
      std::string wineDir = JoinPath(home.c_str(), ".wine");
      std::string candidate = JoinPath(wineDir.c_str(), kSettingsFileName);
      if (FileExists(candidate.c_str())) return candidate;
    }
  }
  std::string localAppData;
  if (IsVistaOrLater() && haveWindir && ReadEnvironment("LOCALAPPDATA", localAppData)) {
    const std::size_t colon = windir.find(':');
    const std::string rest = colon == std::string::npos ? windir : windir.substr(colon + 1);
    std::string store = JoinPath(localAppData.c_str(), "VirtualStore");
    std::string virtualized = JoinPath(store.c_str(), rest.c_str());
    std::string candidate = JoinPath(virtualized.c_str(), kSettingsFileName);
    if (FileExists(candidate.c_str())) return candidate;
  }
  if (haveWindir) return JoinPath(windir.c_str(), kSettingsFileName);
  return std::string();
}
