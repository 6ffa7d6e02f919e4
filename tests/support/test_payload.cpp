#include "tests/support/test_payload.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include "payload/undo.h"
#include "platform/message_box.h"

namespace tvex_test {
namespace {

void PutLittleEndian32(std::string& out, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
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

void TestReport::Message(const std::string& text) { platform::AppMessageBox(text); }

bool InstallAndCommit(const ExtractionJob& job, ExtractionReport& report) {
  if (RunExtraction(job, report) != ExtractionOutcome::kInstalled) return false;
  if (!CommitExtraction(job.installDir, report)) return false;
  RemoveSetAsideFiles(job.installDir);
  return true;
}

}  // namespace tvex_test
