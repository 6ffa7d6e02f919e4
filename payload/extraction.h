// The extraction engine: writes every payload entry below an install directory.
#pragma once

#include <string>

#include "payload/database_merge.h"
#include "payload/payload_entry.h"
#include "platform/reporter.h"

// Keeps the user's database at path (as its backup) before Overwrite replaces it; false after
// reporting a failure that must stop the installation.
using BackupOperation = bool (*)(const char* path, platform::Reporter& report);

// What one installation works on.
struct ExtractionJob {
  std::string installDir;  // where the tree goes; a full path with backslashes
  bool update = false;     // merge the user's existing component databases
  PayloadTable payload;
  DatabaseMergeTable merges;         // consulted in update mode only
  BackupOperation backup = nullptr;  // Overwrite mode; none: no backup is kept
};

// Where the engine reports. Calls come from the engine's two threads (the caller's, and the one
// that writes the files), never two at a time.
class ExtractionReport : public platform::Reporter {
 public:
  // The line of the entry being processed: "Extracting: <name>.gz\n" or "Merging: <name>.gz\n".
  virtual void Progress(const std::string& line) = 0;
  // Message (from Reporter): a text the user must read; returns once it has been read.
};

// Installs job.payload below job.installDir in table order, making directories as needed; each
// file is opened once and written in full, the writing of one overlapping the opening of the
// next. A database of lib\cmp that the user already has is never rewritten in place: the
// shipped copy goes to a new file beside it. In update mode that copy is merged into the user's
// database (a database with a row in job.merges); a failed merge reports the row's text and the
// shipped copy then replaces the database in one step, as it does in Overwrite mode, where a
// database that differs from the shipped copy is first kept through job.backup. New files that
// an interrupted run left in lib\cmp are removed first. Returns true when every entry is in
// place. On a failure that stops the installation (a file that cannot be written, a corrupt
// entry, a database that cannot be backed up) its text has been reported, the entries before
// it are complete, nothing after it was touched, and the result is false.
// A link on the way to any entry (payload/link_check.h) stops it the same way before anything
// is written.
bool RunExtraction(const ExtractionJob& job, ExtractionReport& report);
