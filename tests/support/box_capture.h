// Message boxes captured instead of shown, and how a death test recognises one.
#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/reporter.h"

namespace tvex_test {

// A reporter that shows every message as an application message box, where a BoxCapture
// collects it, for calls that need a reporter and nothing else of it.
platform::Reporter& BoxReport();

// Collects every message box shown while it lives (from any thread), answering each with OK.
// Each box is also written to stderr as "box:<hex of the text>;" and a line end, so that a
// death test can match the exact text with BoxPattern.
class BoxCapture {
 public:
  BoxCapture();
  ~BoxCapture();
  BoxCapture(const BoxCapture&) = delete;
  BoxCapture& operator=(const BoxCapture&) = delete;

  // The texts of the boxes so far, in the order shown.
  std::vector<std::string> Texts() const;
  // Caption and MessageBoxA flags of each box, in the order shown.
  std::vector<std::pair<std::string, unsigned>> Styles() const;

 private:
  struct Boxes;
  std::shared_ptr<Boxes> m_boxes;
};

// A regular expression that matches the stderr of a box with exactly this text; with two
// texts, a box whose text starts with the first and ends with the second.
std::string BoxPattern(const std::string& text);
std::string BoxPattern(const std::string& head, const std::string& tail);

}  // namespace tvex_test
