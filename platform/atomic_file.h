// A new version of a file, written beside it and put in its place in one step, so that the file
// at the path is at every moment either the old one or the new one, whole: an interrupted run,
// a full disk or a crash leaves at worst a stray new file, never a half-written old one.
#pragma once

#include <cstdio>
#include <string>

namespace platform {

class AtomicFile {
 public:
  // Creates the new file exclusively in the folder of path, named as CreateTempFileIn names
  // it, and opens it for writing in binary mode. Stream() is null when that fails.
  explicit AtomicFile(std::string path);
  // Removes the new file unless Commit put it in place.
  ~AtomicFile();
  AtomicFile(const AtomicFile&) = delete;
  AtomicFile& operator=(const AtomicFile&) = delete;

  // The new file while it is open; null when it could not be created or is closed.
  std::FILE* Stream() const { return file_; }
  // Where the new file lies until it is committed; empty when it could not be created.
  const std::string& TempPath() const { return temp_; }

  // Writes the new file to the disk and closes it, so that it can be read whole. False when a
  // write or the close failed (Error() tells why); the old file is untouched either way.
  bool Close();

  // Closes the new file (Close) and moves it over the path, replacing the file that stands
  // there, a read-only one included. False when a step failed: the new file is then removed,
  // the file at the path is as it was, and Error() gives the step's errno.
  bool Commit();

  // The errno of the step that failed last; 0 when none did.
  int Error() const { return error_; }

 private:
  std::string path_;
  std::string temp_;
  std::FILE* file_ = nullptr;
  int error_ = 0;
  bool failed_ = false;
  bool committed_ = false;
};

}  // namespace platform
