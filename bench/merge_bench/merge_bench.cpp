// Times the capacitor and inductor merges of an update on two 50,000-record databases each:
// the whole merge as the installer runs it (backup, two loads, MergeFrom, save) and MergeFrom
// alone. The shipped database repeats most of the user's keys, in other letter case for some.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>

#include "cmpdb/record_document.h"
#include "cmpdb/record_merge.h"
#include "platform/reporter.h"

namespace {

constexpr int kRecords = 50000;

using Clock = std::chrono::steady_clock;

double MillisecondsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

std::string PartNumber(int i, bool upper) {
  char text[32];
  std::snprintf(text, sizeof text, upper ? "PN-%06d-AB" : "pn-%06d-ab", i);
  return text;
}

// Records 0..n-1 of the user, or the shipped records: 80 % of the user's keys (every fourth in
// lower case) plus new ones.
void Fill(CCapacitorDoc& doc, bool shipped, std::mt19937& random) {
  static const char* const kMakers[] = {"Nichicon", "KEMET", "Panasonic", "AVX", "TDK"};
  for (int i = 0; i < kRecords; ++i) {
    int key = shipped ? (i % 5 == 4 ? kRecords + i : i) : i;
    auto r = std::make_unique<CCapacitorRec>();
    r->m_strManufacturer = kMakers[key % 5];
    r->m_strPartNumber = PartNumber(key, !(shipped && i % 4 == 0));
    r->m_strType = "X7R";
    r->m_fCapacitance = float(random() % 1000) * 1e-6f;
    r->m_fRatedVoltage = float(random() % 100);
    r->m_fParam3 = float(random() % 1000) / 100;
    r->m_nParam7 = 1;
    doc.m_records.push_back(std::move(r));
  }
}

void Fill(CInductorDoc& doc, bool shipped, std::mt19937& random) {
  static const char* const kMakers[] = {"Coilcraft", "Wurth Elektronik", "Sumida", "TOKO"};
  for (int i = 0; i < kRecords; ++i) {
    int key = shipped ? (i % 5 == 4 ? kRecords + i : i) : i;
    auto r = std::make_unique<CInductorRec>();
    r->m_strManufacturer = kMakers[key % 4];
    r->m_strPartNumber = PartNumber(key, !(shipped && i % 4 == 0));
    r->m_fInductance = float(random() % 1000) * 1e-7f;
    r->m_fParam2 = float(random() % 100) / 10;
    r->m_fParam4 = float(random() % 100000);
    doc.m_records.push_back(std::move(r));
  }
}

template <class Doc>
void Bench(const char* kind, const std::filesystem::path& dir,
           MergeResult (*merge)(const char*, const char*, const char*, platform::Reporter&)) {
  platform::StderrReporter report("merge_bench");
  std::mt19937 random(12345);
  Doc user, shipped;
  Fill(user, false, random);
  Fill(shipped, true, random);
  std::string userPath = (dir / (std::string("user.") + kind)).string();
  std::string shippedPath = (dir / (std::string("shipped.") + kind)).string();
  if (!user.Save(userPath, report) || !shipped.Save(shippedPath, report)) {
    std::fprintf(stderr, "merge_bench: cannot write %s\n", dir.string().c_str());
    std::exit(1);
  }

  Clock::time_point start = Clock::now();
  user.MergeFrom(shipped);
  double mergeFrom = MillisecondsSince(start);

  start = Clock::now();
  const MergeResult result = merge(userPath.c_str(), shippedPath.c_str(), userPath.c_str(), report);
  double whole = MillisecondsSince(start);
  if (result != MergeResult::kMerged) {
    std::fprintf(stderr, "merge_bench: the %s merge failed\n", kind);
    std::exit(1);
  }
  std::printf("%-9s merge %d + %d records -> %zu: whole merge %.1f ms, MergeFrom %.1f ms\n", kind,
              kRecords, kRecords, user.m_records.size(), whole, mergeFrom);
}

}  // namespace

int main() {
  const std::filesystem::path dir =
      std::filesystem::temp_directory_path() /
      ("merge_bench." +
       std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
  std::filesystem::create_directories(dir);
  Bench<CCapacitorDoc>("cap", dir, MergeCapacitorDatabase);
  Bench<CInductorDoc>("ind", dir, MergeInductorDatabase);
  std::error_code ignored;
  std::filesystem::remove_all(dir, ignored);
  return 0;
}
