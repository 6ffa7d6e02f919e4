// What the model-database tests share: a work directory per test, whole-file reads and writes,
// captured message boxes and a file system that fails on cue.
#pragma once

#include <set>
#include <string>
#include <vector>

#include "platform/file_system.h"

namespace model_test {

// An empty directory of the running test's own (the same name in every process of a death
// test), as a path the platform's file seam accepts; removed with everything in it by the
// destructor.
class WorkDir {
 public:
  WorkDir();
  ~WorkDir();
  WorkDir(const WorkDir&) = delete;
  WorkDir& operator=(const WorkDir&) = delete;
  // dir + separator + name.
  std::string Path(const std::string& name) const;

 private:
  std::string m_strDir;
};

// Whole-file read (fails the test when the file cannot be read) and write, binary.
std::string Slurp(const std::string& path);
void Spit(const std::string& path, const std::string& content);

// Collects every message box shown while it lives, and writes each to stderr as
// "box:<hex of the text>;" so that a death test can match the exact text with BoxPattern.
class BoxCapture {
 public:
  BoxCapture();
  ~BoxCapture();
  BoxCapture(const BoxCapture&) = delete;
  BoxCapture& operator=(const BoxCapture&) = delete;
  const std::vector<std::string>& Texts() const { return m_texts; }

 private:
  std::vector<std::string> m_texts;
};
std::string BoxPattern(const std::string& text);

// The real file system with Windows' read-only rule simulated (whoever runs the tests), reads
// of chosen paths refused a number of times, writes that come up short and sleeps that are
// only counted.
class CueFileSystem : public platform::RealFileSystem {
 public:
  // Paths that cannot be opened for writing until SetReadOnly(path, false).
  std::set<std::string> readOnly;
  // Opens for reading of this path fail while refusedReads > 0 (each failure counts down).
  std::string refuseReadPath;
  int refusedReads = 0;
  // Opens for writing of this path always fail.
  std::string refuseWritePath;
  // Writes to files opened for writing at this path store nothing.
  std::string shortWritePath;
  std::vector<unsigned> sleeps;
  int readOnlyClears = 0;

  std::FILE* Open(const std::string& path, const char* mode) override;
  std::size_t Write(const void* data, std::size_t size, std::size_t count, std::FILE* f) override;
  int Close(std::FILE* f) override;
  int SetReadOnly(const std::string& path, bool readOnly) override;
  void Sleep(unsigned milliseconds) override;

 private:
  std::set<std::FILE*> m_shortFiles;
};

}  // namespace model_test
