#include "cmpdb/inductor_record.h"

#include <algorithm>

#include "cmpdb/record_order.h"
#include "platform/ascii.h"

const CRuntimeClass CInductorRec::classCInductorRec = {"CInductorRec", 0,
                                                       &CInductorRec::CreateObject};

std::unique_ptr<CObject> CInductorRec::CreateObject() { return std::make_unique<CInductorRec>(); }

void CInductorRec::Serialize(CArchive& ar) {
  ar.Exchange(m_strManufacturer);
  ar.Exchange(m_strPartNumber);
  ar.Exchange(m_fInductance);
  ar.Exchange(m_fParam2);
  ar.Exchange(m_fParam3);
  ar.Exchange(m_fParam4);
  ar.Exchange(m_fParam5);
  // One maker is listed under several names; reading gives every one of them the same name
  // so that its records match across files.
  if (ar.IsLoading() && IsWurthName(m_strManufacturer)) m_strManufacturer = "Wurth Elektronik";
}

bool IsWurthName(const std::string& text) {
  // A text read from a file may hold NUL bytes; neither phrase does, so searching each piece
  // between them searches the whole text.
  for (std::size_t at = 0; at < text.size();) {
    std::size_t end = std::min(text.find('\0', at), text.size());
    const std::string piece = text.substr(at, end - at);
    if (platform::FindNoCase(piece.c_str(), "Wurth Elektronik") ||
        platform::FindNoCase(piece.c_str(), "WE eiSos")) {
      return true;
    }
    at = end + 1;
  }
  return false;
}

int CompareInductorRecs(const CInductorRec& a, const CInductorRec& b) {
  if (int c = CompareFloats(a.m_fInductance, b.m_fInductance)) return c;
  if (int c = CompareFloats(a.m_fParam2, b.m_fParam2)) return c;
  if (int c = CompareFloats(a.m_fParam3, b.m_fParam3)) return c;
  if (int c = CompareFloats(a.m_fParam4, b.m_fParam4)) return c;
  if (int c = CompareFloats(a.m_fParam5, b.m_fParam5)) return c;
  if (int c = CompareTextExact(a.m_strManufacturer, b.m_strManufacturer)) return c;
  return CompareTextExact(a.m_strPartNumber, b.m_strPartNumber);
}

RecordKeys KeysOf(const CInductorRec& r) {
  return {NamedKey(r.m_strManufacturer, r.m_strPartNumber), {}, false};
}

std::string EqualKey(const CInductorRec& r) {
  return EqualRecordKey()
      .Number(r.m_fInductance)
      .Number(r.m_fParam2)
      .Number(r.m_fParam3)
      .Number(r.m_fParam4)
      .Number(r.m_fParam5)
      .Text(r.m_strManufacturer, false)
      .Text(r.m_strPartNumber, false)
      .Take();
}
