// Test scaffolding for the shell code: predefined registry keys redirected to scratch keys,
// scratch folders, captured message boxes and shortcut read-back.
#pragma once

#include <windows.h>

#include <initializer_list>
#include <memory>
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

// A fresh folder below the temporary directory, deleted with all its content (read-only
// entries included) at the end of its scope.
class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  // path() + "\" + name.
  std::string Sub(const std::string& name) const { return path_ + "\\" + name; }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

bool MakeDir(const std::string& path);
bool WriteFile(const std::string& path, const std::string& bytes);
// The whole file as bytes, or nothing when it cannot be read.
std::optional<std::string> ReadFile(const std::string& path);
bool Exists(const std::string& path);

// What a saved shortcut holds, read back through the shell-link object.
struct LinkInfo {
  std::string target;
  std::string workingDirectory;
  std::string description;
};
std::optional<LinkInfo> ReadLink(const std::string& linkPath);

// Collects the texts of every message box while it lives, answering each with OK.
class MessageCapture {
 public:
  MessageCapture();
  ~MessageCapture();
  MessageCapture(const MessageCapture&) = delete;
  MessageCapture& operator=(const MessageCapture&) = delete;

  const std::vector<std::string>& texts() const { return boxes_->texts; }
  // Caption and MessageBoxA flags of each box, in the order shown.
  const std::vector<std::pair<std::string, unsigned>>& styles() const { return boxes_->styles; }

 private:
  struct Boxes {
    std::vector<std::string> texts;
    std::vector<std::pair<std::string, unsigned>> styles;
  };
  std::shared_ptr<Boxes> boxes_;
};

}  // namespace shelltest
