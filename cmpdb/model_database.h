// Loading, combining and writing the model-text databases (standard.bjt, .mos, .jft, .dio),
// and their merge.
#pragma once

#include <string_view>

#include "cmpdb/merge_conventions.h"
#include "cmpdb/model_records.h"
#include "cmpdb/record_list.h"
#include "platform/reporter.h"

// The three lines every merged model database begins with, each ending in CR LF.
extern const std::string_view kModelDatabaseHeader;

// Reads every ".model" statement of the file (the first six characters compared without case;
// everything else is skipped) into list as records of the kind, in file order. False, with
// list left empty, when path is null or empty, the file cannot be opened or read to its end,
// or it is not 8-bit text (a byte-order mark at its start, a NUL byte anywhere).
bool LoadModelDatabase(const char* path, ModelKind kind, CRecordList& list);

// Combines shipped into existing: a shipped record replaces the first existing record of the
// same name in its place, one with a new name is appended; later shipped records of a name win.
// A record without a name matches nothing and is always appended. shipped is left empty.
void CombineModelRecords(CRecordList& existing, CRecordList& shipped);

// Writes the header and one CR LF line per record's statement into a new file beside path,
// which then replaces the file at path (a read-only one too). False when the new file cannot be
// made or written completely: the file at path is then as it was.
bool WriteModelDatabase(const char* path, const CRecordList& list);

// The merge without its backup: when CanMerge, loads the existing and the shipped database as
// records of the kind, combines them (CombineModelRecords) and writes the result
// (WriteModelDatabase) to output. kFailed, with no file changed, when CanMerge is false, either
// database does not load or the result cannot be written; never kStopped.
MergeResult CombineModelDatabase(const char* output, const char* shipped, const char* existing,
                                 ModelKind kind, platform::Reporter& report);

// The merge of a model database under the conventions every merge shares
// (merge_conventions.h): CanMerge, BackupDatabase(existing), then CombineModelDatabase.
MergeResult MergeModelDatabase(const char* output, const char* shipped, const char* existing,
                               ModelKind kind, platform::Reporter& report);

// True when older (an earlier copy of the database, its .bak) holds a model whose name the
// database lacks, names compared as the merge compares them (a model without a name by its
// whole statement), and when either file does not load; false when database holds them all.
bool ModelDatabaseLacksEntriesOf(const char* database, const char* older, ModelKind kind);
