// The merges of the three record databases (standard.cap, .res, .ind and .bead), under the
// conventions every merge shares (merge_conventions.h): the shipped records replace the
// user's records of the same key, the user's other records stay, and the list is sorted again.
#pragma once

#include "cmpdb/merge_conventions.h"
#include "platform/reporter.h"

MergeResult MergeCapacitorDatabase(const char* output, const char* shipped, const char* existing,
                                   platform::Reporter& report);
MergeResult MergeResistorDatabase(const char* output, const char* shipped, const char* existing,
                                  platform::Reporter& report);
// Inductors and ferrite beads share one operation.
MergeResult MergeInductorDatabase(const char* output, const char* shipped, const char* existing,
                                  platform::Reporter& report);
