#include "platform/file_ops.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <memory>

#include "platform/file_system.h"

namespace {

constexpr std::size_t kCopyChunk = 256 * 1024;
constexpr char kTempPrefix[] = "~tvex";
constexpr char kTempSuffix[] = ".tmp";
constexpr int kTempAttempts = 1000;

using UniqueFile = std::unique_ptr<std::FILE, platform::FileCloser>;

bool IsEmpty(const char* text) { return text == nullptr || *text == '\0'; }

// Every read and write here moves a large block, so a stream buffer only adds a copy.
std::FILE* Unbuffered(std::FILE* f) {
  if (f) std::setvbuf(f, nullptr, _IONBF, 0);
  return f;
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

// A different number at every call, and different between processes started together.
unsigned NextTempNumber() {
  static std::atomic<unsigned> counter{static_cast<unsigned>(
      std::chrono::steady_clock::now().time_since_epoch().count() * 2654435761u)};
  return counter.fetch_add(0x9E3779B9u);
}

}  // namespace

bool FileExists(const char* path) {
  if (IsEmpty(path)) return false;
  return platform::Fs().Find(path) == platform::EntryKind::kFile;
}

bool DirectoryExists(const char* path) {
  if (IsEmpty(path)) return false;
  std::string dir = path;
  if (dir.back() == '\\') dir.pop_back();
  return platform::Fs().Find(dir) == platform::EntryKind::kDirectory;
}

bool CopyFileBytes(const char* source, const char* target) {
  if (IsEmpty(source) || IsEmpty(target)) return false;
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

std::FILE* CreateTempFileIn(const std::string& dir, std::string& path) {
  for (int attempt = 0; attempt < kTempAttempts; ++attempt) {
    char name[32];
    std::snprintf(name, sizeof name, "%s%08x%s", kTempPrefix, NextTempNumber(), kTempSuffix);
    std::string candidate = dir + name;
    errno = 0;
    if (std::FILE* f = platform::Fs().CreateNew(candidate)) {
      path = std::move(candidate);
      return f;
    }
    // Only a name that is taken is worth another try; anything else will fail again.
    if (errno != EEXIST) break;
  }
  path.clear();
  return nullptr;
}

bool IsTempFileName(std::string_view name) {
  constexpr std::size_t kPrefix = sizeof kTempPrefix - 1;
  constexpr std::size_t kSuffix = sizeof kTempSuffix - 1;
  if (name.size() != kPrefix + 8 + kSuffix) return false;
  if (name.substr(0, kPrefix) != kTempPrefix) return false;
  if (name.substr(kPrefix + 8) != kTempSuffix) return false;
  for (char c : name.substr(kPrefix, 8))
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
  return true;
}
