// Undoing an installation from its journal (payload/undo_journal.h), and what happens to the
// journal and the set-aside files once an installation is final.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "payload/extraction.h"
#include "payload/undo_journal.h"

// Where one undo got to, when it could not finish.
struct UndoResult {
  bool complete = true;
  std::string path;  // the first file that could not be put back or removed
  int error = 0;     // its errno value
};

// Undoes what the journal lists below installDir, the last change first: the first `reached`
// files of the journal (all of them when reached is npos) are removed when the run made them
// and put back from the set-aside folder when it replaced them (bytes, attributes and name as
// they were), new files that the run left beside the databases are removed, and the folders it
// made go when they are empty (a folder that holds something of the user's stays). Each file is
// named on the progress line ("Undoing: <path>"). Once everything is back the journal and the
// set-aside folder are removed, and installDir too when the journal says the run made it and
// removeInstallDirectory is set. Nothing else is touched. When a file cannot be put back the
// journal stays, so that the next run finishes the undo. With a total, the report's position
// goes from done back to 0 as the files are undone.
UndoResult UndoRun(const std::string& installDir, const UndoJournal& journal, std::size_t reached,
                   bool removeInstallDirectory, ExtractionReport& report, std::uint64_t done = 0,
                   std::uint64_t total = 0);

// The sentence that follows a failure's own text once the run has been undone (or could not be).
std::string UndoneText(const UndoResult& result);

// Undoes a run that a crash, a power cut or a killed process left before its commit point, when
// installDir holds its journal; a committed run's set-aside folder is cleared instead. The
// journal is checked whole first (ParseUndoJournal), and no folder on the way to any path it
// names may be a link: a journal that fails a check is reported and acted on not at all. True
// when nothing needed undoing or the undo is complete; madeInstallDirectory is then set when the
// interrupted run had made installDir (the directory itself stays: the caller is about to
// install into it). False after reporting why.
bool RecoverInterruptedRun(const std::string& installDir, ExtractionReport& report,
                           bool& madeInstallDirectory);

// Removes the files a committed run set aside, and their folder. Failures are passed over (a
// file still in use stays until a later run).
void RemoveSetAsideFiles(const std::string& installDir);
