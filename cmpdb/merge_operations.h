// The eight database merges of an update installation. Each takes (output path, path of the
// shipped copy, path of the existing database), backs up the existing database first, and
// reports what the user must read through report.
#pragma once

#include "platform/reporter.h"

enum class ModelKind { kBjt, kMosfet, kJfet, kDiode };

// What a merge did.
enum class MergeResult {
  kMerged,   // the output holds the combined database
  kFailed,   // nothing merged: the caller installs the shipped copy (the backup keeps the user's)
  kStopped,  // the backup failed and was reported: the installation must stop here
};

MergeResult MergeModelDatabase(const char* output, const char* shipped, const char* existing,
                               ModelKind kind, platform::Reporter& report);
MergeResult MergeCapacitorDatabase(const char* output, const char* shipped, const char* existing,
                                   platform::Reporter& report);
MergeResult MergeResistorDatabase(const char* output, const char* shipped, const char* existing,
                                  platform::Reporter& report);
// Inductors and ferrite beads share one operation.
MergeResult MergeInductorDatabase(const char* output, const char* shipped, const char* existing,
                                  platform::Reporter& report);
