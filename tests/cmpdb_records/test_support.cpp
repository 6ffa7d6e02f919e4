#include "tests/cmpdb_records/test_support.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/file_system.h"
#include "platform/message_box.h"

ScratchDir::ScratchDir() {
  std::string file = platform::Fs().CreateTempFile("cmpdbrec");
  platform::Fs().Remove(file);
  dir_ = file + "d";
  std::filesystem::create_directories(dir_);
}

ScratchDir::~ScratchDir() {
  std::error_code ignored;
  std::filesystem::remove_all(dir_, ignored);
}

std::string ScratchDir::Path(const std::string& name) const { return dir_ + "/" + name; }

std::vector<std::string> ScratchDir::Files() const {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir_)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteAll(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), std::streamsize(bytes.size()));
}

MessageLog::MessageLog() {
  platform::SetMessageBoxHook([this](const std::string& text, const std::string&, unsigned) {
    texts_.push_back(text);
    return platform::kIdOk;
  });
}

MessageLog::~MessageLog() { platform::SetMessageBoxHook({}); }
