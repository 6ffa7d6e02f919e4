// The GUI tests' side of the test installer's hold point (tests/app/install_hold_gate.cpp).
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "tools/gui_driver/gui_driver.h"

namespace gui {

// The entry at which the scenarios hold an installation to act while it runs: files before it
// are written, files after it are not.
constexpr char kHeldEntry[] = "Extracting: .\\lib\\sub\\edge1025.lib.gz";

// Holds the installers started while it lives at the first progress line that begins with each
// of lines, each until its Release (or the end of the hold).
class Hold {
 public:
  Hold(const std::string& folder, const std::vector<std::string>& lines) {
    std::string setting;
    for (std::size_t i = 0; i < lines.size(); ++i) {
      gates_.push_back(folder + "\\hold" + std::to_string(i) + ".gate");
      WriteFile(gates_.back(), "");
      setting += (setting.empty() ? "" : ";") + lines[i] + "|" + gates_.back();
    }
    ::SetEnvironmentVariableA("TVEX_TEST_HOLD", setting.c_str());
  }
  ~Hold() {
    ::SetEnvironmentVariableA("TVEX_TEST_HOLD", nullptr);
    for (std::size_t i = 0; i < gates_.size(); ++i) Release(i);
  }
  Hold(const Hold&) = delete;
  Hold& operator=(const Hold&) = delete;

  void Release(std::size_t i = 0) { ::DeleteFileA(gates_[i].c_str()); }

 private:
  std::vector<std::string> gates_;
};

}  // namespace gui
