#include <cstdio>
#include <string>

#include "platform/message_box.h"

namespace platform {

int ShowMessageBox(void*, const std::string& text, const std::string& caption, unsigned) {
  std::string line = text;
  for (char& c : line)
    if (c == '\n') c = ' ';
  std::fprintf(stderr, "%s: %s\n", caption.c_str(), line.c_str());
  return kIdOk;
}

}  // namespace platform
