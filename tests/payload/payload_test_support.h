// What the payload tests share: gzip streams as the build makes them, payload tables built in
// the test, a private work directory per test, captured message boxes and file systems that
// fail on cue.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "payload/payload_entry.h"
#include "platform/file_system.h"

namespace payload_test {

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

// A directory of its own for the running test, below the working directory, as a
// backslash path. It has the same name in every process of a death test, and starts empty.
std::string FreshWorkDir();

// Deletes a tree that may hold read-only files.
void RemoveTree(const std::string& path);

// Whole-file read and write through the platform's own calls; Slurp fails the test when the
// file cannot be read.
std::string Slurp(const std::string& path);
void Spit(const std::string& path, const std::string& content);
bool IsReadOnly(const std::string& path);

// The message boxes shown since the last Reset; each box is also written to stderr as
// "box:<hex of the text>;" so that a death test can match it with BoxPattern.
class BoxCapture {
 public:
  BoxCapture();
  ~BoxCapture();
  BoxCapture(const BoxCapture&) = delete;
  BoxCapture& operator=(const BoxCapture&) = delete;
  const std::vector<std::string>& Texts() const;
};

// A regular expression that matches the stderr of a box with exactly this text; with two
// texts, a box whose text starts with the first and ends with the second.
std::string BoxPattern(const std::string& text);
std::string BoxPattern(const std::string& head, const std::string& tail);

// The real file system with failures on cue and a record of the temporary files it made.
class ScriptedFileSystem : public platform::RealFileSystem {
 public:
  // Write number n (counted from 1) writes nothing; 0 never.
  int failWrite = 0;
  // Close number n closes the file but reports failure; 0 never.
  int failClose = 0;
  // Opening exactly this path for writing ("wb", "r+b", ...) fails.
  std::string refuseWritePath;
  // No temporary file can be made.
  bool refuseTemp = false;
  // Given as the temporary file's name instead of a new one.
  std::string forcedTemp;

  std::vector<std::string> temps;
  int writes = 0;
  int closes = 0;
  int makeDirectories = 0;
  // Every MakeDirectory fails with ENOENT, as on a path the platform refuses.
  bool refuseDirectories = false;

  std::FILE* Open(const std::string& path, const char* mode) override;
  std::size_t Write(const void* data, std::size_t size, std::size_t count, std::FILE* f) override;
  int Close(std::FILE* f) override;
  int MakeDirectory(const std::string& path) override;
  std::string CreateTempFile(const char* prefix) override;

  // The temporary files made that still exist.
  std::vector<std::string> LeftoverTemps();
};

}  // namespace payload_test
