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

// (output path, shipped path, existing path, where messages go) → what happened.
using MergeOperation = MergeOutcome (*)(const char* output, const char* shipped,
                                        const char* existing, platform::Reporter& report);

struct DatabaseMergeRow {
  const char* pszName;  // payload name, compared case-insensitively
  MergeOperation merge;
  const char* pszFailure;  // reported when merge fails, before the shipped copy is written
};

struct DatabaseMergeTable {
  const DatabaseMergeRow* rows;
  std::size_t count;
};

// The folder of the component databases, below the install directory.
inline constexpr char kDatabaseFolder[] = ".\\lib\\cmp\\";

// True when name is one of the eight database names of lib\cmp, compared case-insensitively.
bool IsDatabaseEntry(const char* name);

// The first row of table whose name equals name (ASCII letters compared without case), or
// null when none does.
const DatabaseMergeRow* FindMergeRow(const DatabaseMergeTable& table, const char* name);
