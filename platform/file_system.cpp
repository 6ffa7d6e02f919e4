#include "platform/file_system.h"

#include <atomic>

#include "platform/trusted_folders.h"

namespace platform {
namespace {

RealFileSystem& Real() {
  static RealFileSystem real;
  return real;
}

std::atomic<FileSystem*>& Active() {
  static std::atomic<FileSystem*> active{&Real()};
  return active;
}

}  // namespace

FileSystem& Fs() { return *Active().load(std::memory_order_acquire); }

ScopedFileSystem::ScopedFileSystem(FileSystem& fs) : previous_(Active().exchange(&fs)) {}

ScopedFileSystem::~ScopedFileSystem() { Active().store(previous_); }

std::size_t RealFileSystem::Read(void* data, std::size_t size, std::size_t count, std::FILE* f) {
  return std::fread(data, size, count, f);
}

std::size_t RealFileSystem::Write(const void* data, std::size_t size, std::size_t count,
                                  std::FILE* f) {
  return std::fwrite(data, size, count, f);
}

int RealFileSystem::Close(std::FILE* f) { return std::fclose(f); }

int RealFileSystem::StreamError(std::FILE* f) { return std::ferror(f); }

std::size_t RealFileSystem::TrustMark() { return trusted_->Mark(); }

}  // namespace platform
