// What the installer takes from the host: the Program Files folder, the default directory and
// the settings-file search.
#include "app/host_probe.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "tests/support/disk_files.h"

namespace {

// A scratch folder below the temporary directory, removed with what it holds.
class Scratch {
 public:
  Scratch() {
    char temp[MAX_PATH];
    ::GetTempPathA(MAX_PATH, temp);
    path_ = std::string(temp) + "tvex_app_test_" + std::to_string(::GetCurrentProcessId());
    ::CreateDirectoryA(path_.c_str(), nullptr);
  }
  ~Scratch() { tvex_test::RemoveTree(path_); }
  const std::string& path() const { return path_; }
  std::string Make(const std::string& relative) const {
    std::string full = path_;
    std::size_t start = 0;
    while (start < relative.size()) {
      std::size_t slash = relative.find('\\', start);
      if (slash == std::string::npos) slash = relative.size();
      full += '\\';
      full.append(relative, start, slash - start);
      ::CreateDirectoryA(full.c_str(), nullptr);
      start = slash + 1;
    }
    return full;
  }
  static void Touch(const std::string& path) {
    if (std::FILE* f = std::fopen(path.c_str(), "w")) std::fclose(f);
  }

 private:
  std::string path_;
};

// Sets environment variables for one test and restores them.
class ScopedEnvironment {
 public:
  void Set(const char* name, const char* value) {
    char old[4096];
    DWORD got = ::GetEnvironmentVariableA(name, old, sizeof old);
    saved_.push_back({name, got ? std::string(old, got) : std::string(), got != 0});
    ::SetEnvironmentVariableA(name, value);
  }
  ~ScopedEnvironment() {
    for (auto it = saved_.rbegin(); it != saved_.rend(); ++it)
      ::SetEnvironmentVariableA(it->name.c_str(), it->had ? it->value.c_str() : nullptr);
  }

 private:
  struct Saved {
    std::string name, value;
    bool had;
  };
  std::vector<Saved> saved_;
};

TEST(FindSettingsFile, PrefersTheWindowsDirectoryUnderWineThenHomeThenTheVirtualStore) {
  Scratch scratch;
  const std::string windir = scratch.Make("Windows");
  const std::string home = scratch.Make("home\\.wine");
  ScopedEnvironment env;
  env.Set("WINDIR", windir.c_str());
  env.Set("HOME", (scratch.path() + "\\home").c_str());
  env.Set("LOCALAPPDATA", (scratch.path() + "\\Local").c_str());

  // Nothing exists: the Windows directory's file, untested.
  EXPECT_EQ(FindSettingsFile(), windir + "\\tvex3.ini");

  // The virtualized copy: below VirtualStore, the WINDIR value after its drive.
  const std::string rest = windir.substr(windir.find(':') + 1);
  const std::string store = scratch.Make("Local\\VirtualStore" + rest);
  ASSERT_EQ(store, scratch.path() + "\\Local\\VirtualStore" + rest);
  Scratch::Touch(store + "\\tvex3.ini");
  EXPECT_EQ(FindSettingsFile(), IsVistaOrLater() ? store + "\\tvex3.ini" : windir + "\\tvex3.ini");

  HMODULE kernel = ::GetModuleHandleA("kernel32");
  const bool wine = ::GetProcAddress(kernel, "wine_get_unix_file_name") != nullptr;
  Scratch::Touch(home + "\\tvex3.ini");
  if (wine) {
    EXPECT_EQ(FindSettingsFile(), home + "\\tvex3.ini");
  }
  Scratch::Touch(windir + "\\tvex3.ini");
  EXPECT_EQ(FindSettingsFile(), windir + "\\tvex3.ini");
}

TEST(FindSettingsFile, NothingWithoutWindirAndNoCandidate) {
  ScopedEnvironment env;
  env.Set("WINDIR", nullptr);
  env.Set("HOME", nullptr);
  env.Set("LOCALAPPDATA", nullptr);
  EXPECT_EQ(FindSettingsFile(), "");
}

TEST(DefaultInstallDir, BelowAnExistingProgramFilesFolderElseTheFallback) {
  Scratch scratch;
  const std::string apps = scratch.Make("Apps");
  EXPECT_EQ(InstallDirBelow(apps, "fallback"), apps + "\\QMK\\TvexIII");
  EXPECT_EQ(InstallDirBelow(apps + "\\", "fallback"), apps + "\\QMK\\TvexIII");
  EXPECT_EQ(InstallDirBelow(apps + "\\missing", "fallback"), "fallback");

  const char key[] = "Software\\TvexInstallerTest";
  HKEY handle = nullptr;
  ASSERT_EQ(::RegCreateKeyExA(HKEY_CURRENT_USER, key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                              &handle, nullptr),
            ERROR_SUCCESS);
  std::string value = "untouched";
  EXPECT_FALSE(ReadProgramFilesDir(HKEY_CURRENT_USER, key, value));
  EXPECT_EQ(value, "untouched");
  ::RegSetValueExA(handle, "ProgramFilesDir", 0, REG_SZ,
                   reinterpret_cast<const BYTE*>(apps.c_str()),
                   static_cast<DWORD>(apps.size() + 1));
  EXPECT_TRUE(ReadProgramFilesDir(HKEY_CURRENT_USER, key, value));
  EXPECT_EQ(value, apps);
  // A value too long for the 260-byte buffer is not read (and never overruns it).
  const std::string tooLong(400, 'x');
  ::RegSetValueExA(handle, "ProgramFilesDir", 0, REG_SZ,
                   reinterpret_cast<const BYTE*>(tooLong.c_str()),
                   static_cast<DWORD>(tooLong.size() + 1));
  value = "untouched";
  EXPECT_FALSE(ReadProgramFilesDir(HKEY_CURRENT_USER, key, value));
  // Exactly 260 bytes without a NUL still ends where it should.
  const std::string full(260, 'y');
  ::RegSetValueExA(handle, "ProgramFilesDir", 0, REG_BINARY,
                   reinterpret_cast<const BYTE*>(full.data()), 260);
  EXPECT_TRUE(ReadProgramFilesDir(HKEY_CURRENT_USER, key, value));
  EXPECT_EQ(value, full);
  ::RegCloseKey(handle);
  ::RegDeleteKeyA(HKEY_CURRENT_USER, key);
  EXPECT_FALSE(ReadProgramFilesDir(HKEY_CURRENT_USER, key, value));
}

}  // namespace
