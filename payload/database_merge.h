// The update-mode merge table: which payload entries are component databases, and how each
// is merged into the user's existing copy.
#pragma once

#include <cstddef>

// (output path, shipped path, existing path) → non-zero on success, 0 on failure.
using MergeOperation = int (*)(const char* output, const char* shipped, const char* existing);

struct DatabaseMergeRow {
  const char* pszName;  // payload name, compared case-insensitively
  MergeOperation merge;
  const char* pszFailure;  // shown when merge returns 0, before the shipped copy is written
};

struct DatabaseMergeTable {
  const DatabaseMergeRow* rows;
  std::size_t count;
};

// The eight databases of lib\cmp with their merge operations. Defined in the tvex_engine
// library, which links the merges themselves.
DatabaseMergeTable RealDatabaseMergeTable();

// True when name is one of the eight database names, compared case-insensitively.
bool IsDatabaseEntry(const char* name);

// The first row of table whose name equals name (ASCII letters compared without case), or
// null when none does.
const DatabaseMergeRow* FindMergeRow(const DatabaseMergeTable& table, const char* name);

// True when both texts are non-null and equal with ASCII letters compared without case.
bool EqualsNoCase(const char* a, const char* b);
