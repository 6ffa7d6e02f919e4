#include "cmpdb/model_records.h"

#include "cmpdb/model_params.h"
#include "cmpdb/statement_reader.h"
#include "platform/ascii.h"

namespace {

std::string TextParam(const char* text, const char* name) {
  return ParamValue(text, name).value_or(std::string());
}

// An absent parameter reads as 0.
double NumberParam(const char* text, const char* name) {
  const std::optional<std::string> value = ParamValue(text, name);
  return value ? ParseEngValue(value->c_str()) : 0;
}

}  // namespace

CModelRec::CModelRec(const char* statement) : m_strStatement(statement) {
  const char* cursor = m_strStatement.c_str();
  NextToken(cursor);  // .model
  m_strName = NextToken(cursor);
  NextToken(cursor);  // the type, with whatever follows it up to the first blank
  m_nParameters = static_cast<std::size_t>(cursor - m_strStatement.c_str());
}

CBjtRec::CBjtRec(const char* statement) : CModelRec(statement) {
  const char* parameters = Parameters();
  m_fVceo = NumberParam(parameters, "Vceo");
  m_fIcRating = NumberParam(parameters, "IcRating");
  m_strPolarity = platform::FindNoCase(m_strStatement.c_str(), "pnp") ? "pnp" : "npn";
  m_strMfg = TextParam(parameters, "mfg");
}

CMosfetRec::CMosfetRec(const char* statement) : CModelRec(statement) {
  const char* parameters = Parameters();
  m_fVds = NumberParam(parameters, "Vds");
  m_fRon = NumberParam(parameters, "Ron");
  m_fQg = NumberParam(parameters, "Qg");
  m_strChannel = ChannelOf(m_strStatement.c_str());
  m_strMfg = TextParam(parameters, "mfg");
}

CJfetRec::CJfetRec(const char* statement) : CModelRec(statement) {
  const char* parameters = Parameters();
  m_strPolarity = platform::FindNoCase(m_strStatement.c_str(), "pjf") ? "pjf" : "njf";
  m_strMfg = TextParam(parameters, "mfg");
}

CDiodeRec::CDiodeRec(const char* statement) : CModelRec(statement) {
  const char* parameters = Parameters();
  m_fIave = NumberParam(parameters, "Iave");
  m_fVpk = NumberParam(parameters, "Vpk");
  m_strType = TextParam(parameters, "type");
  m_strMfg = TextParam(parameters, "mfg");
}

std::string ChannelOf(const char* statement) {
  const char* cursor = statement;
  NextToken(cursor);
  NextToken(cursor);
  while (*cursor && IsBlank(*cursor)) ++cursor;
  const char* typeStart = cursor;
  const std::string type = NextToken(cursor);
  const char first = platform::AsciiUpper(type.empty() ? '\0' : type[0]);
  if (first == 'P') return "P-chan";
  if (first == 'N') return "N-chan";
  if (platform::FindNoCase(type.c_str(), "vdmos") == type.c_str()) {
    // "pchan" holds no blank, so one search from the type on covers the type and what follows.
    return platform::FindNoCase(typeStart, "pchan") ? "P-chan" : "N-chan";
  }
  return {};
}

std::unique_ptr<CModelRec> MakeModelRecord(ModelKind kind, const char* statement) {
  switch (kind) {
    case ModelKind::kBjt:
      return std::make_unique<CBjtRec>(statement);
    case ModelKind::kMosfet:
      return std::make_unique<CMosfetRec>(statement);
    case ModelKind::kJfet:
      return std::make_unique<CJfetRec>(statement);
    case ModelKind::kDiode:
      break;
  }
  return std::make_unique<CDiodeRec>(statement);
}
