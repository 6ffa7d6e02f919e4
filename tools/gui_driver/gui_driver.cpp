#include "tools/gui_driver/gui_driver.h"

#include <commctrl.h>
#include <shlobj.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>
#include <thread>

#include "platform/ascii.h"
#include "platform/find_handle.h"
#include "platform/reg_key.h"
#include "platform/unique_handle.h"

namespace gui {

using platform::UniqueHandle;

bool WaitFor(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
  const auto end = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    if (condition()) return true;
    if (std::chrono::steady_clock::now() >= end) return false;
    std::this_thread::sleep_for(20ms);
  }
}

// A window's text through the A or the W call (Send), never waiting long for a hung window.
template <class Text, auto Send>
Text TextOf(HWND window) {
  if (!window) return Text();
  DWORD_PTR length = 0;
  if (!Send(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &length)) return Text();
  Text text(length + 1, '\0');
  DWORD_PTR got = 0;
  if (!Send(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
            SMTO_ABORTIFHUNG, 5000, &got))
    return Text();
  text.resize(got);
  return text;
}

std::string WindowText(HWND window) { return TextOf<std::string, ::SendMessageTimeoutA>(window); }

std::string ItemText(HWND dialog, int id) { return WindowText(::GetDlgItem(dialog, id)); }

std::string ClassName(HWND window) {
  char name[256] = {};
  ::GetClassNameA(window, name, sizeof name);
  return name;
}

