#include "cmpdb/capacitor_record.h"

#include "cmpdb/record_order.h"

const CRuntimeClass CCapacitorRec::classCCapacitorRec = {"CCapacitorRec", 0,
                                                         &CCapacitorRec::CreateObject};

std::unique_ptr<CObject> CCapacitorRec::CreateObject() { return std::make_unique<CCapacitorRec>(); }

void CCapacitorRec::Serialize(CArchive& ar) {
  ar.Exchange(m_strManufacturer);
  ar.Exchange(m_strPartNumber);
  ar.Exchange(m_strType);
  ar.Exchange(m_fCapacitance);
  ar.Exchange(m_fRatedVoltage);
  ar.Exchange(m_fParam3);
  ar.Exchange(m_fParam4);
  ar.Exchange(m_fParam5);
  ar.Exchange(m_fParam6);
  ar.Exchange(m_nParam7);
}

int CompareCapacitorRecs(const CCapacitorRec& a, const CCapacitorRec& b) {
  if (int c = CompareFloats(a.m_fCapacitance, b.m_fCapacitance)) return c;
  if (int c = CompareFloats(a.m_fRatedVoltage, b.m_fRatedVoltage)) return c;
  if (int c = CompareFloats(a.m_fParam3, b.m_fParam3)) return c;
  if (int c = CompareFloats(a.m_fParam4, b.m_fParam4)) return c;
  if (int c = CompareFloats(a.m_fParam6, b.m_fParam6)) return c;
  // The difference wraps like the 32-bit subtraction it has always been.
  std::int32_t d = static_cast<std::int32_t>(static_cast<std::uint32_t>(a.m_nParam7) -
                                             static_cast<std::uint32_t>(b.m_nParam7));
  if (d) return d < 0 ? -1 : 1;
  if (int c = CompareFloats(a.m_fParam5, b.m_fParam5)) return c;
  if (int c = CompareTextNoCase(a.m_strType, b.m_strType)) return c;
  if (int c = CompareTextNoCase(a.m_strManufacturer, b.m_strManufacturer)) return c;
  return CompareTextNoCase(a.m_strPartNumber, b.m_strPartNumber);
}

RecordKeys KeysOf(const CCapacitorRec& r) {
  return {NamedKey(r.m_strManufacturer, r.m_strPartNumber), {}, false};
}

std::string EqualKey(const CCapacitorRec& r) {
  return EqualRecordKey()
      .Number(r.m_fCapacitance)
      .Number(r.m_fRatedVoltage)
      .Number(r.m_fParam3)
      .Number(r.m_fParam4)
      .Number(r.m_fParam5)
      .Number(r.m_fParam6)
      .Integer(r.m_nParam7)
      .Text(r.m_strType, true)
      .Text(r.m_strManufacturer, true)
      .Text(r.m_strPartNumber, true)
      .Take();
}
