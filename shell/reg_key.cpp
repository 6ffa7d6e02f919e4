#include "shell/reg_key.h"

#include <cstring>
#include <utility>

namespace shell {

RegKey::~RegKey() { Close(); }

RegKey::RegKey(RegKey&& other) noexcept : key_(std::exchange(other.key_, nullptr)) {}

RegKey& RegKey::operator=(RegKey&& other) noexcept {
  if (this != &other) {
    Close();
    key_ = std::exchange(other.key_, nullptr);
  }
  return *this;
}

LONG RegKey::Open(HKEY root, const char* subKey, REGSAM access) {
  Close();
  HKEY key = nullptr;
  const LONG result = ::RegOpenKeyExA(root, subKey, 0, access, &key);
  if (result == ERROR_SUCCESS) key_ = key;
  return result;
}

LONG RegKey::Create(HKEY root, const char* subKey, REGSAM access) {
  Close();
  HKEY key = nullptr;
  const LONG result = ::RegCreateKeyExA(root, subKey, 0, nullptr, REG_OPTION_NON_VOLATILE, access,
                                        nullptr, &key, nullptr);
  if (result == ERROR_SUCCESS) key_ = key;
  return result;
}

std::optional<RegText> RegKey::QueryText(const char* name) const {
  if (!key_) return std::nullopt;
  char buffer[kRegTextBytes] = {};
  DWORD size = kRegTextBytes;
  DWORD type = REG_NONE;
  if (::RegQueryValueExA(key_, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size) !=
      ERROR_SUCCESS)
    return std::nullopt;
  // Data that fills the buffer may carry no NUL of its own.
  return RegText{type, std::string(buffer, strnlen(buffer, kRegTextBytes))};
}

LONG RegKey::SetText(const char* name, const std::string& text) const {
  if (!key_) return ERROR_INVALID_HANDLE;
  return ::RegSetValueExA(key_, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                          static_cast<DWORD>(text.size() + 1));
}

LONG RegKey::DeleteSubKey(const char* name) const {
  if (!key_) return ERROR_INVALID_HANDLE;
  return ::RegDeleteKeyA(key_, name);
}

void RegKey::Close() {
  if (key_) ::RegCloseKey(std::exchange(key_, nullptr));
}

}  // namespace shell
