// Payload tables built in a test: gzip streams as the build makes them, contents that pack well
// or badly, and the engine's report as a test sees it.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <utility>
#include <vector>

#include "payload/extraction.h"
#include "payload/payload_entry.h"

namespace tvex_test {

// A gzip stream with the build's fixed 10-byte header, raw deflate, CRC-32 and length.
std::string Gzip(const std::string& content);

// Bytes that compress badly, so a packed entry is larger than its content.
std::string NoiseBytes(std::size_t size, unsigned seed);
// Plausible text that compresses well.
std::string TextBytes(std::size_t size);

// A payload table owned by the test. Add packs content of 1025 bytes or more, as the build
// does; AddRaw stores any bytes under any sizes (corrupt streams, for instance).
class TestPayload {
 public:
  TestPayload() = default;
  // The table points into the object: it is never copied.
  TestPayload(const TestPayload&) = delete;
  TestPayload& operator=(const TestPayload&) = delete;

  void Add(const std::string& name, const std::string& content, bool readOnly = false);
  void AddRaw(const std::string& name, const std::string& stored, std::uint32_t size,
              std::uint32_t packedSize, bool readOnly = false);
  PayloadTable Table() const { return {pointers_.data(), pointers_.size()}; }

 private:
  std::deque<std::string> names_;
  std::deque<std::string> data_;
  std::deque<PayloadEntry> entries_;
  std::vector<const PayloadEntry*> pointers_;
};

// The engine's report as a test sees it: messages go to the application message box (so that
// a BoxCapture collects them), the last progress line is kept.
class TestReport : public ExtractionReport {
 public:
  void Progress(const std::string& line) override { lastLine = line; }
  void Message(const std::string& text) override;
  void Position(std::uint64_t done, std::uint64_t total) override {
    positions.emplace_back(done, total);
  }

  std::string lastLine = "stale";
  std::vector<std::pair<std::uint64_t, std::uint64_t>> positions;  // (done, total), in order
};

// Runs the job and makes what it installed final, as the installer does after its commit point;
// true when every entry is in place.
bool InstallAndCommit(const ExtractionJob& job, ExtractionReport& report);

}  // namespace tvex_test
