#include "cmpdb/model_records.h"

#include <gtest/gtest.h>

#include <cmath>

#include "cmpdb/model_params.h"

namespace {

TEST(ModelParams, FindParamMatchesWholeNamesOnly) {
  const char* text = " Vrg=1 mfgx=2 Rg =3 mfg=Big_Parts)";
  EXPECT_STREQ(FindParam(text, "Rg"), "=3 mfg=Big_Parts)") << "after the name and its blank";
  EXPECT_STREQ(FindParam(text, "MFG"), "Big_Parts)");
  EXPECT_EQ(FindParam(text, "Vr"), nullptr);
  EXPECT_EQ(FindParam(text, "x"), nullptr);
  EXPECT_EQ(FindParam(text, ""), nullptr);
  EXPECT_EQ(FindParam(nullptr, "Rg"), nullptr);
  // The start of the searched text counts as a word start, also where a repeated search
  // begins inside a word.
  EXPECT_STREQ(FindParam("Rg=1", "rg"), "1");
  EXPECT_STREQ(FindParam("xaaa=5", "aa"), "5");
  EXPECT_STREQ(FindParam("RgRg=7", "Rg"), "7");
}

TEST(ModelParams, ParamValue) {
  const char* text = " Vceo=30 Icrating=800m mfg=Big_Parts) type = zener";
  EXPECT_EQ(ParamValue(text, "Vceo"), "30");
  EXPECT_EQ(ParamValue(text, "IcRating"), "800m");
  EXPECT_EQ(ParamValue(text, "mfg"), "Big Parts");
  EXPECT_EQ(ParamValue(text, "type"), "zener");
  EXPECT_EQ(ParamValue(text, "Vpk"), std::nullopt);
  EXPECT_EQ(ParamValue("", "Vpk"), std::nullopt);
  EXPECT_EQ(ParamValue(" Vpk=)", "Vpk"), "");
}

TEST(ModelParams, ParseEngValue) {
  const std::pair<const char*, double> cases[] = {
      {"30", 30},       {"800m", 0.8},      {"4k7", 4700}, {"1meg5", 1.5e6},
      {"2.2u", 2.2e-6}, {"10mil", 2.54e-4}, {"5V3", 5.3},  {"1T", 1e12},
      {"2g", 2e9},      {"3MEG", 3e6},      {"7R5", 7.5},  {"50%", 0.5},
      {"3\xB5", 3e-6},  {"4n", 4e-9},       {"5p", 5e-12}, {"6f", 6e-15},
      {"1e3k", 1e6},    {"-4k7", -3300},    {" +.5", 0.5}, {"abc", 0},
      {"", 0},          {"1x", 1},          {"2_5", 2.5},  {"3$25", 3.25},
      {"9e", 9},        {"0x10", 0.1},      {"inf", 0},    {"12.5.3", 12.5},
  };
  for (const auto& [text, value] : cases) {
    EXPECT_NEAR(ParseEngValue(text), value, std::fabs(value) * 1e-12) << text;
  }
  EXPECT_EQ(ParseEngValue(nullptr), 0);
}

TEST(ModelRecords, BjtAttributes) {
  CBjtRec rec(".model QX1 ako:Q2 PNP(Bf=90 Vceo=30 Icrating=800m mfg=Big_Parts)");
  EXPECT_EQ(rec.m_strName, "QX1");
  EXPECT_EQ(rec.m_strPolarity, "pnp");
  EXPECT_EQ(rec.m_strMfg, "Big Parts");
  EXPECT_DOUBLE_EQ(rec.m_fVceo, 30);
  EXPECT_DOUBLE_EQ(rec.m_fIcRating, 0.8);
  // "pnp" anywhere in the statement counts, even in the name.
  EXPECT_EQ(CBjtRec(".model pnpish NPN(BF=1)").m_strPolarity, "pnp");
  CBjtRec plain(".model Q3 NPN(Vceo=40)");
  EXPECT_EQ(plain.m_strPolarity, "npn");
  EXPECT_EQ(plain.m_strMfg, "");
  EXPECT_EQ(plain.m_fIcRating, 0);
}

TEST(ModelRecords, ParameterLookUpStartsAfterTheType) {
  // Neither the name nor the type token, which holds the first parameter, is looked at.
  CDiodeRec rec(".model Vpk=9 D(Is=1n Iave=200m Vpk=75 mfg=X type=silicon)");
  EXPECT_DOUBLE_EQ(rec.m_fIave, 0.2);
  EXPECT_DOUBLE_EQ(rec.m_fVpk, 75);
  EXPECT_EQ(rec.m_strType, "silicon");
  EXPECT_EQ(CDiodeRec(".model D1 type=x(Vpk=1)").m_strType, "");
  EXPECT_EQ(CDiodeRec(".model D1 D(Iave=1 Vpk=2)").m_fIave, 0);
}

TEST(ModelRecords, ChannelRule) {
  EXPECT_EQ(ChannelOf(".model M1 PMOS(Vto=-1)"), "P-chan");
  EXPECT_EQ(ChannelOf(".model M1 nmos(Vto=1)"), "N-chan");
  EXPECT_EQ(ChannelOf(".model M1 VDMOS(pchan Rg=3)"), "P-chan");
  EXPECT_EQ(ChannelOf(".model M1 vdmos(Rg=3 Vds=30)"), "N-chan");
  EXPECT_EQ(ChannelOf(".model M1 VDMOS(Rg=3 mfg=x PCHAN)"), "P-chan");
  EXPECT_EQ(ChannelOf(".model pchan VDMOS(Rg=3)"), "N-chan") << "only from the type on";
  EXPECT_EQ(ChannelOf(".model M1 XMOS(pchan)"), "");
  EXPECT_EQ(ChannelOf(".model M1"), "");

  CMosfetRec rec(".model M2 VDMOS(pchan Rg=3 Vds=-60 Ron=85m Qg=22n mfg=Harwick_Power)");
  EXPECT_EQ(rec.m_strChannel, "P-chan");
  EXPECT_DOUBLE_EQ(rec.m_fVds, -60);
  EXPECT_DOUBLE_EQ(rec.m_fRon, 0.085);
  EXPECT_DOUBLE_EQ(rec.m_fQg, 22e-9);
  EXPECT_EQ(rec.m_strMfg, "Harwick Power");
}

TEST(ModelRecords, JfetPolarityAndTheKindFactory) {
  EXPECT_EQ(CJfetRec(".model J1 PJF(Beta=1m)").m_strPolarity, "pjf");
  EXPECT_EQ(CJfetRec(".model J1 NJF(Beta=1m)").m_strPolarity, "njf");
  const auto rec = MakeModelRecord(ModelKind::kJfet, ".model J2 PJF(mfg=Y)");
  ASSERT_NE(dynamic_cast<CJfetRec*>(rec.get()), nullptr);
  EXPECT_EQ(rec->m_strStatement, ".model J2 PJF(mfg=Y)");
  EXPECT_NE(dynamic_cast<CBjtRec*>(MakeModelRecord(ModelKind::kBjt, ".model").get()), nullptr);
  EXPECT_NE(dynamic_cast<CMosfetRec*>(MakeModelRecord(ModelKind::kMosfet, "").get()), nullptr);
  EXPECT_NE(dynamic_cast<CDiodeRec*>(MakeModelRecord(ModelKind::kDiode, "x").get()), nullptr);
}

}  // namespace
