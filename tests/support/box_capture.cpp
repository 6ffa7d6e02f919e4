#include "tests/support/box_capture.h"

#include <cstdio>
#include <mutex>

#include "platform/message_box.h"
#include "platform/reporter.h"

namespace tvex_test {
namespace {

// Hex digits only, so that no text can contain a regular-expression character.
std::string Hex(const std::string& text) {
  static const char kDigits[] = "0123456789abcdef";
  std::string hex;
  for (unsigned char c : text) {
    hex += kDigits[c >> 4];
    hex += kDigits[c & 15];
  }
  return hex;
}

}  // namespace

struct BoxCapture::Boxes {
  std::mutex lock;
  std::vector<std::string> texts;
  std::vector<std::pair<std::string, unsigned>> styles;
};

BoxCapture::BoxCapture() : m_boxes(std::make_shared<Boxes>()) {
  // The hook owns the record too: a worker thread may still show a box while this one ends.
  platform::SetMessageBoxHook(
      [boxes = m_boxes](const std::string& text, const std::string& caption, unsigned flags) {
        std::fprintf(stderr, "box:%s;\n", Hex(text).c_str());
        std::fflush(stderr);
        std::lock_guard<std::mutex> guard(boxes->lock);
        boxes->texts.push_back(text);
        boxes->styles.emplace_back(caption, flags);
        return platform::kIdOk;
      });
}

platform::Reporter& BoxReport() {
  static platform::AppMessageReporter report;
  return report;
}

BoxCapture::~BoxCapture() { platform::SetMessageBoxHook(nullptr); }

std::vector<std::string> BoxCapture::Texts() const {
  std::lock_guard<std::mutex> guard(m_boxes->lock);
  return m_boxes->texts;
}

std::vector<std::pair<std::string, unsigned>> BoxCapture::Styles() const {
  std::lock_guard<std::mutex> guard(m_boxes->lock);
  return m_boxes->styles;
}

std::string BoxPattern(const std::string& text) { return "box:" + Hex(text) + ";"; }

std::string BoxPattern(const std::string& head, const std::string& tail) {
  return "box:" + Hex(head) + "\\w*" + Hex(tail) + ";";
}

}  // namespace tvex_test
