// The merges of the three record databases (standard.cap, .res, .ind and .bead), under the
// conventions every merge shares (merge_conventions.h): the shipped records replace the
// user's records of the same key, the user's other records stay, and the list is sorted again.
#pragma once

#include "cmpdb/merge_conventions.h"
#include "platform/reporter.h"

// Each merge is CanMerge, BackupDatabase(existing), then the Combine of its database.
MergeResult MergeCapacitorDatabase(const char* output, const char* shipped, const char* existing,
                                   platform::Reporter& report);
MergeResult MergeResistorDatabase(const char* output, const char* shipped, const char* existing,
                                  platform::Reporter& report);
// Inductors and ferrite beads share one operation.
MergeResult MergeInductorDatabase(const char* output, const char* shipped, const char* existing,
                                  platform::Reporter& report);

// The merge without its backup: when CanMerge, loads the existing and the shipped database,
// moves the shipped records in (MergeFrom) and saves the result to output. kFailed when
// CanMerge is false, either database does not load or holds no record, or the save fails (load
// and save failures report their message); never kStopped. Takes no backup.
MergeResult CombineCapacitorDatabase(const char* output, const char* shipped, const char* existing,
                                     platform::Reporter& report);
// CombineCapacitorDatabase for the resistor database.
MergeResult CombineResistorDatabase(const char* output, const char* shipped, const char* existing,
                                    platform::Reporter& report);
// CombineCapacitorDatabase for the inductor and the ferrite-bead database.
MergeResult CombineInductorDatabase(const char* output, const char* shipped, const char* existing,
                                    platform::Reporter& report);

// True when older (an earlier copy of the database, its .bak) holds a record whose key the
// database lacks (the key the merge replaces records by; a record without one by the order's
// equality), and when either file cannot be read; false when database holds them all. Reports
// nothing.
bool CapacitorDatabaseLacksEntriesOf(const char* database, const char* older);
// CapacitorDatabaseLacksEntriesOf for resistor databases: an unnamed record of older is held
// by a record of database with the same three numbers, named or not.
bool ResistorDatabaseLacksEntriesOf(const char* database, const char* older);
// CapacitorDatabaseLacksEntriesOf for inductor and ferrite-bead databases (manufacturer names
// normalised as they are read).
bool InductorDatabaseLacksEntriesOf(const char* database, const char* older);
