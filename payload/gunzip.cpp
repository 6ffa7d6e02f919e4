#include "payload/gunzip.h"

#include "platform/file_system.h"

namespace {

// Most files expand in one block and so take one write; the largest take a handful.
constexpr std::size_t kBlock = 1024 * 1024;

// gzip only: no raw deflate, no zlib wrapper, no pass-through of plain data.
constexpr int kGzipWindowBits = 16 + MAX_WBITS;

// What the gzip reader says: the file's name, a colon and a blank, then the error text.
std::string Prefixed(const std::string& name, const char* text) { return name + ": " + text; }

}  // namespace

GzipExpander::GzipExpander() : block_(std::make_unique_for_overwrite<unsigned char[]>(kBlock)) {}

GzipExpander::~GzipExpander() {
  if (initialised_) inflateEnd(&stream_);
}

Failure GzipExpander::Expand(const unsigned char* data, std::size_t size, const std::string& name,
                             std::FILE* out) {
  platform::FileSystem& fs = platform::Fs();
  return Expand(data, size, name, [&](const unsigned char* block, std::size_t produced) {
    return fs.Write(block, 1, produced, out) == produced;
  });
}

Failure GzipExpander::Expand(const unsigned char* data, std::size_t size, const std::string& name,
                             const Sink& sink) {
  // One state for the whole run: a reset is far cheaper than a new state per file.
  const int start = initialised_ ? inflateReset(&stream_) : inflateInit2(&stream_, kGzipWindowBits);
  if (start != Z_OK) return Prefixed(name, zError(start));
  initialised_ = true;

  stream_.next_in = const_cast<unsigned char*>(data);
  stream_.avail_in = static_cast<uInt>(size);
  for (;;) {
    stream_.next_out = block_.get();
    stream_.avail_out = static_cast<uInt>(kBlock);
    const int result = inflate(&stream_, Z_NO_FLUSH);
    if (result != Z_OK && result != Z_STREAM_END && result != Z_BUF_ERROR)
      return Prefixed(name, stream_.msg ? stream_.msg : zError(result));
    const std::size_t produced = kBlock - stream_.avail_out;
    if (produced > 0 && !sink(block_.get(), produced)) return std::string(kFailedWrite);
    if (result == Z_STREAM_END) break;
    // Room left for output but nothing more to read (or no progress at all): the data ended
    // before the gzip trailer.
    if (result == Z_BUF_ERROR || (stream_.avail_out != 0 && stream_.avail_in == 0))
      return Prefixed(name, "unexpected end of file");
  }
  return std::nullopt;
}
