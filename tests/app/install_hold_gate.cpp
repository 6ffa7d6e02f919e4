// The hold point of the test installers. TVEX_TEST_HOLD="<line>|<gate file>" holds the worker at
// the first progress line that begins with <line> for as long as <gate file> exists: the test
// makes the file before it starts the installer, sees the line on the status line, acts, and
// removes the file to let the installation go on. A stop (Yes to the quit question) ends the
// hold at once. Without the variable nothing is held.
#include <windows.h>

#include <string>

#include "app/install_hold.h"

namespace {

struct Gate {
  std::string line;
  std::string file;
};

Gate ReadGate() {
  char value[2048] = {};
  const DWORD got = ::GetEnvironmentVariableA("TVEX_TEST_HOLD", value, sizeof value);
  const std::string text = got && got < sizeof value ? std::string(value, got) : std::string();
  const std::size_t bar = text.rfind('|');
  if (bar == std::string::npos || bar == 0) return {};
  return {text.substr(0, bar), text.substr(bar + 1)};
}

}  // namespace

void HoldAtProgressLine(const std::string& line, const std::atomic<bool>& stopping) {
  static const Gate gate = ReadGate();
  static std::atomic<bool> held{false};
  if (gate.line.empty() || line.rfind(gate.line, 0) != 0 || held.exchange(true)) return;
  while (!stopping.load() && ::GetFileAttributesA(gate.file.c_str()) != INVALID_FILE_ATTRIBUTES)
    ::Sleep(10);
}
