#include "payload/gunzip.h"

#include <zlib.h>

#include <cerrno>
#include <cstring>
#include <memory>

#include "platform/file_system.h"
#include "platform/message_box.h"

namespace {

// Large enough that a multi-megabyte file takes few calls; the sizes are not observable.
constexpr std::size_t kInputChunk = 64 * 1024;
constexpr std::size_t kOutputChunk = 256 * 1024;
constexpr std::size_t kCopyChunk = 256 * 1024;

// gzip only (no raw deflate, no zlib wrapper, no pass-through of plain files).
constexpr int kGzipWindowBits = 16 + MAX_WBITS;

using UniqueFile = std::unique_ptr<std::FILE, platform::FileCloser>;

// Every read and write here moves a large block, so a stream buffer only adds a copy (and a
// status query to size it).
std::FILE* Unbuffered(std::FILE* f) {
  if (f) std::setvbuf(f, nullptr, _IONBF, 0);
  return f;
}

std::string Quoted(const char* format, const char* path) {
  std::string text = format;
  text.replace(text.find("%s"), 2, path ? path : "");
  return text;
}

// One inflate state; inflateEnd runs on every exit.
class GzipInflater {
 public:
  GzipInflater() { ok_ = inflateInit2(&stream_, kGzipWindowBits) == Z_OK; }
  ~GzipInflater() {
    if (ok_) inflateEnd(&stream_);
  }
  GzipInflater(const GzipInflater&) = delete;
  GzipInflater& operator=(const GzipInflater&) = delete;

  bool ok() const { return ok_; }
  z_stream& stream() { return stream_; }

  // Releases the state; false when zlib reports it inconsistent.
  bool End() {
    ok_ = false;
    return inflateEnd(&stream_) == Z_OK;
  }

 private:
  z_stream stream_{};
  bool ok_ = false;
};

// What gzerror says: the input's name, a colon and a blank, then the error text.
std::string Prefixed(const char* inputName, const char* text) {
  return std::string(inputName ? inputName : "") + ": " + text;
}

std::string StreamError(const char* inputName, const z_stream& stream, int code) {
  return Prefixed(inputName, stream.msg ? stream.msg : zError(code));
}

}  // namespace

std::string MakeTempName(const char* prefix) { return platform::Fs().CreateTempFile(prefix); }

Failure GunzipStream(std::FILE* in, const char* inputName, std::FILE* out) {
  UniqueFile output(out);
  platform::FileSystem& fs = platform::Fs();
  GzipInflater inflater;
  if (!inflater.ok()) return StreamError(inputName, inflater.stream(), Z_MEM_ERROR);
  z_stream& stream = inflater.stream();

  // Left uninitialised: zero-filling them would cost more than many small files take.
  const auto input = std::make_unique_for_overwrite<unsigned char[]>(kInputChunk);
  const auto expanded = std::make_unique_for_overwrite<unsigned char[]>(kOutputChunk);
  int result = Z_OK;
  while (result != Z_STREAM_END) {
    const std::size_t got = fs.Read(input.get(), 1, kInputChunk, in);
    if (got == 0) {
      if (std::ferror(in)) return Prefixed(inputName, std::strerror(errno));
      // The data ended before the gzip trailer.
      return Prefixed(inputName, "unexpected end of file");
    }
    stream.next_in = input.get();
    stream.avail_in = static_cast<uInt>(got);
    // Drain everything this input yields; a full output buffer may hide more.
    do {
      stream.next_out = expanded.get();
      stream.avail_out = static_cast<uInt>(kOutputChunk);
      result = inflate(&stream, Z_NO_FLUSH);
      if (result != Z_OK && result != Z_STREAM_END && result != Z_BUF_ERROR)
        return StreamError(inputName, stream, result);
      const std::size_t produced = kOutputChunk - stream.avail_out;
      if (produced > 0 && fs.Write(expanded.get(), 1, produced, out) < produced)
        return std::string("gz_uncompress(): failed fwrite");
    } while (stream.avail_out == 0 && result != Z_STREAM_END);
  }
  // Bytes after the single gzip member are not part of the file.
  if (fs.Close(output.release()) != 0) return std::string("gz_uncompress(): failed fwrite");
  if (!inflater.End()) return std::string("gz_uncompress(): failed gzclose()");
  return std::nullopt;
}

