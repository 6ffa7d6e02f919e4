// The update-mode merge table: which payload entries are component databases, and how each
// is merged into the user's existing copy.
#pragma once

#include <cstddef>

#include "platform/reporter.h"

// What a merge operation did.
enum class MergeOutcome {
  kMerged,   // the user's database now holds the shipped records too
  kFailed,   // nothing merged: the shipped copy is written over the database
  kStopped,  // a failure that was reported and ends the installation
};

// (output path, shipped path, existing path, where messages go) → what happened. The engine
// has taken the backup: the operation takes none.
using MergeOperation = MergeOutcome (*)(const char* output, const char* shipped,
                                        const char* existing, platform::Reporter& report);

// (database, older copy of it) → true when the older copy holds an entry whose key the database
// lacks, or when either cannot be read.
using LacksEntriesOperation = bool (*)(const char* database, const char* older);

struct DatabaseMergeRow {
  const char* pszName;  // payload name, compared case-insensitively
  MergeOperation merge;
  const char* pszFailure;  // reported when merge fails, before the shipped copy is written
  // Whether an older backup holds entries the database lacks, so that it must not be replaced.
  // None: any difference counts.
  LacksEntriesOperation lacksEntriesOf = nullptr;
};

struct DatabaseMergeTable {
  const DatabaseMergeRow* rows = nullptr;
  std::size_t count = 0;
};

// The folder of the component databases, below the install directory.
inline constexpr char kDatabaseFolder[] = ".\\lib\\cmp\\";

// True when name is one of the eight database names of lib\cmp, compared case-insensitively.
bool IsDatabaseEntry(const char* name);

// The first row of table whose name equals name (ASCII letters compared without case), or
// null when none does.
const DatabaseMergeRow* FindMergeRow(const DatabaseMergeTable& table, const char* name);
