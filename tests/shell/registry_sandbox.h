// Test scaffolding of the shell code's own: predefined registry keys redirected to scratch keys,
// and shortcut read-back. Work directories, files and message boxes come from tests/support.
#pragma once

#include <windows.h>

#include <initializer_list>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace shelltest {

// Redirects the given predefined keys (HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE, ...) of this
// process to fresh, empty scratch keys for its lifetime, then restores them and deletes the
// scratch keys, so a test sees and changes nothing of the real registry.
class RegistrySandbox {
 public:
  explicit RegistrySandbox(std::initializer_list<HKEY> roots);
  ~RegistrySandbox();
  RegistrySandbox(const RegistrySandbox&) = delete;
  RegistrySandbox& operator=(const RegistrySandbox&) = delete;

  bool ok() const { return ok_; }

 private:
  std::string base_;
  std::vector<std::pair<HKEY, HKEY>> overrides_;  // predefined key, scratch key
  bool ok_ = false;
};

// Creates root\path (and its parents); false on failure.
bool CreateKey(HKEY root, const std::string& path);
// Stores a text value (name null for the default value) of the given type, creating the key.
bool SetText(HKEY root, const std::string& path, const char* name, const std::string& text,
             DWORD type = REG_SZ);
// Deletes one value; harmless when it is missing.
void DeleteValue(HKEY root, const std::string& path, const char* name);
bool KeyExists(HKEY root, const std::string& path);
// A value's text, or nothing when the key or value is missing.
std::optional<std::string> ReadText(HKEY root, const std::string& path, const char* name);
// The number of direct subkeys, or -1 when the key is missing.
int SubKeyCount(HKEY root, const std::string& path);

// What a saved shortcut holds, read back through the shell-link object.
struct LinkInfo {
  std::string target;
  std::string workingDirectory;
  std::string description;
};
std::optional<LinkInfo> ReadLink(const std::string& linkPath);

}  // namespace shelltest
