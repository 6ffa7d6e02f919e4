#include "tools/cmpdb/database_report.h"

#include <algorithm>
#include <unordered_map>
#include <vector>

#include "cmpdb/model_database.h"
#include "cmpdb/model_records.h"
#include "cmpdb/record_document.h"
#include "cmpdb/record_list.h"
#include "cmpdb/record_merge.h"
#include "platform/ascii.h"

namespace {

struct KindName {
  const char* name;
  DatabaseKind kind;
};

constexpr KindName kKinds[] = {
    {"bjt", DatabaseKind::kBjt}, {"mos", DatabaseKind::kMos},   {"jft", DatabaseKind::kJft},
    {"dio", DatabaseKind::kDio}, {"cap", DatabaseKind::kCap},   {"res", DatabaseKind::kRes},
    {"ind", DatabaseKind::kInd}, {"bead", DatabaseKind::kBead},
};

ModelKind ModelKindOf(DatabaseKind kind) {
  switch (kind) {
    case DatabaseKind::kMos:
      return ModelKind::kMosfet;
    case DatabaseKind::kJft:
      return ModelKind::kJfet;
    case DatabaseKind::kDio:
      return ModelKind::kDiode;
    default:
      return ModelKind::kBjt;
  }
}

bool IsModelKind(DatabaseKind kind) {
  return kind == DatabaseKind::kBjt || kind == DatabaseKind::kMos || kind == DatabaseKind::kJft ||
         kind == DatabaseKind::kDio;
}

// Texts are printed as they are, except bytes that would break the line or the columns.
std::string Printable(const std::string& text) {
  std::string out;
  for (unsigned char c : text) {
    if (c < 0x20 || c == 0x7F || c == '\\') {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02X", c);
      out += hex;
    } else {
      out += char(c);
    }
  }
  return out;
}

// A model's name and statement, then what its record reads from the statement.
void PrintLine(std::FILE* out, const CModelRec& r) {
  std::string line = Printable(r.m_strName) + '\t' + Printable(r.m_strStatement);
  auto text = [&line](const std::string& value) { line += '\t' + Printable(value); };
  auto number = [&line](double value) {
    char digits[32];
    std::snprintf(digits, sizeof digits, "\t%.15g", value);
    line += digits;
  };
  if (const auto* bjt = dynamic_cast<const CBjtRec*>(&r)) {
    text(bjt->m_strPolarity);
    text(bjt->m_strMfg);
    number(bjt->m_fVceo);
    number(bjt->m_fIcRating);
  } else if (const auto* mos = dynamic_cast<const CMosfetRec*>(&r)) {
    text(mos->m_strChannel);
    text(mos->m_strMfg);
    number(mos->m_fVds);
    number(mos->m_fRon);
    number(mos->m_fQg);
  } else if (const auto* jfet = dynamic_cast<const CJfetRec*>(&r)) {
    text(jfet->m_strPolarity);
    text(jfet->m_strMfg);
  } else if (const auto* diode = dynamic_cast<const CDiodeRec*>(&r)) {
    text(diode->m_strType);
    text(diode->m_strMfg);
    number(diode->m_fIave);
    number(diode->m_fVpk);
  }
  line += '\n';
  std::fputs(line.c_str(), out);
}

void PrintLine(std::FILE* out, const CCapacitorRec& r) {
  std::fprintf(out, "%s\t%s\t%s\t%.9g\t%.9g\t%.9g\t%.9g\t%.9g\t%.9g\t%d\n",
               Printable(r.m_strManufacturer).c_str(), Printable(r.m_strPartNumber).c_str(),
               Printable(r.m_strType).c_str(), r.m_fCapacitance, r.m_fRatedVoltage, r.m_fParam3,
               r.m_fParam4, r.m_fParam5, r.m_fParam6, r.m_nParam7);
}

void PrintLine(std::FILE* out, const CResistorRec& r) {
  std::fprintf(out, "%s\t%s\t%.9g\t%.9g\t%.9g\n", Printable(r.m_strManufacturer).c_str(),
               Printable(r.m_strPartNumber).c_str(), r.m_fResistance, r.m_fParam2, r.m_fParam3);
}

void PrintLine(std::FILE* out, const CInductorRec& r) {
  std::fprintf(out, "%s\t%s\t%.9g\t%.9g\t%.9g\t%.9g\t%.9g\n",
               Printable(r.m_strManufacturer).c_str(), Printable(r.m_strPartNumber).c_str(),
               r.m_fInductance, r.m_fParam2, r.m_fParam3, r.m_fParam4, r.m_fParam5);
}

// How many records share a key with another record of the list under the key test (in either
// direction), found through the key buckets.
template <class Rec>
std::size_t RecordsSharingAKey(const std::vector<std::unique_ptr<Rec>>& records) {
  std::unordered_map<std::string, std::size_t> named, lookers, members;
  std::vector<RecordKeys> keys;
  keys.reserve(records.size());
  for (const auto& r : records) {
    keys.push_back(KeysOf(*r));
    const RecordKeys& k = keys.back();
    if (!k.named.empty()) ++named[k.named];
    if (!k.values.empty()) {
      ++lookers[k.values];
      if (k.valuesMember) ++members[k.values];
    }
  }
  std::size_t sharing = 0;
  for (const RecordKeys& k : keys) {
    bool shares = !k.named.empty() && named[k.named] > 1;
    if (!k.values.empty()) {
      std::size_t others = members[k.values] - (k.valuesMember ? 1 : 0);
      shares = shares || others > 0 || (k.valuesMember && lookers[k.values] > 1);
    }
    if (shares) ++sharing;
  }
  return sharing;
}

template <class Doc>
bool DumpRecords(const std::string& path, std::FILE* out, platform::Reporter& report) {
  Doc doc;
  if (!doc.Open(path, report)) return false;
  for (const auto& r : doc.m_records) PrintLine(out, *r);
  return true;
}

template <class Doc>
bool CheckRecords(const std::string& path, std::FILE* out, platform::Reporter& report) {
  Doc doc;
  if (!doc.Open(path, report)) return false;
  std::size_t outOfOrder = 0, equal = 0;
  for (std::size_t i = 0; i + 1 < doc.m_records.size(); ++i) {
    int c = CompareRecs(*doc.m_records[i], *doc.m_records[i + 1]);
    if (c > 0) ++outOfOrder;
    if (c == 0) ++equal;
  }
  std::fprintf(out, "records: %zu\nout of order: %zu\nequal to the next: %zu\n",
               doc.m_records.size(), outOfOrder, equal);
  std::fprintf(out, "sharing a key: %zu\n", RecordsSharingAKey(doc.m_records));
  return true;
}

// The model loader reports nothing itself, so the report says which file failed.
bool LoadModels(DatabaseKind kind, const std::string& path, CRecordList& list,
                platform::Reporter& report) {
  if (LoadModelDatabase(path.c_str(), ModelKindOf(kind), list)) return true;
  report.Message("cannot read " + path);
  return false;
}

}  // namespace

