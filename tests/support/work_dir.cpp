#include "tests/support/work_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "tests/support/disk_files.h"

namespace fs = std::filesystem;

namespace tvex_test {

WorkDir::WorkDir() {
  const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
  const fs::path dir = fs::current_path() / "test_work" /
                       (std::string(info->test_suite_name()) + "." + info->name());
  m_strDir = dir.string();
  for (char& c : m_strDir)
    if (c == '/') c = '\\';
  RemoveTree(m_strDir);
  std::error_code error;
  fs::create_directories(dir, error);
  EXPECT_FALSE(error) << m_strDir << ": " << error.message();
}

WorkDir::~WorkDir() { RemoveTree(m_strDir); }

std::string WorkDir::Path(const std::string& name) const { return m_strDir + "\\" + name; }

std::vector<std::string> WorkDir::Files() const {
  std::vector<std::string> names;
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(NativePath(m_strDir), error))
    names.push_back(entry.path().filename().string());
  EXPECT_FALSE(error) << m_strDir << ": " << error.message();
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace tvex_test
