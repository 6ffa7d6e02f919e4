#include "platform/file_ops.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>

#include "platform/atomic_file.h"
#include "platform/code_page.h"
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

// A different number at every call, and different between processes started together.
unsigned NextTempNumber() {
  // Unsigned throughout: the product wraps, as it is meant to.
  static std::atomic<unsigned> counter{
      static_cast<unsigned>(std::chrono::steady_clock::now().time_since_epoch().count()) *
      2654435761u};
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
  if (platform::EndsWithSeparator(dir)) dir.pop_back();
  return platform::Fs().Find(dir) == platform::EntryKind::kDirectory;
}

bool CopyFileBytes(const char* source, const char* target) {
  if (IsEmpty(source) || IsEmpty(target)) return false;
  platform::FileSystem& fs = platform::Fs();
  UniqueFile in(Unbuffered(fs.Open(source, "rb")));
  if (!in) return false;
  platform::AtomicFile copy(target);
  if (!copy.Stream()) return false;
  Unbuffered(copy.Stream());
  const auto buffer = std::make_unique_for_overwrite<unsigned char[]>(kCopyChunk);
  for (;;) {
    const std::size_t got = fs.Read(buffer.get(), 1, kCopyChunk, in.get());
    if (got == 0) break;
    if (fs.Write(buffer.get(), 1, got, copy.Stream()) < got) return false;
  }
  if (fs.StreamError(in.get()) != 0) return false;
  return copy.Commit();
}

bool SameFileContent(const char* a, const char* b) {
  if (IsEmpty(a) || IsEmpty(b)) return false;
  platform::FileSystem& fs = platform::Fs();
  UniqueFile first(Unbuffered(fs.Open(a, "rb")));
  UniqueFile second(Unbuffered(fs.Open(b, "rb")));
  if (!first || !second) return false;
  const auto one = std::make_unique_for_overwrite<unsigned char[]>(kCopyChunk);
  const auto two = std::make_unique_for_overwrite<unsigned char[]>(kCopyChunk);
  for (;;) {
    const std::size_t got = fs.Read(one.get(), 1, kCopyChunk, first.get());
    const std::size_t other = fs.Read(two.get(), 1, kCopyChunk, second.get());
    if (got != other || std::memcmp(one.get(), two.get(), got) != 0) return false;
    if (got == 0) break;
  }
  return fs.StreamError(first.get()) == 0 && fs.StreamError(second.get()) == 0;
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
