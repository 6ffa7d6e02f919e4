#include "tests/app/user_databases.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>

#include "cmpdb/model_database.h"
#include "cmpdb/record_document.h"
#include "tests/support/box_capture.h"
#include "tests/support/disk_files.h"
#include "tools/sampletree/sample_databases.h"

namespace tvex_test {
namespace {

constexpr const char* kNames[kDatabaseCount] = {
    "standard.bjt", "standard.mos", "standard.jft", "standard.dio",
    "standard.cap", "standard.res", "standard.ind", "standard.bead",
};
constexpr char kUserMaker[] = "User Lab";

ModelKind KindOf(const std::string& name) {
  if (name == "standard.mos") return ModelKind::kMosfet;
  if (name == "standard.jft") return ModelKind::kJfet;
  if (name == "standard.dio") return ModelKind::kDiode;
  return ModelKind::kBjt;
}

bool IsModelDatabase(const std::string& name) {
  return name == "standard.bjt" || name == "standard.mos" || name == "standard.jft" ||
         name == "standard.dio";
}

std::string UserName(int i) { return "USER" + std::to_string(i); }

// A file or folder of this test program's own in the system's temporary folder.
std::string ScratchPath(const std::string& name) {
  static const std::string prefix =
      ::testing::TempDir() + "tvex-user-" + std::to_string(std::random_device()()) + "-";
  return prefix + name;
}

template <class Doc, class Rec>
std::string AddRecords(const std::string& name, const std::string& shipped, int count) {
  const std::string path = ScratchPath(name);
  WriteAll(path, shipped);
  Doc doc;
  EXPECT_TRUE(doc.Open(path, BoxReport()));
  for (int i = 0; i < count; ++i) {
    auto record = std::make_unique<Rec>();
    record->m_strManufacturer = kUserMaker;
    record->m_strPartNumber = UserName(i);
    doc.m_records.push_back(std::move(record));
  }
  EXPECT_TRUE(doc.Save(path, BoxReport()));
  std::string bytes = ReadAll(path);
  RemoveTree(path);
  return bytes;
}

template <class Doc>
std::set<std::string> UserRecords(const std::string& path) {
  std::set<std::string> names;
  Doc doc;
  if (!doc.Open(path, BoxReport())) return names;
  for (const auto& record : doc.m_records)
    if (record->m_strManufacturer == kUserMaker) names.insert(record->m_strPartNumber);
  return names;
}

}  // namespace

const char* const* DatabaseNames() { return kNames; }

const std::map<std::string, std::string>& ShippedDatabases() {
  static const std::map<std::string, std::string> shipped = [] {
    const std::string dir = ScratchPath("samples");
    RemoveTree(dir);
    MakeDir(dir);
    EXPECT_TRUE(WriteSampleModelDatabases(dir));
    EXPECT_TRUE(WriteSampleRecordDatabases(dir));
    std::map<std::string, std::string> bytes;
    for (const char* name : kNames) bytes[name] = ReadAll(dir + "\\" + name);
    RemoveTree(dir);
    return bytes;
  }();
  return shipped;
}

std::string WithUserAdditions(const std::string& name, const std::string& shipped, int count) {
  if (IsModelDatabase(name)) {
    std::string text = shipped;
    for (int i = 0; i < count; ++i)
      text += ".model " + UserName(i) + " NPN(Bf=" + std::to_string(i + 1) + " mfg=User_Lab)\r\n";
    return text;
  }
  if (name == "standard.cap") return AddRecords<CCapacitorDoc, CCapacitorRec>(name, shipped, count);
  if (name == "standard.res") return AddRecords<CResistorDoc, CResistorRec>(name, shipped, count);
  return AddRecords<CInductorDoc, CInductorRec>(name, shipped, count);
}

std::set<std::string> UserEntries(const std::string& name, const std::string& path) {
  if (IsModelDatabase(name)) {
    std::set<std::string> names;
    CRecordList list;
    if (!LoadModelDatabase(path.c_str(), KindOf(name), list)) return names;
    for (int i = 0; i < list.Count(); ++i)
      if (list.At(i)->m_strName.rfind("USER", 0) == 0) names.insert(list.At(i)->m_strName);
    return names;
  }
  if (name == "standard.cap") return UserRecords<CCapacitorDoc>(path);
  if (name == "standard.res") return UserRecords<CResistorDoc>(path);
  return UserRecords<CInductorDoc>(path);
}

}  // namespace tvex_test
