#include "cmpdb/merge_conventions.h"

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

#include "payload/gunzip.h"
#include "payload/paths.h"
#include "platform/file_system.h"
#include "platform/message_box.h"

namespace {

// Every block carries its size in front of it, so that XRealloc knows how many bytes it adds
// and must clear without asking the allocator. The header keeps the block maximally aligned.
struct alignas(std::max_align_t) BlockHeader {
  std::size_t size;
};
constexpr std::size_t kHeader = sizeof(BlockHeader);

BlockHeader* HeaderOf(void* block) { return static_cast<BlockHeader*>(block) - 1; }

std::size_t WithHeader(std::size_t size) {
  if (size > static_cast<std::size_t>(-1) - kHeader) FatalOutOfMemory();
  return size + kHeader;
}

void OutOfMemoryHandler() { FatalOutOfMemory(); }

}  // namespace

void BackupDatabase(const char* path) {
  if (!path || !*path || !FileExists(path)) return;
  const std::string backup = std::string(path) + ".bak";
  if (CopyFileBytes(path, backup.c_str())) return;
  // A file that is briefly locked (by a sync client, say) usually frees itself within seconds.
  platform::Fs().Sleep(5000);
  if (CopyFileBytes(path, backup.c_str())) return;
  MessageBoxF("Trouble backing up %s\nas %s\n\nRelease sync aborted.", path, backup.c_str());
  platform::EndProcess(0);
}

void* XAlloc(std::size_t size) {
  if (size == 0) return nullptr;
  void* raw = std::calloc(1, WithHeader(size));
  if (!raw) FatalOutOfMemory();
  auto* header = static_cast<BlockHeader*>(raw);
  header->size = size;
  return header + 1;
}

void* XRealloc(void* block, std::size_t size) {
  if (size == 0) {
    XFree(block);
    return nullptr;
  }
  if (!block) return XAlloc(size);
  const std::size_t old = HeaderOf(block)->size;
  void* raw = std::realloc(HeaderOf(block), WithHeader(size));
  if (!raw) FatalOutOfMemory();
  auto* header = static_cast<BlockHeader*>(raw);
  header->size = size;
  if (size > old) std::memset(reinterpret_cast<char*>(header + 1) + old, 0, size - old);
  return header + 1;
}

void XFree(void* block) {
  if (block) std::free(HeaderOf(block));
}

void FatalOutOfMemory() {
  // The message box may itself need memory; a second exhaustion on the way ends at once.
  static std::atomic<bool> reporting{false};
  if (!reporting.exchange(true)) platform::AppMessageBox("Out of Memory!");
  platform::EndProcess(-1);
}

void InstallOutOfMemoryHandler() { std::set_new_handler(&OutOfMemoryHandler); }

int MessageBoxF(const char* format, ...) {
  std::string text;
  std::va_list args;
  va_start(args, format);
  std::va_list copy;
  va_copy(copy, args);
  const int length = std::vsnprintf(nullptr, 0, format, copy);
  va_end(copy);
  if (length > 0) {
    text.resize(static_cast<std::size_t>(length) + 1);
    std::vsnprintf(text.data(), text.size(), format, args);
    text.resize(static_cast<std::size_t>(length));
  }
  va_end(args);
  return platform::AppMessageBox(text);
}
