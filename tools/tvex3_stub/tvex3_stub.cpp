// tvex3.exe stand-in: records how it was started and ends at once.
//
// Appends one line to launch.log in the folder that holds this program:
//   <whole command line (GetCommandLineA)> TAB <working directory> CR LF
// and exits with 0, so tests and demos can see that the installer started the installed
// program, with which command line (the quoted path, or "-uninstall") and from where. A GUI
// program, so that starting it never opens a console window; plain Win32 without the C++
// library, so that it stays small in every payload that carries it.
#include <windows.h>

namespace {

// A heap block freed when it goes out of scope.
class HeapText {
 public:
  explicit HeapText(DWORD size)
      : text_(static_cast<char*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, size))) {}
  ~HeapText() {
    if (text_) HeapFree(GetProcessHeap(), 0, text_);
  }
  HeapText(const HeapText&) = delete;
  HeapText& operator=(const HeapText&) = delete;
  char* get() const { return text_; }

 private:
  char* text_;
};

// Appends text to the file in one write, so lines stay whole when two starts overlap.
void AppendLine(const char* path, const char* text, DWORD length) {
  HANDLE file = CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(file, text, length, &written, nullptr);
  CloseHandle(file);
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  // The log's path: this program's own path with its file name replaced.
  DWORD capacity = MAX_PATH;
  for (;;) {
    HeapText module(capacity + sizeof "launch.log");
    if (!module.get()) return 0;
    DWORD n = GetModuleFileNameA(nullptr, module.get(), capacity);
    if (n == 0) return 0;
    if (n >= capacity) {
      capacity *= 2;
      continue;
    }
    char* name = module.get();
    for (char* p = module.get(); *p; ++p) {
      if (*p == '\\' || *p == '/') name = p + 1;
    }
    lstrcpyA(name, "launch.log");

    const char* commandLine = GetCommandLineA();
    DWORD commandLength = lstrlenA(commandLine);
    DWORD dirLength = GetCurrentDirectoryA(0, nullptr);  // includes the NUL
    HeapText line(commandLength + dirLength + 3);
    if (!line.get()) return 0;
    lstrcpyA(line.get(), commandLine);
    line.get()[commandLength] = '\t';
    DWORD got = dirLength ? GetCurrentDirectoryA(dirLength, line.get() + commandLength + 1) : 0;
    if (got >= dirLength) got = 0;
    lstrcpyA(line.get() + commandLength + 1 + got, "\r\n");
    AppendLine(module.get(), line.get(), commandLength + 1 + got + 2);
    return 0;
  }
}
