// The hold point of the test installers. TVEX_TEST_HOLD="<line>|<gate file>" holds the worker at
// the first progress line that begins with <line> for as long as <gate file> exists: the test
// makes the file before it starts the installer, sees the line on the status line, acts, and
// removes the file to let the installation go on. Several holds are separated by ';', each
// held once. A stop (Yes to the quit question) ends a hold at once, except a hold at a line of
// the undo that follows it. Without the variable nothing is held.
#include <windows.h>

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "app/install_hold.h"

namespace {

struct Gate {
  std::string line;
  std::string file;
  std::atomic<bool> held{false};
};

// The holds the variable names, read once.
const std::vector<std::unique_ptr<Gate>>& Gates() {
  static const std::vector<std::unique_ptr<Gate>> gates = [] {
    std::vector<std::unique_ptr<Gate>> read;
    char value[4096] = {};
    const DWORD got = ::GetEnvironmentVariableA("TVEX_TEST_HOLD", value, sizeof value);
    const std::string text = got && got < sizeof value ? std::string(value, got) : std::string();
    for (std::size_t start = 0; start < text.size();) {
      std::size_t end = text.find(';', start);
      if (end == std::string::npos) end = text.size();
      const std::string hold = text.substr(start, end - start);
      const std::size_t bar = hold.rfind('|');
      if (bar != std::string::npos && bar != 0) {
        auto gate = std::make_unique<Gate>();
        gate->line = hold.substr(0, bar);
        gate->file = hold.substr(bar + 1);
        read.push_back(std::move(gate));
      }
      start = end + 1;
    }
    return read;
  }();
  return gates;
}

}  // namespace

void HoldAtProgressLine(const std::string& line, const std::atomic<bool>& stopping) {
  for (const auto& gate : Gates()) {
    if (line.rfind(gate->line, 0) != 0 || gate->held.exchange(true)) continue;
    const bool undoing = line.rfind("Undoing", 0) == 0;
    while ((undoing || !stopping.load()) &&
           ::GetFileAttributesA(gate->file.c_str()) != INVALID_FILE_ATTRIBUTES)
      ::Sleep(10);
  }
}
