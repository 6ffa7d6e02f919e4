#include "app/install_job.h"

#include "cmpdb/merge_conventions.h"
#include "cmpdb/model_database.h"
#include "cmpdb/record_merge.h"
#include "payload/payload_check.h"

namespace {

MergeOutcome OutcomeOf(MergeResult result) {
  switch (result) {
    case MergeResult::kMerged:
      return MergeOutcome::kMerged;
    case MergeResult::kStopped:
      return MergeOutcome::kStopped;
    case MergeResult::kFailed:
      break;
  }
  return MergeOutcome::kFailed;
}

using CmpdbMerge = MergeResult (*)(const char* output, const char* shipped, const char* existing,
                                   platform::Reporter& report);

// A merge of cmpdb/ as the engine calls it.
template <CmpdbMerge merge>
MergeOutcome Merge(const char* output, const char* shipped, const char* existing,
                   platform::Reporter& report) {
  return OutcomeOf(merge(output, shipped, existing, report));
}

template <ModelKind kind>
MergeResult MergeModels(const char* output, const char* shipped, const char* existing,
                        platform::Reporter& report) {
  return MergeModelDatabase(output, shipped, existing, kind, report);
}

constexpr DatabaseMergeRow kMergeRows[] = {
    {".\\lib\\cmp\\standard.bjt", Merge<MergeModels<ModelKind::kBjt>>,
     "Trouble merging BJT databases.\n    ...overwriting"},
    {".\\lib\\cmp\\standard.mos", Merge<MergeModels<ModelKind::kMosfet>>,
     "Trouble merging MOSFET databases.\n    ...overwriting"},
    {".\\lib\\cmp\\standard.jft", Merge<MergeModels<ModelKind::kJfet>>,
     "Trouble merging JFET databases.\n    ...overwriting"},
    {".\\lib\\cmp\\standard.dio", Merge<MergeModels<ModelKind::kDiode>>,
     "Trouble merging diode databases.\n    ...overwriting"},
    {".\\lib\\cmp\\standard.cap", Merge<MergeCapacitorDatabase>,
     "Trouble merging capacitor databases.\n    ...overwriting"},
    {".\\lib\\cmp\\standard.res", Merge<MergeResistorDatabase>,
     "Trouble merging resistor databases.\n    ...overwriting"},
    {".\\lib\\cmp\\standard.ind", Merge<MergeInductorDatabase>,
     "Trouble merging inductor databases.\n    ...overwriting"},
    {".\\lib\\cmp\\standard.bead", Merge<MergeInductorDatabase>,
     "Trouble merging ferrite bead databases.\n    ...overwriting"},
};

}  // namespace

DatabaseMergeTable RealDatabaseMergeTable() {
  return {kMergeRows, sizeof kMergeRows / sizeof kMergeRows[0]};
}

PayloadTable BuiltInPayload() { return PayloadTable{g_payloadTable, g_payloadTableSize}; }

bool BuiltInPayloadIntact() { return PayloadTableIntact(BuiltInPayload(), g_payloadTableCrc); }

ExtractionJob InstallJob(std::string installDir, bool update) {
  ExtractionJob job;
  job.installDir = std::move(installDir);
  job.update = update;
  job.payload = BuiltInPayload();
  job.merges = RealDatabaseMergeTable();
  job.backup = BackupDatabase;
  return job;
}
