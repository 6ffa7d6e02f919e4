#include "platform/reporter.h"

#include <cstdio>

#include "platform/message_box.h"

namespace platform {

void AppMessageReporter::Message(const std::string& text) { AppMessageBox(text); }

void StderrReporter::Message(const std::string& text) {
  std::fprintf(stderr, "%s: %s\n", prefix_.c_str(), text.c_str());
}

}  // namespace platform