std::optional<DatabaseKind> KindFromName(const std::string& name) {
  for (const KindName& k : kKinds) {
    if (name == k.name) return k.kind;
  }
  return std::nullopt;
}

std::optional<DatabaseKind> KindFromPath(const std::string& path) {
  std::string::size_type dot = path.find_last_of('.');
  if (dot == std::string::npos || path.find_first_of("\\/", dot) != std::string::npos) {
    return std::nullopt;
  }
  return KindFromName(platform::AsciiLowered(path.substr(dot + 1)));
}

MergeResult MergeDatabase(DatabaseKind kind, const char* output, const char* shipped,
                          const char* existing, platform::Reporter& report) {
  switch (kind) {
    case DatabaseKind::kCap:
      return MergeCapacitorDatabase(output, shipped, existing, report);
    case DatabaseKind::kRes:
      return MergeResistorDatabase(output, shipped, existing, report);
    case DatabaseKind::kInd:
    case DatabaseKind::kBead:
      return MergeInductorDatabase(output, shipped, existing, report);
    default:
      return MergeModelDatabase(output, shipped, existing, ModelKindOf(kind), report);
  }
}

bool DumpDatabase(DatabaseKind kind, const std::string& path, std::FILE* out,
                  platform::Reporter& report) {
  switch (kind) {
    case DatabaseKind::kCap:
      return DumpRecords<CCapacitorDoc>(path, out, report);
    case DatabaseKind::kRes:
      return DumpRecords<CResistorDoc>(path, out, report);
    case DatabaseKind::kInd:
    case DatabaseKind::kBead:
      return DumpRecords<CInductorDoc>(path, out, report);
    default:
      break;
  }
  CRecordList list;
  if (!LoadModels(kind, path, list, report)) return false;
  for (int i = 0; i < list.Count(); ++i) PrintLine(out, *list.At(i));
  return true;
}

bool CheckDatabase(DatabaseKind kind, const std::string& path, std::FILE* out,
                   platform::Reporter& report) {
  switch (kind) {
    case DatabaseKind::kCap:
      return CheckRecords<CCapacitorDoc>(path, out, report);
    case DatabaseKind::kRes:
      return CheckRecords<CResistorDoc>(path, out, report);
    case DatabaseKind::kInd:
    case DatabaseKind::kBead:
      return CheckRecords<CInductorDoc>(path, out, report);
    default:
      break;
  }
  if (!IsModelKind(kind)) return false;
  CRecordList list;
  if (!LoadModels(kind, path, list, report)) return false;
  // Model databases keep file order; the key is the model name.
  std::unordered_map<std::string, std::size_t> names;
  auto folded = [](const std::string& s) { return platform::AsciiLowered(s); };
  for (int i = 0; i < list.Count(); ++i) {
    if (!list.At(i)->m_strName.empty()) ++names[folded(list.At(i)->m_strName)];
  }
  std::size_t sharing = 0;
  for (int i = 0; i < list.Count(); ++i) {
    if (!list.At(i)->m_strName.empty() && names[folded(list.At(i)->m_strName)] > 1) ++sharing;
  }
  std::fprintf(out, "records: %d\nout of order: 0 (file order)\nsharing a key: %zu\n", list.Count(),
               sharing);
  return true;
}
