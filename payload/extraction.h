// The extraction engine: installs every payload entry below an install directory as one
// transaction. Nothing is changed before the run has written what undoes it (its journal,
// payload/undo_journal.h); a run that fails or is stopped undoes itself, and one that a crash
// cut short is undone by the next run. A run that installed everything stays undoable until the
// caller makes it final (CommitExtraction).
#pragma once

#include <cstdint>
#include <string>

#include "payload/database_merge.h"
#include "payload/payload_entry.h"
#include "platform/reporter.h"

// Keeps the user's database at path (as it was, read from source, where the run set it aside)
// in its backup path + ".bak"; false after reporting a failure that must stop the installation.
using BackupOperation = bool (*)(const char* path, const char* source, platform::Reporter& report);

// What one installation works on.
struct ExtractionJob {
  std::string installDir;  // where the tree goes; a full path with backslashes
  bool update = false;     // merge the user's existing component databases
  PayloadTable payload;
  DatabaseMergeTable merges;         // merged in update mode; the backup rule in both modes
  BackupOperation backup = nullptr;  // none: no backup is kept
  // The caller made installDir for this run: undoing the run removes it again.
  bool madeInstallDirectory = false;
  // Today's date ("2026-12-09"), in the names under which a user's database whose merge failed
  // and an older backup are kept.
  std::string date;
};

// Where the engine reports. Calls come from the engine's two threads (the caller's, and the one
// that writes the files), never two at a time.
class ExtractionReport : public platform::Reporter {
 public:
  // The line of the entry being processed: "Extracting: <name>.gz\n", "Merging: <name>.gz\n",
  // or "Undoing: <name>\n" while a run is undone.
  virtual void Progress(const std::string& line) = 0;
  // Message (from Reporter): a text the user must read; returns once it has been read.

  // Files of the installation are held by other programs (text names them): true to look again,
  // false to give up with nothing changed. A report that cannot ask gives up.
  virtual bool AskRetry(const std::string& text) {
    Message(text);
    return false;
  }
  // The user has asked to stop: the run undoes itself at the next entry.
  virtual bool Stopping() const { return false; }
  // How far the run is: done of total, where total is every byte the payload holds and a fixed
  // share for each database merge; kept files count as written. While a run is undone, done goes
  // back to 0 file by file.
  virtual void Position(std::uint64_t done, std::uint64_t total) {
    (void)done;
    (void)total;
  }
  // A phase of the run has ended, for whoever times them: "recovery" (of an interrupted run),
  // "plan" (the folders listed, existing files compared and tested for use), "journal",
  // "extraction" (every change), "undo".
  virtual void PhaseEnded(const char* phase) { (void)phase; }
  // A failure that ends the run (shown after the run was undone, or before anything changed);
  // a report that keeps a log names it here. Shown as a Message unless overridden.
  virtual void Failure(const std::string& text) { Message(text); }
  // A line for whoever keeps a record of the run (the installer's log): what the plan found,
  // each database and how its merge went, each undo step, the commit. Nothing to show.
  virtual void Note(const std::string& line) { (void)line; }
};

// How a run ended.
enum class ExtractionOutcome {
  kInstalled,  // every entry is in place; undoable until CommitExtraction
  kFailed,     // a failure was reported after the run undid itself (or nothing was changed)
  kStopped,    // the user stopped it; it undid itself
  kCancelled,  // files in use, and the user gave up: nothing was changed
};

// Installs job.payload below job.installDir in table order. First a run that a crash left is
// undone, and the files that would be replaced are tested: while another program holds one,
// the report is asked to retry. Then the journal is written, and each entry is made new, or its
// old file is moved to the set-aside folder and a new one made in its place (a file that already
// holds the entry's bytes and attribute is left as it is); the writing of one file overlaps the
// opening of the next. A database of lib\cmp that the user already has is moved aside too: in
// update mode the shipped copy is merged with it into a new file at its place (a failed merge
// reports the row's text and keeps the user's database as "<name>.unmerged-<date>"), in
// Overwrite mode the shipped copy takes its place; both keep the user's database as
// "<name>.bak" (Overwrite only when it differs from the shipped copy), or as "<name>.bak-<date>"
// when the older backup holds entries the database lacks (no backup is replaced by one that
// holds less). On a failure (a file that cannot be
// written, a corrupt entry, a backup that cannot be taken) or a stop, the run is undone and then
// the failure's text is reported with a line that says so. A link on the way to any entry stops
// it before anything is written.
ExtractionOutcome RunExtraction(const ExtractionJob& job, ExtractionReport& report);

// Makes a run that RunExtraction installed final: its journal is removed. The files it set
// aside are removed after that (RemoveSetAsideFiles), when the caller has time. False after
// reporting a failure: the run is then undone.
bool CommitExtraction(const std::string& installDir, ExtractionReport& report);

// Undoes a run that RunExtraction installed and that is not final yet (the user quit at the
// last moment). False when it could not be undone completely; the report then has the reason.
bool UndoExtraction(const std::string& installDir, ExtractionReport& report);
