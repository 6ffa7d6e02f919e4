// What every database merge of an update installation shares. Each merge takes (output path,
// path of the shipped copy, path of the existing database), backs up the existing database
// first, reports what the user must read through the reporter it is given and tells the caller
// how it ended.
#pragma once

#include "platform/reporter.h"

// What a merge did.
enum class MergeResult {
  kMerged,   // the output holds the combined database
  kFailed,   // nothing merged: the caller installs the shipped copy (the backup keeps the user's)
  kStopped,  // the backup failed and was reported: the installation must stop here
};

// True when the three paths are given (not null, not empty) and the existing database is
// there. A merge without them fails (kFailed) before it takes a backup or reports anything.
bool CanMerge(const char* output, const char* shipped, const char* existing);

// Copies path onto path + ".bak" (over an older, even read-only, backup); retries once after
// 5 s. True on success, and when path is null, empty or names no file (nothing to keep).
// When both copies fail, reports "Trouble backing up %s\nas %s\n\nRelease sync aborted." and
// returns false: the installation must stop, since the user's data could not be secured.
bool BackupDatabase(const char* path, platform::Reporter& report);

// BackupDatabase of the database at path taken from source, the user's copy as it was (the
// database moved aside, say): copies source onto path + ".bak", which path need not exist for.
// True when source is null, empty or names no file; false, with the message naming path and
// path + ".bak", when both copies fail or path is null or empty (no backup can be named).
bool BackupDatabaseFrom(const char* path, const char* source, platform::Reporter& report);
