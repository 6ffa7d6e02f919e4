// tvex-extract [--update] DIR: installs the built-in payload below DIR as the installer's
// worker does, then prints how many files and bytes it wrote and how long it took.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "payload/extraction.h"
#include "payload/install_state.h"
#include "payload/paths.h"
#include "platform/message_box.h"

namespace {

int Usage() {
  std::fprintf(stderr, "usage: tvex-extract [--update] DIR\n");
  return 2;
}

// The engine ends the process with code 0 on a write failure, as the installer does; a
// script must see that the tree is incomplete.
void ExitNonZeroUnlessDone() {
  if (g_bInstallDone.load() == 0) std::_Exit(1);
}

}  // namespace

int main(int argc, char** argv) {
  bool update = false;
  const char* dir = nullptr;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--update") == 0 && !update)
      update = true;
    else if (dir == nullptr && argv[i][0] != '-')
      dir = argv[i];
    else
      return Usage();
  }
  if (dir == nullptr) return Usage();

  // Backslashes throughout, so that CreateDirectoryTree can walk up the chain; the file seam
  // maps them back to slashes on POSIX.
  std::error_code error;
  std::string installDir = std::filesystem::absolute(dir, error).string();
  if (error) {
    std::fprintf(stderr, "tvex-extract: %s: %s\n", dir, error.message().c_str());
    return 1;
  }
  for (char& c : installDir)
    if (c == '/') c = '\\';

  platform::SetMessageBoxHook([](const std::string& text, const std::string&, unsigned) {
    std::fprintf(stderr, "tvex-extract: %s\n", text.c_str());
    return platform::kIdOk;
  });
  std::atexit(ExitNonZeroUnlessDone);

  int counter = 0;
  CreateDirectoryTree(installDir.c_str(), counter);
  g_szInstallDir = installDir;
  g_bUpdateMode.store(update ? 1 : 0);
  g_bInstallDone.store(0);

  const auto start = std::chrono::steady_clock::now();
  ExtractionWorker();
  const std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - start;

  unsigned long long bytes = 0;
  for (std::size_t i = 0; i < g_payloadTableSize; ++i) bytes += g_payloadTable[i]->nSize;
  std::printf("tvex-extract: %zu files, %llu bytes, %.3f s\n", g_payloadTableSize, bytes,
              seconds.count());
  return 0;
}
