// The sample tree's four record-archive databases, written through the documents that the
// merge reads them with. Part numbers and values are invented; the shape follows the shipped
// files: how many records, which makers, the value ranges, the two pairs of records that share
// a key, and the order each file is stored in.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "cmpdb/record_document.h"
#include "platform/reporter.h"
#include "tools/sampletree/sample_databases.h"
#include "tools/sampletree/sample_sequence.h"

namespace {

constexpr int kCapacitors = 1296;
constexpr int kInductors = 1022;
constexpr int kBeads = 116;

// The sample sequence that also draws component values.
class Sequence : public sampletree::SampleSequence {
 public:
  using SampleSequence::SampleSequence;
  // A value between low and high on a logarithmic scale, rounded to four digits.
  float LogBetween(double low, double high) {
    double x = std::exp(std::log(low) + (std::log(high) - std::log(low)) * Unit());
    return Round4(x);
  }
  float Between(double low, double high) { return Round4(low + (high - low) * Unit()); }

 private:
  double Unit() { return double(Next() % 1000000u) / 999999.0; }
  static float Round4(double x) {
    if (x <= 0) return 0;
    double scale = std::pow(10.0, 3 - std::floor(std::log10(x)));
    return static_cast<float>(std::round(x * scale) / scale);
  }
};

// The format takes exactly three integer (or character) conversions.
std::string Code(const char* format, int a, int b, int c) {
  char text[64];
  std::snprintf(text, sizeof text, format, a, b, c);
  return text;
}

template <class Doc>
void SortBy(Doc& doc, bool (*less)(const typename Doc::Record&, const typename Doc::Record&)) {
  std::sort(doc.m_records.begin(), doc.m_records.end(),
            [less](const auto& a, const auto& b) { return less(*a, *b); });
}

bool CapacitorLess(const CCapacitorRec& a, const CCapacitorRec& b) {
  return CompareCapacitorRecs(a, b) < 0;
}
bool InductorLess(const CInductorRec& a, const CInductorRec& b) {
  return CompareInductorRecs(a, b) < 0;
}
bool PartNumberLess(const CInductorRec& a, const CInductorRec& b) {
  return a.m_strPartNumber < b.m_strPartNumber;
}

struct CapacitorMaker {
  const char* name;
  const char* type;  // the kind most of its records are
  const char* partFormat;
};

const CapacitorMaker kCapacitorMakers[] = {
    {"Nichicon", "Al electrolytic", "U%c%c%05dMDD"},
    {"KEMET", "Tantalum", "T49%c%c%05dK"},
    {"Panasonic", "Al electrolytic", "EE%c-F%c%05d"},
    {"United Chemi-Con", "Al electrolytic", "KZ%c%c-%05dM"},
    {"AVX", "Tantalum", "TP%c%c%05dR"},
    {"TDK", "X7R", "C32%c%c-%05dK"},
    {"SANYO", "Al electrolytic", "%c%cSP%05dM"},
};

const float kVoltages[] = {2, 2.5f, 4, 6.3f, 10, 16, 20, 25, 35, 50, 63, 100};
const float kThousands[] = {0, 1000, 2000, 5000, 3000, 8000, 10000, 15000, 20000};

std::unique_ptr<CCapacitorDoc> SampleCapacitors() {
  auto doc = std::make_unique<CCapacitorDoc>();
  Sequence seq(0xCA9);
  std::set<std::string> parts;
  auto add = [&doc](const char* maker, std::string part, const char* type, float farads,
                    float volts, float p3, float p4, float p5) {
    auto r = std::make_unique<CCapacitorRec>();
    r->m_strManufacturer = maker;
    r->m_strPartNumber = std::move(part);
    r->m_strType = type;
    r->m_fCapacitance = farads;
    r->m_fRatedVoltage = volts;
    r->m_fParam3 = p3;
    r->m_fParam4 = p4;
    r->m_fParam5 = p5;
    r->m_fParam6 = 0;
    r->m_nParam7 = 1;
    doc->m_records.push_back(std::move(r));
  };
  // One part number listed twice with two capacitances: a merge keeps only one of them.
  add("Nichicon", "UPL0J102MRH6", "Al electrolytic", 0.001f, 6.3f, 0.4472f, 0.087f, 2000);
  add("Nichicon", "UPL0J102MRH6", "Al electrolytic", 0.01f, 6.3f, 0.1414f, 0.022f, 2000);
  parts.insert("Nichicon|UPL0J102MRH6");

  int maker = 0;
  while (static_cast<int>(doc->m_records.size()) < kCapacitors) {
    const CapacitorMaker& m = kCapacitorMakers[maker++ % 7];
    const char* type = m.type;
    if (m.type[0] == 'X' || seq.Below(6) == 0) type = seq.Below(2) ? "X5R" : "X7R";
    std::string part =
        Code(m.partFormat, 'A' + seq.Below(26), 'A' + seq.Below(26), seq.Below(100000));
    if (!parts.insert(std::string(m.name) + "|" + part).second) continue;
    float volts = kVoltages[seq.Below(12)];
    float farads = seq.LogBetween(4.7e-7, 0.022);
    float p3 = seq.Below(10) == 0 ? 0 : seq.Between(0.001, 12.247);
    float p4 = seq.LogBetween(0.0008, 43);
    add(m.name, part, type, farads, volts, p3, p4, kThousands[seq.Below(9)]);
  }
  SortBy(*doc, CapacitorLess);
  return doc;
}

// The 96-per-decade standard series, one decade.
const int kE96[96] = {100, 102, 105, 107, 110, 113, 115, 118, 121, 124, 127, 130, 133, 137,
                      140, 143, 147, 150, 154, 158, 162, 165, 169, 174, 178, 182, 187, 191,
                      196, 200, 205, 210, 215, 221, 226, 232, 237, 243, 249, 255, 261, 267,
                      274, 280, 287, 294, 301, 309, 316, 324, 332, 340, 348, 357, 365, 374,
                      383, 392, 402, 412, 422, 432, 442, 453, 464, 475, 487, 499, 511, 523,
                      536, 549, 562, 576, 590, 604, 619, 634, 649, 665, 681, 698, 715, 732,
                      750, 768, 787, 806, 825, 845, 866, 887, 909, 931, 953, 976};

std::unique_ptr<CResistorDoc> SampleResistors() {
  auto doc = std::make_unique<CResistorDoc>();
  auto add = [&doc](double ohms) {
    auto r = std::make_unique<CResistorRec>();
    r->m_fResistance = static_cast<float>(ohms);
    r->m_fParam2 = 0.1f;
    r->m_fParam3 = 0.01f;
    doc->m_records.push_back(std::move(r));
  };
  for (int decade = 0; decade < 5; ++decade) {
    for (int value : kE96) add(value * std::pow(10.0, decade) / 10.0);
  }
  add(1000000.0);
  return doc;  // already in the resistor order: ascending values, all else equal
}

struct InductorMaker {
  const char* name;
  const char* partFormat;
};

const InductorMaker kInductorMakers[] = {
    {"Coilcraft", "DO%d%02d-%03dML"}, {"Wurth Elektronik", "744%d%02d%03d"},
    {"Sumida", "CDR%d%02dNP-%03dMC"}, {"Coiltronics", "DR%d%02d-%03d-R"},
    {"Gowanda", "SM%d%02d-%03dK"},    {"TOKO", "A%d%02dAY-%03dM"},
    {"TDK", "SLF%d%02dT-%03dM"},      {"Hurricane", "HC%d%02d-%03dLF"},
};

std::unique_ptr<CInductorRec> Inductor(const char* maker, std::string part, float henries, float p2,
                                       float p3, float p4, float p5) {
  auto r = std::make_unique<CInductorRec>();
  r->m_strManufacturer = maker;
  r->m_strPartNumber = std::move(part);
  r->m_fInductance = henries;
  r->m_fParam2 = p2;
  r->m_fParam3 = p3;
  r->m_fParam4 = p4;
  r->m_fParam5 = p5;
  return r;
}

std::unique_ptr<CInductorDoc> SampleInductors() {
  auto doc = std::make_unique<CInductorDoc>();
  Sequence seq(0x1D);
  std::set<std::string> parts;
  // One part number listed with two inductances: a merge keeps only one of them.
  doc->m_records.push_back(
      Inductor("Coilcraft", "LPO4815-332MX", 3.3e-6f, 0.56f, 0.195f, 480000, 0));
  doc->m_records.push_back(
      Inductor("Coilcraft", "LPO4815-332MX", 3.9e-6f, 0.52f, 0.23f, 440000, 0));
  parts.insert("Coilcraft|LPO4815-332MX");

  int maker = 0;
  while (static_cast<int>(doc->m_records.size()) < kInductors) {
    const InductorMaker& m = kInductorMakers[maker++ % 8];
    std::string part = Code(m.partFormat, 1 + seq.Below(9), seq.Below(100), seq.Below(1000));
    if (!parts.insert(std::string(m.name) + "|" + part).second) continue;
    float p5 = seq.Below(3) == 0 ? 0 : seq.LogBetween(1e-13, 4.87e-11);
    doc->m_records.push_back(Inductor(m.name, part, seq.LogBetween(6.4e-8, 0.0015),
                                      seq.LogBetween(0.11, 65), seq.Between(0, 7),
                                      seq.Below(8) == 0 ? 0 : seq.LogBetween(300, 763000), p5));
  }
  SortBy(*doc, InductorLess);
  return doc;
}

std::unique_ptr<CInductorDoc> SampleBeads() {
  auto doc = std::make_unique<CInductorDoc>();
  Sequence seq(0xBEAD);
  std::set<std::string> parts;
  while (static_cast<int>(doc->m_records.size()) < kBeads) {
    std::string part = Code("8420%d%02d%d", 1 + seq.Below(4), seq.Below(100), seq.Below(10));
    if (!parts.insert(part).second) continue;
    doc->m_records.push_back(Inductor(
        "Wurth Elektronik eiSos", part, seq.LogBetween(1.6e-8, 3.642e-6), seq.LogBetween(0.05, 6),
        seq.LogBetween(0.0006, 1), seq.LogBetween(19, 3380), seq.LogBetween(1e-15, 4.9e-12)));
  }
  SortBy(*doc, PartNumberLess);
  return doc;
}

}  // namespace

bool WriteSampleRecordDatabases(const std::string& cmpDir) {
  platform::StderrReporter report("sampletree");
  return SampleCapacitors()->Save(cmpDir + "\\standard.cap", report) &&
         SampleResistors()->Save(cmpDir + "\\standard.res", report) &&
         SampleInductors()->Save(cmpDir + "\\standard.ind", report) &&
         SampleBeads()->Save(cmpDir + "\\standard.bead", report);
}
