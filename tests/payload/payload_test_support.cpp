#include "payload_test_support.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <mutex>

#include "platform/message_box.h"

namespace fs = std::filesystem;

namespace payload_test {
namespace {

void PutLittleEndian32(std::string& out, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

std::string Hex(const std::string& text) {
  static const char kDigits[] = "0123456789abcdef";
  std::string hex;
  for (unsigned char c : text) {
    hex += kDigits[c >> 4];
    hex += kDigits[c & 15];
  }
  return hex;
}

std::mutex& BoxLock() {
  static std::mutex lock;
  return lock;
}

std::vector<std::string>& Boxes() {
  static std::vector<std::string> boxes;
  return boxes;
}

}  // namespace

std::string Gzip(const std::string& content) {
  std::string out("\x1F\x8B\x08\x00\x00\x00\x00\x00\x00\x0B", 10);
  z_stream stream{};
  EXPECT_EQ(deflateInit2(&stream, 9, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY), Z_OK);
  std::vector<unsigned char> buffer(deflateBound(&stream, content.size()) + 16);
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(content.data()));
  stream.avail_in = static_cast<uInt>(content.size());
  stream.next_out = buffer.data();
  stream.avail_out = static_cast<uInt>(buffer.size());
  EXPECT_EQ(deflate(&stream, Z_FINISH), Z_STREAM_END);
  out.append(reinterpret_cast<const char*>(buffer.data()), stream.total_out);
  deflateEnd(&stream);
  PutLittleEndian32(out, crc32(0, reinterpret_cast<const Bytef*>(content.data()),
                               static_cast<uInt>(content.size())));
  PutLittleEndian32(out, static_cast<std::uint32_t>(content.size()));
  return out;
}

std::string NoiseBytes(std::size_t size, unsigned seed) {
  std::string bytes(size, '\0');
  std::uint32_t state = seed * 2654435761u + 1;
  for (char& c : bytes) {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    c = static_cast<char>(state >> 24);
  }
  return bytes;
}

std::string TextBytes(std::size_t size) {
  static const char kLine[] =
      "SYMBOL cap 16 0 R0\r\nWINDOW 0 24 8 Left 2\r\nLINE Normal 0 0 32 0\r\n";
  std::string text;
  while (text.size() < size) text += kLine;
  text.resize(size);
  return text;
}

void TestPayload::Add(const std::string& name, const std::string& content, bool readOnly) {
  const auto size = static_cast<std::uint32_t>(content.size());
  if (content.size() <= 1024)
    AddRaw(name, content, size, 0, readOnly);
  else {
    std::string packed = Gzip(content);
    AddRaw(name, packed, size, static_cast<std::uint32_t>(packed.size()), readOnly);
  }
}

void TestPayload::AddRaw(const std::string& name, const std::string& stored, std::uint32_t size,
                         std::uint32_t packedSize, bool readOnly) {
  const std::string& storedName = names_.emplace_back(name);
  const std::string& storedData = data_.emplace_back(stored);
  entries_.push_back(PayloadEntry{storedName.c_str(), readOnly ? 1u : 0u, size, packedSize, 0,
                                  reinterpret_cast<const unsigned char*>(storedData.data())});
  pointers_.push_back(&entries_.back());
}

std::string FreshWorkDir() {
  const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
  const fs::path dir = fs::current_path() / "payload_work" /
                       (std::string(info->test_suite_name()) + "." + info->name());
  RemoveTree(dir.string());
  std::error_code error;
  fs::create_directories(dir, error);
  EXPECT_FALSE(error) << dir.string() << ": " << error.message();
  std::string path = dir.string();
  for (char& c : path)
    if (c == '/') c = '\\';
  return path;
}

static fs::path Native(const std::string& path) {
  std::string native = path;
  for (char& c : native)
    if (c == '\\') c = '/';
  return fs::path(native);
}

void RemoveTree(const std::string& path) {
  std::error_code error;
  const fs::path root = Native(path);
  if (!fs::exists(root, error)) return;
  for (auto it = fs::recursive_directory_iterator(root, error); !error && it != fs::end(it);
       it.increment(error))
    fs::permissions(it->path(), fs::perms::owner_write, fs::perm_options::add, error);
  fs::remove_all(root, error);
}

std::string Slurp(const std::string& path) {
  std::ifstream in(Native(path), std::ios::binary);
  EXPECT_TRUE(in.good()) << "cannot read " << path;
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void Spit(const std::string& path, const std::string& content) {
  std::ofstream out(Native(path), std::ios::binary | std::ios::trunc);
  out << content;
  EXPECT_TRUE(out.good()) << "cannot write " << path;
}

bool IsReadOnly(const std::string& path) {
  std::error_code error;
  const fs::perms perms = fs::status(Native(path), error).permissions();
  return !error && (perms & fs::perms::owner_write) == fs::perms::none;
}

BoxCapture::BoxCapture() {
  Boxes().clear();
  platform::SetMessageBoxHook([](const std::string& text, const std::string&, unsigned) {
    std::fprintf(stderr, "box:%s;", Hex(text).c_str());
    std::fflush(stderr);
    std::lock_guard<std::mutex> guard(BoxLock());
    Boxes().push_back(text);
    return platform::kIdOk;
  });
}

BoxCapture::~BoxCapture() { platform::SetMessageBoxHook(nullptr); }

const std::vector<std::string>& BoxCapture::Texts() const { return Boxes(); }

std::string BoxPattern(const std::string& text) { return "box:" + Hex(text) + ";"; }

std::string BoxPattern(const std::string& head, const std::string& tail) {
  return "box:" + Hex(head) + "\\w*" + Hex(tail) + ";";
}

std::FILE* ScriptedFileSystem::Open(const std::string& path, const char* mode) {
  const std::string m = mode;
  const bool writes = m.find_first_of("wa+") != std::string::npos;
  if (!refuseWritePath.empty() && path == refuseWritePath && writes) return nullptr;
  return RealFileSystem::Open(path, mode);
}

std::size_t ScriptedFileSystem::Write(const void* data, std::size_t size, std::size_t count,
                                      std::FILE* f) {
  if (++writes == failWrite) return 0;
  return RealFileSystem::Write(data, size, count, f);
}

int ScriptedFileSystem::Close(std::FILE* f) {
  const int result = RealFileSystem::Close(f);
  return ++closes == failClose ? EOF : result;
}

int ScriptedFileSystem::MakeDirectory(const std::string& path) {
  ++makeDirectories;
  return refuseDirectories ? ENOENT : RealFileSystem::MakeDirectory(path);
}

std::string ScriptedFileSystem::CreateTempFile(const char* prefix) {
  if (refuseTemp) return {};
  if (!forcedTemp.empty()) return forcedTemp;
  std::string temp = RealFileSystem::CreateTempFile(prefix);
  if (!temp.empty()) temps.push_back(temp);
  return temp;
}

std::vector<std::string> ScriptedFileSystem::LeftoverTemps() {
  std::vector<std::string> left;
  for (const std::string& temp : temps)
    if (Find(temp) != platform::EntryKind::kNone) left.push_back(temp);
  return left;
}

}  // namespace payload_test
