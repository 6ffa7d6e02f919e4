#include "registry_sandbox.h"

#include <objbase.h>
#include <shlobj.h>

#include <atomic>

namespace shelltest {

namespace {

constexpr char kSandboxParent[] = "Software\\TvexShellTests";

std::atomic<unsigned> g_counter{0};

std::string UniqueSuffix() {
  return std::to_string(::GetCurrentProcessId()) + "-" + std::to_string(g_counter++);
}

}  // namespace

RegistrySandbox::RegistrySandbox(std::initializer_list<HKEY> roots)
    : base_(std::string(kSandboxParent) + "\\" + UniqueSuffix()) {
  // Every scratch key is opened before any redirection, so none lands inside another.
  int index = 0;
  for (HKEY root : roots) {
    HKEY scratch = nullptr;
    const std::string path = base_ + "\\" + std::to_string(index++);
    if (::RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                          KEY_ALL_ACCESS, nullptr, &scratch, nullptr) != ERROR_SUCCESS)
      return;
    overrides_.emplace_back(root, scratch);
  }
  for (auto& [root, scratch] : overrides_)
    if (::RegOverridePredefKey(root, scratch) != ERROR_SUCCESS) return;
  ok_ = true;
}

RegistrySandbox::~RegistrySandbox() {
  for (auto& [root, scratch] : overrides_) {
    ::RegOverridePredefKey(root, nullptr);
    ::RegCloseKey(scratch);
  }
  ::RegDeleteTreeA(HKEY_CURRENT_USER, base_.c_str());
  ::RegDeleteKeyA(HKEY_CURRENT_USER, kSandboxParent);  // only when no other sandbox is left
}

bool CreateKey(HKEY root, const std::string& path) {
  HKEY key = nullptr;
  if (::RegCreateKeyExA(root, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                        nullptr, &key, nullptr) != ERROR_SUCCESS)
    return false;
  ::RegCloseKey(key);
  return true;
}

bool SetText(HKEY root, const std::string& path, const char* name, const std::string& text,
             DWORD type) {
  HKEY key = nullptr;
  if (::RegCreateKeyExA(root, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE,
                        nullptr, &key, nullptr) != ERROR_SUCCESS)
    return false;
  const LONG result =
      ::RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(text.c_str()),
                       static_cast<DWORD>(text.size() + 1));
  ::RegCloseKey(key);
  return result == ERROR_SUCCESS;
}

void DeleteValue(HKEY root, const std::string& path, const char* name) {
  HKEY key = nullptr;
  if (::RegOpenKeyExA(root, path.c_str(), 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) return;
  ::RegDeleteValueA(key, name);
  ::RegCloseKey(key);
}

bool KeyExists(HKEY root, const std::string& path) {
  HKEY key = nullptr;
  if (::RegOpenKeyExA(root, path.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return false;
  ::RegCloseKey(key);
  return true;
}

std::optional<std::string> ReadText(HKEY root, const std::string& path, const char* name) {
  HKEY key = nullptr;
  if (::RegOpenKeyExA(root, path.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
    return std::nullopt;
  char buffer[2048] = {};
  DWORD size = sizeof buffer - 1;
  const LONG result =
      ::RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size);
  ::RegCloseKey(key);
  if (result != ERROR_SUCCESS) return std::nullopt;
  return std::string(buffer);
}

int SubKeyCount(HKEY root, const std::string& path) {
  HKEY key = nullptr;
  if (::RegOpenKeyExA(root, path.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return -1;
  DWORD count = 0;
  const LONG result = ::RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &count, nullptr, nullptr,
                                         nullptr, nullptr, nullptr, nullptr, nullptr);
  ::RegCloseKey(key);
  return result == ERROR_SUCCESS ? static_cast<int>(count) : -1;
}

std::optional<LinkInfo> ReadLink(const std::string& linkPath) {
  std::optional<LinkInfo> info;
  const HRESULT init = ::CoInitialize(nullptr);
  IShellLinkA* link = nullptr;
  if (SUCCEEDED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                   reinterpret_cast<void**>(&link)))) {
    IPersistFile* file = nullptr;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
      wchar_t wide[MAX_PATH] = {};
      ::MultiByteToWideChar(CP_ACP, 0, linkPath.c_str(), -1, wide, MAX_PATH);
      if (SUCCEEDED(file->Load(wide, STGM_READ))) {
        char target[MAX_PATH] = {}, directory[MAX_PATH] = {}, description[MAX_PATH] = {};
        link->GetPath(target, MAX_PATH, nullptr, SLGP_RAWPATH);
        link->GetWorkingDirectory(directory, MAX_PATH);
        link->GetDescription(description, MAX_PATH);
        info = LinkInfo{target, directory, description};
      }
      file->Release();
    }
    link->Release();
  }
  if (SUCCEEDED(init)) ::CoUninitialize();
  return info;
}

}  // namespace shelltest
