#include "platform/code_page.h"

#include <atomic>

namespace platform {

namespace {

std::atomic<ScopedLeadBytes::Test>& Installed() {
  static std::atomic<ScopedLeadBytes::Test> installed{nullptr};
  return installed;
}

}  // namespace

bool IsLeadByte(unsigned char c) {
  const ScopedLeadBytes::Test test = Installed().load(std::memory_order_acquire);
  return test ? test(c) : SystemIsLeadByte(c);
}

std::size_t FindSeparator(std::string_view path, std::size_t from) {
  for (std::size_t at = from; at < path.size(); ++at) {
    if (path[at] == '\\') return at;
    // The second byte of a double-byte character is no character of its own.
    if (IsLeadByte(path[at])) ++at;
  }
  return std::string_view::npos;
}

std::size_t FindLastSeparator(std::string_view path) {
  // Trail bytes cannot be told from behind: the walk goes forward.
  std::size_t last = std::string_view::npos;
  for (std::size_t at = FindSeparator(path); at != std::string_view::npos;
       at = FindSeparator(path, at + 1))
    last = at;
  return last;
}

bool EndsWithSeparator(std::string_view path) {
  return !path.empty() && path.back() == '\\' && FindLastSeparator(path) == path.size() - 1;
}

ScopedLeadBytes::ScopedLeadBytes(Test isLeadByte) : previous_(Installed().exchange(isLeadByte)) {}

ScopedLeadBytes::~ScopedLeadBytes() { Installed().store(previous_); }

}  // namespace platform
