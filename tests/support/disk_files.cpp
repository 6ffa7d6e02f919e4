#include "tests/support/disk_files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace fs = std::filesystem;

namespace tvex_test {

std::string NativePath(const std::string& path) {
  std::string native = path;
  for (char& c : native)
    if (c == '\\') c = '/';
  return native;
}

std::string ReadAll(const std::string& path) {
  std::ifstream in(NativePath(path), std::ios::binary);
  EXPECT_TRUE(in.good()) << "cannot read " << path;
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool WriteAll(const std::string& path, const std::string& bytes) {
  std::ofstream out(NativePath(path), std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  EXPECT_FALSE(out.fail()) << "cannot write " << path;
  return !out.fail();
}

bool Exists(const std::string& path) {
  std::error_code error;
  return fs::exists(fs::symlink_status(NativePath(path), error));
}

bool MakeDir(const std::string& path) {
  std::error_code error;
  return fs::create_directory(NativePath(path), error);
}

bool IsReadOnly(const std::string& path) {
  std::error_code error;
  const fs::perms perms = fs::status(NativePath(path), error).permissions();
  return !error && (perms & fs::perms::owner_write) == fs::perms::none;
}

std::map<std::string, std::string> ReadTree(const std::string& root) {
  std::map<std::string, std::string> tree;
  std::error_code error;
  const fs::path base = NativePath(root);
  for (auto it = fs::recursive_directory_iterator(base, error); !error && it != fs::end(it);
       it.increment(error)) {
    // Lexically: relative() would resolve a link to where it leads.
    std::string rel = it->path().lexically_relative(base).generic_string();
    for (char& c : rel)
      if (c == '/') c = '\\';
    const fs::file_status status = it->symlink_status();
    if (fs::is_symlink(status))
      tree[rel] = "link";
    else if (fs::is_directory(status))
      tree[rel + "\\"] = "";
    else
      tree[rel] = (IsReadOnly(it->path().string()) ? "r " : "w ") + ReadAll(it->path().string());
  }
  return tree;
}

void RemoveTree(const std::string& path) {
  std::error_code error;
  const fs::path root = NativePath(path);
  if (!fs::exists(fs::symlink_status(root, error))) return;
  // remove_all cannot delete read-only entries on Windows.
  for (auto it = fs::recursive_directory_iterator(root, error); !error && it != fs::end(it);
       it.increment(error))
    fs::permissions(it->path(), fs::perms::owner_write, fs::perm_options::add, error);
  fs::permissions(root, fs::perms::owner_write, fs::perm_options::add, error);
  fs::remove_all(root, error);
}

}  // namespace tvex_test
