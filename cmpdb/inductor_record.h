// The inductor record of standard.ind and standard.bead, its order and its key.
#pragma once

#include <memory>
#include <string>

#include "cmpdb/archive_stream.h"
#include "cmpdb/record_keys.h"

// One inductor or ferrite bead; fields in stream order. Reading sets a manufacturer that
// IsWurthName accepts to exactly "Wurth Elektronik"; writing writes the fields as they stand.
class CInductorRec : public CObject {
 public:
  static const CRuntimeClass classCInductorRec;
  static std::unique_ptr<CObject> CreateObject();

  const CRuntimeClass& GetRuntimeClass() const override { return classCInductorRec; }
  void Serialize(CArchive& ar) override;

  std::string m_strManufacturer;
  std::string m_strPartNumber;
  float m_fInductance = 0;
  float m_fParam2 = 0;
  float m_fParam3 = 0;
  float m_fParam4 = 0;
  float m_fParam5 = 0;
};

// True when the text is non-empty and contains "Wurth Elektronik" or "WE eiSos" anywhere, also
// after a NUL byte, ASCII letter case ignored.
bool IsWurthName(const std::string& text);

// The inductor order: inductance, parameters 2 to 5, then manufacturer and part number with
// letter case counting. Equal only for identical records.
int CompareInductorRecs(const CInductorRec& a, const CInductorRec& b);

// The key buckets of an inductor: the name only, so two inductors share a key when both have
// the same non-empty manufacturer and part number, letter case ignored.
RecordKeys KeysOf(const CInductorRec& r);

// The bucket of the records that CompareInductorRecs finds equal to r; empty when a number is NaN
// or infinite, since such a record equals no other.
std::string EqualKey(const CInductorRec& r);
