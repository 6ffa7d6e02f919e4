// The resistor record of standard.res, its order and its key.
#pragma once

#include <memory>
#include <string>

#include "cmpdb/archive_stream.h"
#include "cmpdb/record_keys.h"

// One resistor; fields in stream order. A new record has empty texts and all numbers 0.
class CResistorRec : public CObject {
 public:
  static const CRuntimeClass classCResistorRec;
  static std::unique_ptr<CObject> CreateObject();

  const CRuntimeClass& GetRuntimeClass() const override { return classCResistorRec; }
  void Serialize(CArchive& ar) override;

  std::string m_strManufacturer;
  std::string m_strPartNumber;
  float m_fResistance = 0;
  float m_fParam2 = 0;
  float m_fParam3 = 0;
};

// The resistor order: resistance, parameters 2 and 3, then manufacturer and part number with
// letter case counting. Equal only for identical records.
int CompareResistorRecs(const CResistorRec& a, const CResistorRec& b);

// The key buckets of a resistor: its name, and its values (which it belongs to when unnamed).
// So an incoming resistor shares a key with an existing one of the same non-empty name (letter
// case ignored), and with an unnamed existing one whose three numbers equal its own; for the
// second, only the existing record's name is looked at.
RecordKeys KeysOf(const CResistorRec& r);

// The bucket of the records that CompareResistorRecs finds equal to r; empty when a number is NaN
// or infinite, since such a record equals no other.
std::string EqualKey(const CResistorRec& r);