namespace {

// GunzipToFile with the output opened in the given mode.
Failure ExpandInto(const char* input, const char* output, const char* outputMode) {
  platform::FileSystem& fs = platform::Fs();
  UniqueFile in(input && *input ? Unbuffered(fs.Open(input, "rb")) : nullptr);
  if (!in) return Quoted("Could not open uncompression input file: \"%s\"", input);
  std::FILE* out = output && *output ? Unbuffered(fs.Open(output, outputMode)) : nullptr;
  if (!out) return Quoted("Could not open uncompression output file: \"%s\"", output);
  return GunzipStream(in.get(), input, out);
}

// Copies the rest of in to out and closes out; false on a read error, a short write or a
// failed close (some file systems report a failed write only then).
bool CopyStream(std::FILE* in, UniqueFile out) {
  platform::FileSystem& fs = platform::Fs();
  const auto buffer = std::make_unique_for_overwrite<unsigned char[]>(kCopyChunk);
  for (;;) {
    const std::size_t got = fs.Read(buffer.get(), 1, kCopyChunk, in);
    if (got == 0) break;
    if (fs.Write(buffer.get(), 1, got, out.get()) < got) return false;
  }
  if (std::ferror(in)) return false;
  return fs.Close(out.release()) == 0;
}

// The length of an open stream, which is left at its start; -1 when unknown.
long StreamLength(std::FILE* f) {
  if (std::fseek(f, 0, SEEK_END) != 0) return -1;
  const long length = std::ftell(f);
  std::rewind(f);
  return length;
}

// Copies the expansion at temp back over path. A path no longer than the expansion is
// overwritten where it stands: opening it truncated makes ext4 write it out as soon as it is
// closed, which cost most of the extra time of installing packed files. Anything else goes
// through CopyFileBytes.
bool CopyBack(const std::string& temp, const char* path) {
  platform::FileSystem& fs = platform::Fs();
  UniqueFile in(Unbuffered(fs.Open(temp, "rb")));
  if (!in) return false;
  UniqueFile out(Unbuffered(fs.Open(path, "r+b")));
  if (out) {
    const long have = StreamLength(out.get());
    const long want = StreamLength(in.get());
    if (have >= 0 && want >= 0 && have <= want) return CopyStream(in.get(), std::move(out));
  }
  out.reset();
  in.reset();
  return CopyFileBytes(temp.c_str(), path);
}

}  // namespace

Failure GunzipToFile(const char* input, const char* output) {
  return ExpandInto(input, output, "wb");
}

Failure GunzipInPlace(const char* path) {
  const std::string temp = MakeTempName("tmp");
  if (temp.empty()) return Quoted("Could not create a temporary file to uncompress \"%s\"", path);
  platform::FileSystem& fs = platform::Fs();
  if (temp == (path ? path : "")) {
    // Going on would expand the file onto itself and destroy it.
    platform::AppMessageBox("Internal Error: duplicate tmp file names.");
    return std::string("Internal Error: duplicate tmp file names.");
  }
  // The temporary file is new and empty, so it is opened without truncating, for the same
  // reason as in CopyBack: deleting a file that is being written out waits for the write.
  Failure failure = ExpandInto(path, temp.c_str(), "r+b");
  if (!failure && !CopyBack(temp, path))
    failure =
        Quoted("Trouble uncompressing file: \"%s\"\n    Disk full?  Permission problem?", path);
  fs.Remove(temp);
  return failure;
}

bool CopyFileBytes(const char* source, const char* target) {
  if (source == nullptr || *source == '\0' || target == nullptr || *target == '\0') return false;
  platform::FileSystem& fs = platform::Fs();
  UniqueFile in(Unbuffered(fs.Open(source, "rb")));
  if (!in) return false;
  UniqueFile out(Unbuffered(fs.Open(target, "wb")));
  if (!out) {
    fs.SetReadOnly(target, false);
    out.reset(Unbuffered(fs.Open(target, "wb")));
    if (!out) return false;
  }
  return CopyStream(in.get(), std::move(out));
}
