#include <windows.h>
// windows.h first: the Restart Manager header needs its types.
#include <restartmanager.h>

#include <memory>

#include "platform/restart_manager.h"
#include "platform/unique_handle.h"

namespace platform {
namespace {

std::wstring Wide(const std::string& text) {
  const int size = ::MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
  std::wstring wide(size > 0 ? size : 1, L'\0');
  if (size > 0) ::MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, wide.data(), size);
  wide.resize(wide.size() - 1);
  return wide;
}

std::string Narrow(const wchar_t* text) {
  const int size = ::WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
  std::string narrow(size > 0 ? size : 1, '\0');
  if (size > 0) ::WideCharToMultiByte(CP_ACP, 0, text, -1, narrow.data(), size, nullptr, nullptr);
  narrow.resize(narrow.size() - 1);
  return narrow;
}

// The file name of a running process's program, or empty.
std::string ProgramFileOf(DWORD processId) {
  UniqueHandle process(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
  if (!Valid(process)) return std::string();
  char image[MAX_PATH * 2] = {};
  DWORD size = sizeof image;
  if (!::QueryFullProcessImageNameA(process.get(), 0, image, &size)) return std::string();
  const std::string path(image, size);
  const std::size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The Restart Manager's calls, loaded from the system folder when first needed: it is no known
// DLL, so importing it would let a copy planted beside the installer be loaded instead.
struct RestartManager {
  decltype(&::RmStartSession) start = nullptr;
  decltype(&::RmRegisterResources) registerResources = nullptr;
  decltype(&::RmGetList) getList = nullptr;
  decltype(&::RmEndSession) end = nullptr;

  RestartManager() {
    HMODULE module = ::LoadLibraryExA("rstrtmgr.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (!module) return;
    Find(module, "RmStartSession", start);
    Find(module, "RmRegisterResources", registerResources);
    Find(module, "RmGetList", getList);
    Find(module, "RmEndSession", end);
  }
  bool Usable() const { return start && registerResources && getList && end; }

 private:
  template <class Function>
  static void Find(HMODULE module, const char* name, Function& function) {
    function = reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
  }
};

const RestartManager& Calls() {
  static const RestartManager calls;
  return calls;
}

// Ends a Restart Manager session when it goes out of scope.
struct Session {
  DWORD handle = 0;
  bool open = false;
  ~Session() {
    if (open) Calls().end(handle);
  }
};

}  // namespace

std::vector<std::string> ProgramsUsing(const std::vector<std::string>& paths) {
  std::vector<std::string> programs;
  const RestartManager& rm = Calls();
  if (paths.empty() || !rm.Usable()) return programs;
  Session session;
  WCHAR key[CCH_RM_SESSION_KEY + 1] = {};
  if (rm.start(&session.handle, 0, key) != ERROR_SUCCESS) return programs;
  session.open = true;
  std::vector<std::wstring> wide;
  for (const std::string& path : paths) wide.push_back(Wide(path));
  std::vector<LPCWSTR> files;
  for (const std::wstring& path : wide) files.push_back(path.c_str());
  if (rm.registerResources(session.handle, static_cast<UINT>(files.size()), files.data(), 0,
                           nullptr, 0, nullptr) != ERROR_SUCCESS)
    return programs;
  UINT needed = 0, count = 0;
  DWORD reasons = 0;
  std::vector<RM_PROCESS_INFO> found;
  DWORD result = rm.getList(session.handle, &needed, &count, nullptr, &reasons);
  // The list may grow between the two calls: ask again while it does.
  for (int attempt = 0; result == ERROR_MORE_DATA && attempt < 3; ++attempt) {
    found.resize(needed);
    count = needed;
    result = rm.getList(session.handle, &needed, &count, found.data(), &reasons);
  }
  if (result != ERROR_SUCCESS) return programs;
  found.resize(count);
  for (const RM_PROCESS_INFO& info : found) {
    std::string name = Narrow(info.strAppName);
    const std::string program = ProgramFileOf(info.Process.dwProcessId);
    if (!program.empty()) name = name.empty() ? program : name + " (" + program + ")";
    if (!name.empty()) programs.push_back(name);
  }
  return programs;
}

}  // namespace platform
