// The extraction engine: writes every payload entry below an install directory.
#pragma once

#include <string>

#include "payload/database_merge.h"
#include "payload/payload_entry.h"
#include "platform/reporter.h"

// What one installation works on.
struct ExtractionJob {
  std::string installDir;  // where the tree goes; a full path with backslashes
  bool update = false;     // merge the user's existing component databases
  PayloadTable payload;
  DatabaseMergeTable merges;  // consulted in update mode only
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
// next. In update mode an entry that is a database with a
// row in job.merges and an existing copy is merged into that copy instead; a failed merge
// reports the row's text and the shipped copy is written. Returns true when every entry is in
// place. On a failure that stops the installation (a file that cannot be written, a corrupt
// entry, a database that cannot be backed up) its text has been reported, the entries before
// it are complete, nothing after it was touched, and the result is false.
// A link on the way to any entry (payload/link_check.h) stops it the same way before anything
// is written.
bool RunExtraction(const ExtractionJob& job, ExtractionReport& report);
