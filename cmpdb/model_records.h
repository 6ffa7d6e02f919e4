// The records of the four model-text databases, each built from one ".model" statement.
#pragma once

#include <memory>
#include <string>

// The four model databases, each holding records of one kind.
enum class ModelKind { kBjt, kMosfet, kJfet, kDiode };

// What every model record holds: its name (the merge key) and the statement it was built
// from (what a merge writes back). The record list destroys records through this base.
class CModelRec {
 public:
  virtual ~CModelRec() = default;

  std::string m_strName;
  std::string m_strStatement;

 protected:
  // Stores the statement and its model name (the second token).
  explicit CModelRec(const char* statement);

  // The statement from the character after the type token (the third) on, where every
  // parameter look-up starts.
  const char* Parameters() const { return m_strStatement.c_str() + m_nParameters; }

 private:
  std::size_t m_nParameters = 0;
};

// A bipolar transistor: polarity "pnp" when "pnp" appears anywhere in the statement, else "npn".
class CBjtRec : public CModelRec {
 public:
  explicit CBjtRec(const char* statement);

  std::string m_strPolarity;
  std::string m_strMfg;
  double m_fVceo = 0;
  double m_fIcRating = 0;
};

// A MOSFET: channel "P-chan", "N-chan" or empty by ChannelOf.
class CMosfetRec : public CModelRec {
 public:
  explicit CMosfetRec(const char* statement);

  std::string m_strChannel;
  std::string m_strMfg;
  double m_fVds = 0;
  double m_fRon = 0;
  double m_fQg = 0;
};

// A JFET: polarity "pjf" when "pjf" appears anywhere in the statement, else "njf".
class CJfetRec : public CModelRec {
 public:
  explicit CJfetRec(const char* statement);

  std::string m_strPolarity;
  std::string m_strMfg;
};

// A diode: its type text and average current and peak voltage ratings.
class CDiodeRec : public CModelRec {
 public:
  explicit CDiodeRec(const char* statement);

  std::string m_strType;
  std::string m_strMfg;
  double m_fIave = 0;
  double m_fVpk = 0;
};

// The channel of a MOSFET statement from its type token (the third token): "P-chan" for a type
// beginning with P, "N-chan" for N, for VDMOS "P-chan" when "pchan" follows anywhere and
// "N-chan" otherwise, and empty for anything else.
std::string ChannelOf(const char* statement);

// A new record of the kind built from the statement.
std::unique_ptr<CModelRec> MakeModelRecord(ModelKind kind, const char* statement);
