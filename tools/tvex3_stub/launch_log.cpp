#include "tools/tvex3_stub/launch_log.h"

#include "platform/code_page.h"

namespace stub {

char* ModulePath(HeapText& block, DWORD extra) {
  // A path that fills the buffer may have been cut: try again with twice the room.
  for (DWORD capacity = MAX_PATH; capacity <= 32768 * 2; capacity *= 2) {
    block.Reset(capacity + extra + 1);
    if (!block.get()) return nullptr;
    DWORD n = GetModuleFileNameA(nullptr, block.get(), capacity);
    if (n == 0) return nullptr;
    if (n < capacity) return block.get();
  }
  return nullptr;
}

char* FileNamePart(char* path) {
  char* name = path;
  for (char* p = path; *p; ++p) {
    if (*p == '\\' || *p == '/')
      name = p + 1;
    else if (platform::IsLeadByte(*p) && p[1])
      ++p;  // a double-byte character's second byte (older Windows) may be 0x5C
  }
  return name;
}

bool AppendToFile(const char* path, const char* text, DWORD length) {
  HANDLE file = CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  BOOL ok = WriteFile(file, text, length, &written, nullptr);
  CloseHandle(file);
  return ok && written == length;
}

void LogLine(const char* part1, const char* part2, const char* part3, const char* part4) {
  HeapText block;
  char* log = ModulePath(block, sizeof "launch.log");
  if (!log) return;
  lstrcpyA(FileNamePart(log), "launch.log");

  const char* parts[] = {part1, part2, part3, part4};
  DWORD length = 2;
  for (const char* part : parts) length += part ? lstrlenA(part) : 0;
  HeapText line(length + 1);
  if (!line.get()) return;
  for (const char* part : parts) {
    if (part) lstrcatA(line.get(), part);
  }
  lstrcatA(line.get(), "\r\n");
  AppendToFile(log, line.get(), length);
}

void LogStart() {
  DWORD dirLength = GetCurrentDirectoryA(0, nullptr);  // includes the NUL
  HeapText dir(dirLength + 1);
  if (!dir.get()) return;
  DWORD got = dirLength ? GetCurrentDirectoryA(dirLength, dir.get()) : 0;
  if (got >= dirLength) dir.get()[0] = '\0';
  LogLine(GetCommandLineA(), "\t", dir.get());
}

}  // namespace stub