void Click(HWND dialog, int id) { ::PostMessageA(::GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

void SetItemText(HWND dialog, int id, const std::string& text) {
  ::SendMessageA(::GetDlgItem(dialog, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void Type(HWND dialog, int id, char c) {
  ::SendMessageA(::GetDlgItem(dialog, id), WM_CHAR, static_cast<unsigned char>(c), 1);
}

LRESULT Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  DWORD_PTR result = 0;
  if (!::SendMessageTimeoutA(window, message, wParam, lParam, SMTO_ABORTIFHUNG, 10000, &result))
    return 0;
  return static_cast<LRESULT>(result);
}

bool SendWithData(HWND window, UINT message, WPARAM wParam, void* data, std::size_t size) {
  DWORD processId = 0;
  ::GetWindowThreadProcessId(window, &processId);
  UniqueHandle process(
      ::OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId));
  if (!process) return false;
  void* remote =
      ::VirtualAllocEx(process.get(), nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
  if (!remote) return false;
  DWORD_PTR result = 0;
  const bool sent = ::WriteProcessMemory(process.get(), remote, data, size, nullptr) &&
                    ::SendMessageTimeoutA(window, message, wParam, reinterpret_cast<LPARAM>(remote),
                                          SMTO_ABORTIFHUNG, 10000, &result) &&
                    ::ReadProcessMemory(process.get(), remote, data, size, nullptr);
  ::VirtualFreeEx(process.get(), remote, 0, MEM_RELEASE);
  return sent;
}

bool ItemEnabled(HWND dialog, int id) {
  HWND item = ::GetDlgItem(dialog, id);
  return item && ::IsWindowEnabled(item);
}

bool ItemChecked(HWND dialog, int id) {
  return ::SendMessageA(::GetDlgItem(dialog, id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

bool ItemVisible(HWND dialog, int id) {
  HWND item = ::GetDlgItem(dialog, id);
  return item && ::IsWindowVisible(item);
}

int ProgressPosition(HWND dialog, int id) {
  HWND bar = ::GetDlgItem(dialog, id);
  DWORD_PTR position = 0;
  if (!bar || !::SendMessageTimeoutA(bar, PBM_GETPOS, 0, 0, SMTO_ABORTIFHUNG, 10000, &position))
    return -1;
  return static_cast<int>(position);
}

namespace {

struct Search {
  DWORD processId;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectDialog(HWND window, LPARAM data) {
  auto* search = reinterpret_cast<Search*>(data);
  DWORD owner = 0;
  ::GetWindowThreadProcessId(window, &owner);
  if (owner == search->processId && ::IsWindowVisible(window) && ClassName(window) == "#32770")
    search->found.push_back(window);
  return TRUE;
}

BOOL CALLBACK CollectStaticText(HWND child, LPARAM data) {
  auto* text = reinterpret_cast<std::string*>(data);
  if (ClassName(child) == "Static") {
    std::string t = WindowText(child);
    if (!t.empty()) {
      if (!text->empty()) *text += "\n";
      *text += t;
    }
  }
  return TRUE;
}

}  // namespace

std::vector<ControlSeen> Controls(HWND dialog) {
  std::vector<ControlSeen> controls;
  for (HWND child = ::GetWindow(dialog, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
    ControlSeen seen;
    seen.window = child;
    seen.kind = ClassName(child);
    seen.text = WindowText(child);
    ::GetWindowRect(child, &seen.place);
    ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&seen.place), 2);
    seen.style = static_cast<DWORD>(::GetWindowLongPtrA(child, GWL_STYLE));
    seen.visible = ::IsWindowVisible(child) != FALSE;
    controls.push_back(seen);
  }
  return controls;
}

std::vector<HWND> Dialogs(DWORD processId) {
  Search search{processId, {}};
  ::EnumWindows(&CollectDialog, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND FindDialog(DWORD processId, const std::string& caption) {
  for (HWND window : Dialogs(processId))
    if (WindowText(window) == caption) return window;
  return nullptr;
}

MessageBoxSeen WaitForBox(DWORD processId, const std::vector<HWND>& except,
                          std::chrono::milliseconds timeout) {
  MessageBoxSeen seen;
  // A process that has ended shows no more boxes: no need to wait out the time.
  UniqueHandle process(::OpenProcess(SYNCHRONIZE, FALSE, processId));
  WaitFor(
      [&] {
        if (process && ::WaitForSingleObject(process.get(), 0) == WAIT_OBJECT_0) return true;
        for (HWND window : Dialogs(processId)) {
          bool known = false;
          for (HWND other : except) known = known || other == window;
          if (known) continue;
          seen.window = window;
          return true;
        }
        return false;
      },
      timeout);
  if (seen.window) {
    // The box's texts are set before it shows, but give a slow machine a moment.
    WaitFor(
        [&] {
          seen.text.clear();
          ::EnumChildWindows(seen.window, &CollectStaticText, reinterpret_cast<LPARAM>(&seen.text));
          return !seen.text.empty();
        },
        5s);
    seen.caption = WindowText(seen.window);
  }
  return seen;
}

Installer::Installer(const std::string& program, const std::string& arguments) {
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  std::string commandLine = "\"" + program + "\"";
  if (!arguments.empty()) commandLine += " " + arguments;
  if (!::CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &process_))
    process_ = {};
}

Installer::~Installer() {
  if (!process_.hProcess) return;
  if (Running()) {
    ::TerminateProcess(process_.hProcess, 99);
    ::WaitForSingleObject(process_.hProcess, 10000);
  }
  ::CloseHandle(process_.hThread);
  ::CloseHandle(process_.hProcess);
}

HWND Installer::WaitForMain() {
  if (!process_.hProcess) return nullptr;
  WaitFor([&] {
    main_ = FindDialog(Id(), "Zephrin/Tollvex III Installation");
    // Ready once the first data exchange has replaced the placeholder of the header.
    return main_ && ItemText(main_, 1008) != "Static";
  });
  return main_;
}

bool Installer::WaitForExit(std::chrono::milliseconds timeout) {
  if (!process_.hProcess) return true;
  return ::WaitForSingleObject(process_.hProcess, static_cast<DWORD>(timeout.count())) ==
         WAIT_OBJECT_0;
}

DWORD Installer::ExitCode() const {
  DWORD code = STILL_ACTIVE;
  if (process_.hProcess) ::GetExitCodeProcess(process_.hProcess, &code);
  return code;
}

bool Installer::Running() const {
  return process_.hProcess && ::WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT;
}

namespace {

// The processes whose program lies below folder, opened so that they can be waited for.
std::vector<UniqueHandle> ProcessesBelow(const std::string& folder) {
  std::vector<UniqueHandle> found;
  UniqueHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!platform::Valid(snapshot)) return found;
  const std::string prefix = folder.back() == '\\' ? folder : folder + "\\";
  PROCESSENTRY32 entry = {};
  entry.dwSize = sizeof entry;
  for (BOOL more = ::Process32First(snapshot.get(), &entry); more;
       more = ::Process32Next(snapshot.get(), &entry)) {
    UniqueHandle process(
        ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE, FALSE, entry.th32ProcessID));
    if (!process) continue;
    char image[MAX_PATH * 2] = {};
    DWORD size = sizeof image;
    if (::QueryFullProcessImageNameA(process.get(), 0, image, &size) &&
        platform::StartsWithNoCase(image, prefix))
      found.push_back(std::move(process));
  }
  return found;
}

}  // namespace

bool WaitForProgramsBelow(const std::string& folder, std::chrono::milliseconds timeout) {
  const auto end = std::chrono::steady_clock::now() + timeout;
  for (const UniqueHandle& process : ProcessesBelow(folder)) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        end - std::chrono::steady_clock::now());
    if (::WaitForSingleObject(process.get(), static_cast<DWORD>(std::max<long long>(
                                                 0, left.count()))) != WAIT_OBJECT_0)
      return false;
  }
  return true;
}

bool FileExists(const std::string& path) {
  DWORD attributes = ::GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirectoryExists(const std::string& path) {
  DWORD attributes = ::GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

void RemoveTree(const std::string& path) {
  WIN32_FIND_DATAA entry;
  if (platform::FindHandle search(path + "\\*", entry); search) {
    do {
      const std::string name = entry.cFileName;
      if (name == "." || name == "..") continue;
      const std::string child = path + "\\" + name;
      if (entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
        if (!::RemoveDirectoryA(child.c_str())) ::DeleteFileA(child.c_str());
      } else if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(child);
      } else {
        ::SetFileAttributesA(child.c_str(), FILE_ATTRIBUTE_NORMAL);
        ::DeleteFileA(child.c_str());
      }
    } while (search.Next(entry));
  }
  ::RemoveDirectoryA(path.c_str());
}

namespace {

void CollectFiles(const std::string& root, const std::string& relative,
                  std::vector<std::string>& files) {
  WIN32_FIND_DATAA entry;
  const std::string dir = relative.empty() ? root : root + "\\" + relative;
  platform::FindHandle search(dir + "\\*", entry);
  if (!search) return;
  do {
    const std::string name = entry.cFileName;
    if (name == "." || name == "..") continue;
    const std::string child = relative.empty() ? name : relative + "\\" + name;
    if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
      CollectFiles(root, child, files);
    else
      files.push_back(child);
  } while (search.Next(entry));
}

}  // namespace

std::vector<std::string> ListFiles(const std::string& root) {
  std::vector<std::string> files;
  CollectFiles(root, "", files);
  return files;
}

std::wstring WideWindowText(HWND window) {
  return TextOf<std::wstring, ::SendMessageTimeoutW>(window);
}

std::wstring WideItemText(HWND dialog, int id) { return WideWindowText(::GetDlgItem(dialog, id)); }

void SetItemText(HWND dialog, int id, const std::wstring& text) {
  ::SendMessageW(::GetDlgItem(dialog, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

bool FileExists(const std::wstring& path) {
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirectoryExists(const std::wstring& path) {
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string ReadFile(const std::wstring& path) {
  std::string bytes;
  std::FILE* file = ::_wfopen(path.c_str(), L"rb");
  if (!file) return bytes;
  char chunk[4096];
  for (std::size_t got; (got = std::fread(chunk, 1, sizeof chunk, file)) > 0;)
    bytes.append(chunk, got);
  std::fclose(file);
  return bytes;
}

namespace {

void CollectFiles(const std::wstring& root, const std::wstring& relative,
                  std::vector<std::wstring>& files) {
  const std::wstring dir = relative.empty() ? root : root + L"\\" + relative;
  WIN32_FIND_DATAW entry;
  HANDLE search = ::FindFirstFileW((dir + L"\\*").c_str(), &entry);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    const std::wstring name = entry.cFileName;
    if (name == L"." || name == L"..") continue;
    const std::wstring child = relative.empty() ? name : relative + L"\\" + name;
    if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
      CollectFiles(root, child, files);
    else
      files.push_back(child);
  } while (::FindNextFileW(search, &entry));
  ::FindClose(search);
}

}  // namespace

std::vector<std::wstring> ListFiles(const std::wstring& root) {
  std::vector<std::wstring> files;
  CollectFiles(root, L"", files);
  return files;
}

std::vector<std::wstring> FolderEntries(const std::wstring& dir) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW entry;
  HANDLE search = ::FindFirstFileW((dir + L"\\*").c_str(), &entry);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    const std::wstring name = entry.cFileName;
    if (name != L"." && name != L"..") names.push_back(name);
  } while (::FindNextFileW(search, &entry));
  ::FindClose(search);
  std::sort(names.begin(), names.end());
  return names;
}

std::wstring RegistryText(HKEY root, const std::wstring& key, const std::wstring& name) {
  wchar_t value[2048] = {};
  DWORD size = sizeof value - sizeof(wchar_t);
  if (::RegGetValueW(root, key.c_str(), name.c_str(),
                     RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND, nullptr, value,
                     &size) != ERROR_SUCCESS)
    return std::wstring();
  return value;
}

void SetRegistryText(HKEY root, const std::wstring& key, const std::wstring& name,
                     const std::wstring& value) {
  HKEY handle = nullptr;
  if (::RegCreateKeyExW(root, key.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE,
                        nullptr, &handle, nullptr) != ERROR_SUCCESS)
    return;
  ::RegSetValueExW(handle, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
  ::RegCloseKey(handle);
}

std::optional<LinkSeen> ReadLink(const std::wstring& path) {
  std::optional<LinkSeen> seen;
  const HRESULT init = ::CoInitialize(nullptr);
  IShellLinkW* link = nullptr;
  if (SUCCEEDED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                   reinterpret_cast<void**>(&link)))) {
    IPersistFile* file = nullptr;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
      if (SUCCEEDED(file->Load(path.c_str(), STGM_READ))) {
        wchar_t target[MAX_PATH] = {}, item[MAX_PATH] = {}, directory[MAX_PATH] = {};
        link->GetPath(target, MAX_PATH, nullptr, SLGP_RAWPATH);
        ITEMIDLIST* items = nullptr;
        if (SUCCEEDED(link->GetIDList(&items)) && items) {
          ::SHGetPathFromIDListW(items, item);
          ::CoTaskMemFree(items);
        }
        link->GetWorkingDirectory(directory, MAX_PATH);
        seen = LinkSeen{target, item, directory};
      }
      file->Release();
    }
    link->Release();
  }
  if (SUCCEEDED(init)) ::CoUninitialize();
  return seen;
}

DWORD RunAndWait(const std::wstring& commandLine, std::chrono::milliseconds timeout) {
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  std::wstring line = commandLine;
  if (!::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
    return static_cast<DWORD>(-1);
  DWORD code = static_cast<DWORD>(-1);
  if (::WaitForSingleObject(process.hProcess, static_cast<DWORD>(timeout.count())) == WAIT_OBJECT_0)
    ::GetExitCodeProcess(process.hProcess, &code);
  else
    ::TerminateProcess(process.hProcess, code);
  ::CloseHandle(process.hThread);
  ::CloseHandle(process.hProcess);
  return code;
}

DWORD RegistryNumber(HKEY root, const std::string& key, const std::string& name, DWORD fallback) {
  DWORD value = 0;
  DWORD size = sizeof value;
  if (::RegGetValueA(root, key.c_str(), name.c_str(), RRF_RT_REG_DWORD, nullptr, &value, &size) !=
      ERROR_SUCCESS)
    return fallback;
  return value;
}

void SetRegistryNumber(HKEY root, const std::string& key, const std::string& name, DWORD value) {
  platform::RegKey handle;
  if (handle.Create(root, key.c_str(), KEY_SET_VALUE) != ERROR_SUCCESS) return;
  ::RegSetValueExA(handle.Get(), name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                   sizeof value);
}

std::string RegistryText(HKEY root, const std::string& key, const std::string& name) {
  char value[2048] = {};
  DWORD size = sizeof value - 1;
  if (::RegGetValueA(root, key.c_str(), name.c_str(),
                     RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND, nullptr, value,
                     &size) != ERROR_SUCCESS)
    return std::string();
  return value;
}

bool RegistryValueExists(HKEY root, const std::string& key, const std::string& name) {
  return ::RegGetValueA(root, key.c_str(), name.c_str(), RRF_RT_ANY, nullptr, nullptr, nullptr) ==
         ERROR_SUCCESS;
}

void SetRegistryText(HKEY root, const std::string& key, const std::string& name,
                     const std::string& value) {
  platform::RegKey handle;
  if (handle.Create(root, key.c_str(), KEY_SET_VALUE) != ERROR_SUCCESS) return;
  handle.SetText(name.c_str(), value);
}

void DeleteRegistryValue(HKEY root, const std::string& key, const std::string& name) {
  platform::RegKey handle;
  if (handle.Open(root, key.c_str(), KEY_SET_VALUE) != ERROR_SUCCESS) return;
  ::RegDeleteValueA(handle.Get(), name.c_str());
}

void DeleteRegistryKey(HKEY root, const std::string& key) { ::RegDeleteTreeA(root, key.c_str()); }

std::string Environment(const char* name) {
  char value[4096] = {};
  DWORD got = ::GetEnvironmentVariableA(name, value, sizeof value);
  return got && got < sizeof value ? std::string(value, got) : std::string();
}

}  // namespace gui
