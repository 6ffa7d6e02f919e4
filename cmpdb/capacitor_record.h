// The capacitor record of standard.cap, its order and its key.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "cmpdb/archive_stream.h"
#include "cmpdb/record_keys.h"

// One capacitor; fields in stream order. A new record has empty texts and all numbers 0.
class CCapacitorRec : public CObject {
 public:
  static const CRuntimeClass classCCapacitorRec;
  static std::unique_ptr<CObject> CreateObject();

  const CRuntimeClass& GetRuntimeClass() const override { return classCCapacitorRec; }
  void Serialize(CArchive& ar) override;

  std::string m_strManufacturer;
  std::string m_strPartNumber;
  std::string m_strType;
  float m_fCapacitance = 0;
  float m_fRatedVoltage = 0;
  float m_fParam3 = 0;
  float m_fParam4 = 0;
  float m_fParam5 = 0;
  float m_fParam6 = 0;
  std::int32_t m_nParam7 = 0;
};

// The capacitor order: capacitance, rated voltage, parameters 3, 4, 6, the integer 7 (sign of
// the wrapping 32-bit difference), parameter 5, then type, manufacturer and part number without
// regard to letter case.
int CompareCapacitorRecs(const CCapacitorRec& a, const CCapacitorRec& b);

// The key buckets of a capacitor: the name only, so two capacitors share a key when both have
// the same non-empty manufacturer and part number, letter case ignored.
RecordKeys KeysOf(const CCapacitorRec& r);

// The bucket of the records that CompareCapacitorRecs finds equal to r; empty when a number is NaN
// or infinite, since such a record equals no other.
std::string EqualKey(const CCapacitorRec& r);
