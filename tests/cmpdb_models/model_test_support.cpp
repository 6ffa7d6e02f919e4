#include "model_test_support.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/message_box.h"

namespace fs = std::filesystem;

namespace model_test {
namespace {

std::string Hex(const std::string& text) {
  static const char kDigits[] = "0123456789abcdef";
  std::string hex;
  for (unsigned char c : text) {
    hex += kDigits[c >> 4];
    hex += kDigits[c & 15];
  }
  return hex;
}

bool Writing(const char* mode) { return mode[0] == 'w' || mode[0] == 'a'; }

}  // namespace

WorkDir::WorkDir() {
  const testing::TestInfo* info = testing::UnitTest::GetInstance()->current_test_info();
  const fs::path dir = fs::temp_directory_path() / "tvex-cmpdb-models" /
                       (std::string(info->test_suite_name()) + "." + info->name());
  std::error_code ignored;
  fs::remove_all(dir, ignored);
  fs::create_directories(dir);
  m_strDir = dir.string();
}

WorkDir::~WorkDir() {
  std::error_code ignored;
  for (const auto& entry : fs::recursive_directory_iterator(m_strDir, ignored)) {
    fs::permissions(entry.path(), fs::perms::owner_write, fs::perm_options::add, ignored);
  }
  fs::remove_all(m_strDir, ignored);
}

std::string WorkDir::Path(const std::string& name) const {
  return (fs::path(m_strDir) / name).string();
}

std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  EXPECT_TRUE(in) << path;
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void Spit(const std::string& path, const std::string& content) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(content.data(), static_cast<std::streamsize>(content.size()));
  ASSERT_TRUE(out) << path;
}

BoxCapture::BoxCapture() {
  platform::SetMessageBoxHook([this](const std::string& text, const std::string&, unsigned) {
    m_texts.push_back(text);
    std::fprintf(stderr, "box:%s;\n", Hex(text).c_str());
    std::fflush(stderr);
    return platform::kIdOk;
  });
}

BoxCapture::~BoxCapture() { platform::SetMessageBoxHook(nullptr); }

std::string BoxPattern(const std::string& text) { return "box:" + Hex(text) + ";"; }

std::FILE* CueFileSystem::Open(const std::string& path, const char* mode) {
  if (Writing(mode)) {
    if (path == refuseWritePath || readOnly.count(path)) return nullptr;
    std::FILE* f = RealFileSystem::Open(path, mode);
    if (f && path == shortWritePath) m_shortFiles.insert(f);
    return f;
  }
  if (path == refuseReadPath && refusedReads > 0) {
    --refusedReads;
    return nullptr;
  }
  return RealFileSystem::Open(path, mode);
}

std::size_t CueFileSystem::Write(const void* data, std::size_t size, std::size_t count,
                                 std::FILE* f) {
  if (m_shortFiles.count(f)) return 0;
  return RealFileSystem::Write(data, size, count, f);
}

int CueFileSystem::SetReadOnly(const std::string& path, bool makeReadOnly) {
  if (makeReadOnly) {
    readOnly.insert(path);
  } else {
    readOnly.erase(path);
    ++readOnlyClears;
  }
  return 0;
}

int CueFileSystem::Close(std::FILE* f) {
  m_shortFiles.erase(f);
  return RealFileSystem::Close(f);
}

void CueFileSystem::Sleep(unsigned milliseconds) { sleeps.push_back(milliseconds); }

}  // namespace model_test
