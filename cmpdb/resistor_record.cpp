#include "cmpdb/resistor_record.h"

#include "cmpdb/record_order.h"

const CRuntimeClass CResistorRec::classCResistorRec = {"CResistorRec", 0,
                                                       &CResistorRec::CreateObject};

std::unique_ptr<CObject> CResistorRec::CreateObject() { return std::make_unique<CResistorRec>(); }

void CResistorRec::Serialize(CArchive& ar) {
  ar.Exchange(m_strManufacturer);
  ar.Exchange(m_strPartNumber);
  ar.Exchange(m_fResistance);
  ar.Exchange(m_fParam2);
  ar.Exchange(m_fParam3);
}

int CompareResistorRecs(const CResistorRec& a, const CResistorRec& b) {
  if (int c = CompareFloats(a.m_fResistance, b.m_fResistance)) return c;
  if (int c = CompareFloats(a.m_fParam2, b.m_fParam2)) return c;
  if (int c = CompareFloats(a.m_fParam3, b.m_fParam3)) return c;
  if (int c = CompareTextExact(a.m_strManufacturer, b.m_strManufacturer)) return c;
  return CompareTextExact(a.m_strPartNumber, b.m_strPartNumber);
}

RecordKeys KeysOf(const CResistorRec& r) {
  RecordKeys keys{NamedKey(r.m_strManufacturer, r.m_strPartNumber), {}, false};
  const float values[3] = {r.m_fResistance, r.m_fParam2, r.m_fParam3};
  std::string key(1, 'V');
  for (float v : values) {
    if (!AppendNumberKey(key, v)) return keys;
  }
  keys.values = std::move(key);
  keys.valuesMember = r.m_strManufacturer.empty() && r.m_strPartNumber.empty();
  return keys;
}

std::string EqualKey(const CResistorRec& r) {
  return EqualRecordKey()
      .Number(r.m_fResistance)
      .Number(r.m_fParam2)
      .Number(r.m_fParam3)
      .Text(r.m_strManufacturer, false)
      .Text(r.m_strPartNumber, false)
      .Take();
}
