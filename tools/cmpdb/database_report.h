// What tvex-cmpdb prints about a database: every record on a line of its own, or a summary of the
// record count, the records out of order and the records that share a key.
#pragma once

#include <cstdio>
#include <optional>
#include <string>

#include "cmpdb/merge_conventions.h"
#include "platform/reporter.h"

// The eight databases, in the order of the installer's merge table.
enum class DatabaseKind { kBjt, kMos, kJft, kDio, kCap, kRes, kInd, kBead };

// The kind named by a command-line word ("bjt" ... "bead"), or nothing.
std::optional<DatabaseKind> KindFromName(const std::string& name);

// The kind of a file from its extension (".cap" and so on, letter case ignored), or nothing.
std::optional<DatabaseKind> KindFromPath(const std::string& path);

// Runs the merge the installer runs for the kind and returns its result; its messages go to
// report.
MergeResult MergeDatabase(DatabaseKind kind, const char* output, const char* shipped,
                          const char* existing, platform::Reporter& report);

// Writes one line per record to out, its fields separated by tabs; false (after the reader's
// message to report) when the file cannot be read. Bytes below 0x20, 0x7F and the backslash
// are written as \xHH. The columns:
//   bjt   name, statement, polarity, mfg, Vceo, IcRating
//   mos   name, statement, channel, mfg, Vds, Ron, Qg
//   jft   name, statement, polarity, mfg
//   dio   name, statement, type, mfg, Iave, Vpk
//   cap   manufacturer, part number, type, capacitance, rated voltage, parameters 3 to 7
//   res   manufacturer, part number, resistance, parameters 2 and 3
//   ind, bead   manufacturer, part number, inductance, parameters 2 to 5
bool DumpDatabase(DatabaseKind kind, const std::string& path, std::FILE* out,
                  platform::Reporter& report);

// Writes the record count, the number of records out of order (and equal to the next one)
// and the number of records that share a key with another record of the file; false when the
// file cannot be read.
bool CheckDatabase(DatabaseKind kind, const std::string& path, std::FILE* out,
                   platform::Reporter& report);
