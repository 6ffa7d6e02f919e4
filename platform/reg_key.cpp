#include "platform/reg_key.h"

#include <cstring>
#include <utility>
#include <vector>

#include "platform/wide_text.h"

namespace platform {

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

std::optional<RegText> RegKey::QueryText(const char* name, DWORD maxBytes) const {
  if (!key_) return std::nullopt;
  std::vector<char> buffer(maxBytes, '\0');
  DWORD size = maxBytes;
  DWORD type = REG_NONE;
  if (::RegQueryValueExA(key_, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()),
                         &size) != ERROR_SUCCESS)
    return std::nullopt;
  // Data that fills the buffer may carry no NUL of its own.
  return RegText{type, std::string(buffer.data(), strnlen(buffer.data(), maxBytes))};
}

std::optional<RegText> RegKey::QueryExactText(const char* name, DWORD maxChars) const {
  if (!key_) return std::nullopt;
  std::vector<wchar_t> buffer(maxChars, L'\0');
  DWORD size = maxChars * sizeof(wchar_t);
  DWORD type = REG_NONE;
  const std::wstring wideName = WideFromAnsi(name ? name : "");
  if (::RegQueryValueExW(key_, wideName.c_str(), nullptr, &type,
                         reinterpret_cast<BYTE*>(buffer.data()), &size) != ERROR_SUCCESS)
    return std::nullopt;
  const std::optional<std::string> text =
      AnsiFromWide(std::wstring_view(buffer.data(), wcsnlen(buffer.data(), maxChars)));
  return RegText{type, text.value_or(std::string()), text.has_value()};
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

}  // namespace platform
