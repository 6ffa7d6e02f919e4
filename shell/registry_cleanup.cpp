#include "shell/registry_cleanup.h"

#include <windows.h>

#include <initializer_list>
#include <string>

#include "platform/ascii.h"
#include "platform/reg_key.h"

namespace {

using platform::RegKey;

// Opens root\parent with the right to delete below it and deletes each named subkey in turn;
// every failure is passed over.
void DeleteSubKeys(HKEY root, const std::string& parent,
                   std::initializer_list<const char*> subKeys) {
  RegKey key;
  if (key.Open(root, parent.c_str(), KEY_CREATE_SUB_KEY) != ERROR_SUCCESS) return;
  for (const char* subKey : subKeys) key.DeleteSubKey(subKey);
}

// Deletes one key directly below HKEY_CLASSES_ROOT, through a handle with only the rights
// deletion needs.
void DeleteClassesRootKey(const char* name) {
  RegKey root;
  if (root.Open(HKEY_CLASSES_ROOT, nullptr, KEY_CREATE_SUB_KEY) != ERROR_SUCCESS) return;
  root.DeleteSubKey(name);
}

// True when the default value of HKCR\keyName is a REG_SZ text that contains marker.
bool DefaultValueContains(const std::string& keyName, const char* marker) {
  std::optional<platform::RegText> value;
  {
    RegKey key;
    if (key.Open(HKEY_CLASSES_ROOT, keyName.c_str(), KEY_QUERY_VALUE) != ERROR_SUCCESS)
      return false;
    value = key.QueryText(nullptr);
  }
  return value && value->type == REG_SZ &&
         platform::FindNoCase(value->text.c_str(), marker) != nullptr;
}

}  // namespace

void RemoveMakerSettingsKeys() {
  DeleteSubKeys(HKEY_LOCAL_MACHINE, "Software\\Quenmark Corporation\\Toll Vex III", {"1.0"});
  DeleteSubKeys(HKEY_LOCAL_MACHINE, "Software\\Quenmark Corporation", {"Toll Vex III"});
  DeleteSubKeys(HKEY_LOCAL_MACHINE, "Software", {"Quenmark Corporation"});
}

void RemoveStaleFileTypes() {
  for (const char* progId : FileTypeProgIds)
    if (ProgIdHasOwnIcon(progId)) DeleteProgId(progId);
  for (const char* extension : FileTypeExtensions)
    if (ExtensionNamesProduct(extension)) DeleteExtensionKey(extension);
}

bool ProgIdHasOwnIcon(const char* progId) {
  if (!progId || !*progId) return false;
  return DefaultValueContains(std::string(progId) + "\\DefaultIcon", "\\tvex3.exe,");
}

void DeleteProgId(const char* progId) {
  if (!progId || !*progId) return;
  const std::string name = progId;
  DeleteSubKeys(HKEY_CLASSES_ROOT, name + "\\shell\\open\\ddeexec", {"Application"});
  DeleteSubKeys(HKEY_CLASSES_ROOT, name + "\\shell\\open", {"ddeexec", "command"});
  DeleteSubKeys(HKEY_CLASSES_ROOT, name + "\\shell\\print", {"ddeexec", "command"});
  DeleteSubKeys(HKEY_CLASSES_ROOT, name + "\\shell\\printto", {"ddeexec", "command"});
  DeleteSubKeys(HKEY_CLASSES_ROOT, name + "\\shell", {"open", "print", "printto"});
  DeleteSubKeys(HKEY_CLASSES_ROOT, name, {"DefaultIcon", "shell"});
  DeleteClassesRootKey(progId);
}

bool ExtensionNamesProduct(const char* extension) {
  if (!extension || !*extension) return false;
  return DefaultValueContains(extension, "Zephrin");
}

void DeleteExtensionKey(const char* extension) {
  if (!extension || !*extension) return;
  DeleteSubKeys(HKEY_CLASSES_ROOT, extension, {"ShellNew"});
  DeleteClassesRootKey(extension);
}
