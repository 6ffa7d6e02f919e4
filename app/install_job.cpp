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

template <ModelKind kind>
MergeOutcome MergeModels(const char* output, const char* shipped, const char* existing,
                         platform::Reporter& report) {
  return OutcomeOf(MergeModelDatabase(output, shipped, existing, kind, report));
}

MergeOutcome MergeCapacitors(const char* output, const char* shipped, const char* existing,
                             platform::Reporter& report) {
  return OutcomeOf(MergeCapacitorDatabase(output, shipped, existing, report));
}

MergeOutcome MergeResistors(const char* output, const char* shipped, const char* existing,
                            platform::Reporter& report) {
  return OutcomeOf(MergeResistorDatabase(output, shipped, existing, report));
}

MergeOutcome MergeInductors(const char* output, const char* shipped, const char* existing,
                            platform::Reporter& report) {
  return OutcomeOf(MergeInductorDatabase(output, shipped, existing, report));
}

constexpr DatabaseMergeRow kMergeRows[] = {
    {".\\lib\\cmp\\standard.bjt", MergeModels<ModelKind::kBjt>,
     "Trouble merging BJT databases.\n    ...overwriting"},
    {".\\lib\\cmp\\standard.mos", MergeModels<ModelKind::kMosfet>,
     "Trouble merging MOSFET databases.\n    ...overwriting"},
    {".\\lib\\cmp\\standard.jft", MergeModels<ModelKind::kJfet>,
     "Trouble merging JFET databases.\n    ...overwriting"},
    {".\\lib\\cmp\\standard.dio", MergeModels<ModelKind::kDiode>,
     "Trouble merging diode databases.\n    ...overwriting"},
    {".\\lib\\cmp\\standard.cap", MergeCapacitors,
     "Trouble merging capacitor databases.\n    ...overwriting"},
    {".\\lib\\cmp\\standard.res", MergeResistors,
     "Trouble merging resistor databases.\n    ...overwriting"},
    {".\\lib\\cmp\\standard.ind", MergeInductors,
     "Trouble merging inductor databases.\n    ...overwriting"},
    {".\\lib\\cmp\\standard.bead", MergeInductors,
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
