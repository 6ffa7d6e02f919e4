// The real file system with failures on cue, for the failure paths of the portable code.
#pragma once

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "platform/file_system.h"

namespace tvex_test {

// The platform's own calls, except where a test scripts a failure. Every knob is off by
// default; several may be combined. Sleeps are only recorded, never slept. Install it with
// platform::ScopedFileSystem. The engine calls it from two threads: every call takes a lock, so
// set the knobs and read the records only while nothing runs.
class ScriptedFileSystem : public platform::RealFileSystem {
 public:
  // Opening exactly this path for writing ("wb", "ab", "r+b", ...) fails.
  std::string refuseWritePath;
  // Opening this path for reading fails while refusedReads > 0 (each failure counts down).
  std::string refuseReadPath;
  int refusedReads = 0;
  // Read number failReadNumber (from 1) of the failReadOpen-th stream opened for reading at
  // this path returns nothing and leaves the stream in error, as a failing disk does.
  std::string failReadPath;
  int failReadOpen = 1;
  int failReadNumber = 1;

  // Write number n (counted from 1 over all files) writes nothing and returns 0; 0 never.
  int failWrite = 0;
  // Writes to a file opened for writing at this path store nothing and return 0.
  std::string shortWritePath;
  // Bytes that still fit on the disk: the write that does not fit stores what fits, sets
  // errno to ENOSPC and returns 0.
  std::size_t bytesLeft = SIZE_MAX;
  // Close number n (counted from 1) closes the file but reports failure; 0 never.
  int failClose = 0;
  // Every Replace fails with EACCES (as does a Replace onto a simulated read-only file), or only
  // a Replace onto this path.
  bool failReplace = false;
  std::string failReplaceTo;
  // The n-th temporary file made by CreateNew (from 1; 0 never): its writes store nothing and
  // return 0, or its close reports failure (a write error the system reports only then).
  int shortWritesOnCreated = 0;
  int failCloseOnCreated = 0;
  // Every MakeDirectory fails with ENOENT, as on a path the platform refuses.
  bool refuseDirectories = false;
  // No temporary file (~tvex<hex>.tmp) can be made (CreateNew fails with EACCES).
  bool refuseTemp = false;
  // Trusting this folder fails with refuseFolderError, as a folder the installer may not read.
  std::string refuseFolder;
  int refuseFolderError = EACCES;
  // Files another program holds: InUse says so, and moving them fails with EBUSY.
  std::set<std::string> held;

  // Called at the start of every call that makes, moves, changes or removes an entry, with the
  // call's name ("CreateNew", "Rename", "Replace", "SetReadOnly", "Remove", "MakeDirectory") and
  // its path (from, for a move): a test changes the disk here as another program would between
  // the installation's check and its use. Called with the file system's lock held.
  std::function<void(const std::string& call, const std::string& path)> beforeChange;

  // Windows' read-only rule kept here instead of on the disk, so it holds whoever runs the
  // tests (root ignores file modes): SetReadOnly only updates readOnly, a path in it can be
  // neither opened for writing, nor removed, nor replaced, and a move takes the attribute along.
  bool simulateReadOnly = false;
  std::set<std::string> readOnly;

  // What happened so far.
  int writes = 0;
  int closes = 0;
  int makeDirectories = 0;
  int readOnlyClears = 0;  // SetReadOnly(path, false) calls
  std::vector<unsigned> sleeps;
  std::vector<std::string> temps;    // temporary files (~tvex<hex>.tmp) made by CreateNew
  std::vector<std::string> written;  // every path opened for writing, made or created
  int renames = 0;

  std::FILE* Open(const std::string& path, const char* mode) override;
  std::size_t Read(void* data, std::size_t size, std::size_t count, std::FILE* f) override;
  int StreamError(std::FILE* f) override;
  std::size_t Write(const void* data, std::size_t size, std::size_t count, std::FILE* f) override;
  int Close(std::FILE* f) override;
  int MakeDirectory(const std::string& path) override;
  int SetReadOnly(const std::string& path, bool makeReadOnly) override;
  int Replace(const std::string& from, const std::string& to) override;
  std::FILE* CreateNew(const std::string& path) override;
  int Remove(const std::string& path) override;
  int Rename(const std::string& from, const std::string& to) override;
  bool InUse(const std::string& path, bool readOnly) override;
  int TrustFolder(const std::string& path) override;
  void Sleep(unsigned milliseconds) override;

  // The files made by CreateNew that still exist.
  std::vector<std::string> LeftoverTemps();

 private:
  void BeforeChange(const char* call, const std::string& path);
  // Whether path may be opened for writing now; records it.
  bool MayWrite(const std::string& path);
  // A simulated read-only attribute goes along with a moved file.
  void MoveAttribute(const std::string& from, const std::string& to);

  std::recursive_mutex m_lock;
  std::set<std::FILE*> m_shortFiles;
  int m_failReadOpens = 0;
  std::map<std::FILE*, int> m_readsToFail;  // streams of failReadPath: reads left until failure
  std::set<std::FILE*> m_failedReads;
  int m_created = 0;
  std::set<std::FILE*> m_failingCloses;
};

}  // namespace tvex_test
