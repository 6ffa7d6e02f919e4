// What one run will change below its install directory, found before its first change: the
// folders and files it makes, the files it replaces (and where it sets them aside), the files
// that hold their entry already, the databases the user has, and the journal that undoes it.
#pragma once

#include <cstddef>
#include <map>
#include <string>
#include <vector>

#include "payload/extraction.h"
#include "payload/undo_journal.h"

enum class EntryAction {
  kCreate,    // nothing of its name is there: a new file
  kReplace,   // the old file is set aside, a new one made
  kKeep,      // the file holds the entry's bytes and attribute already
  kDatabase,  // a database of lib\cmp that the user has: merged or replaced
};

struct PlannedEntry {
  EntryAction action = EntryAction::kCreate;
  std::string path;             // where the entry goes
  std::string existing;         // kReplace, kDatabase: the old file, as it is named now
  std::string aside;            // kReplace, kDatabase: where it is set aside
  bool readOnly = false;        // kReplace, kDatabase: the old file's attribute
  std::size_t firstChange = 0;  // the index of its first file in the journal
};

// The files beside a database that the user has, as the run will name them.
struct PlannedDatabase {
  std::string backup;       // "<path>.bak" (as it is named now, when there is one)
  std::string backupAside;  // where the old backup is set aside; empty when there is none
  bool backupReadOnly = false;
  // "<path>.bak-<date>": a free name for this run's backup when the older one holds more
  std::string datedBackup;
  std::string unmerged;  // "<path>.unmerged-<date>": a free name for a database not merged
};

struct InstallPlan {
  std::vector<std::string> newFolders;               // full paths, outermost first
  std::size_t setAsides = 0;                         // files set aside (numbered from 1)
  std::vector<PlannedEntry> entries;                 // one per payload entry, in table order
  std::map<std::size_t, PlannedDatabase> databases;  // by entry index
  std::vector<std::string> busy;                     // files to move that another program holds
  UndoJournal journal;
};

// Plans job below job.installDir: each folder of the installation that exists is trusted
// (platform::FileSystem::TrustFolder) and listed once, and each existing file of its entry's
// size is read once (it is kept when it holds the same bytes with the same read-only attribute).
// The files that would be moved aside are tested for other programs holding them (plan.busy).
// False, with problem holding the text that stops the installation, when a folder cannot be
// trusted or listed, or when a link stands at the name of a file the run would write or move.
bool PlanInstallation(const ExtractionJob& job, InstallPlan& plan, std::string& problem);
