// The sample tree's four model-text databases. The models are invented but shaped like the
// shipped ones: BJT models spread over "+" lines (one with an ako: alias), VDMOS MOSFETs of
// both channels, N and P JFETs and diodes, each file with its own comment header.
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#include "platform/file_system.h"
#include "tools/sampletree/sample_databases.h"
#include "tools/sampletree/sample_sequence.h"

namespace {

constexpr int kBjtModels = 30;
constexpr int kMosfetModels = 260;
constexpr int kPChannelMosfets = 64;
constexpr int kJfetModels = 17;
constexpr int kDiodeModels = 58;

const char* const kMakers[] = {"Big_Parts",       "Northfield_Semi", "Aldenmoor",
                               "Kestrel_Devices", "Lumeno",          "Harwick_Power"};

// The sample sequence that also picks makers.
class Sequence : public sampletree::SampleSequence {
 public:
  using SampleSequence::SampleSequence;
  const char* Maker() { return kMakers[Below(6)]; }
};

std::string Format(const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;

std::string Format(const char* format, ...) {
  char buffer[512];
  va_list args;
  va_start(args, format);
  std::vsnprintf(buffer, sizeof buffer, format, args);
  va_end(args);
  return buffer;
}

std::string Header(const char* title, int models) {
  return Format("* Tvex III %s library, %d models.\r\n", title, models) +
         "* Parameters follow the simulator's device equations; ratings (mfg, Vceo, Vds, Iave,\r\n"
         "* ...) are for the part picker only.\r\n"
         "*\r\n";
}

std::string BjtDatabase() {
  Sequence s(0x42a7u);
  std::string text = Header("bipolar transistor", kBjtModels);
  for (int i = 0; i < kBjtModels; ++i) {
    const bool pnp = i % 3 == 2;
    const std::string name = Format("QB%d%c", 1200 + 7 * i, pnp ? 'P' : 'N');
    text += "\r\n";
    if (i == 11) {
      // An alias of the model before it, with its own ratings.
      text += Format(".model %sA ako:QB%d%c %s(Bf=%d Vceo=%d Icrating=%dm mfg=%s)\r\n",
                     name.c_str(), 1200 + 7 * (i - 1), 'N', pnp ? "PNP" : "NPN", 150 + s.Below(200),
                     30 + s.Below(50), 100 + 50 * s.Below(10), s.Maker());
      continue;
    }
    const std::string type = pnp ? "PNP" : "NPN";
    const int vceo = 20 + 5 * s.Below(60);
    const int ic = 100 + 50 * s.Below(40);
    if (i % 7 == 4) {
      text += Format(".model %s %s(Is=%d.%df Bf=%d Vaf=%d Vceo=%d Icrating=%dm mfg=%s)\r\n",
                     name.c_str(), type.c_str(), 1 + s.Below(30), s.Below(10), 80 + s.Below(300),
                     20 + s.Below(100), vceo, ic, s.Maker());
      continue;
    }
    text += Format(".model %s %s(Is=%d.%df Xti=3 Eg=1.11 Vaf=%d.%d Bf=%d.%d Ne=1.%03d\r\n",
                   name.c_str(), type.c_str(), 1 + s.Below(30), s.Below(100), 20 + s.Below(100),
                   s.Below(100), 80 + s.Below(300), s.Below(10), 200 + s.Below(600));
    text += Format("+ Ise=%d.%df Ikf=.%d Xtb=1.5 Br=%d.%03d Nc=2 Isc=0 Ikr=0 Rc=%d\r\n",
                   1 + s.Below(50), s.Below(100), 100 + s.Below(800), 1 + s.Below(8), s.Below(1000),
                   1 + s.Below(4));
    text += Format("+ Cjc=%d.%dp Mjc=.%d Vjc=.75 Fc=.5 Cje=%d.%dp Mje=.%d Vje=.75\r\n",
                   2 + s.Below(20), s.Below(1000), 2000 + s.Below(3000), 5 + s.Below(40),
                   s.Below(100), 2000 + s.Below(3000));
    text +=
        Format("+ Tr=%d.%dn Tf=%d.%dp Itf=.%d Vtf=%d Xtf=%d Rb=%d Vceo=%d Icrating=%dm mfg=%s)\r\n",
               10 + s.Below(90), s.Below(100), 200 + s.Below(600), s.Below(10), 1 + s.Below(9),
               1 + s.Below(5), 1 + s.Below(4), 5 + s.Below(20), vceo, ic, s.Maker());
  }
  return text;
}

std::string MosfetDatabase() {
  Sequence s(0x5d11u);
  std::string text = Header("power MOSFET", kMosfetModels);
  text += "\r\n";
  for (int i = 0; i < kMosfetModels; ++i) {
    // Every fourth model from the fifth on is p-channel, 64 in all.
    const bool pchan = i >= 4 && (i - 4) % 4 == 0 && (i - 4) / 4 < kPChannelMosfets;
    const int vds = 20 + 10 * s.Below(60);
    text += Format(
        ".model QM%d%c VDMOS(%sRg=%d Vto=%s%d.%d Rd=%dm Rs=%dm Rb=%dm Kp=%d.%d "
        "Cgdmax=%dp Cgdmin=%dp Cgs=%dp Cjo=%dp Is=%dp mfg=%s Vds=%s%d Ron=%dm "
        "Qg=%dn)\r\n",
        3000 + 11 * i, pchan ? 'P' : 'N', pchan ? "pchan " : "", 1 + s.Below(6), pchan ? "-" : "",
        1 + s.Below(4), s.Below(10), 2 + s.Below(200), 1 + s.Below(50), 2 + s.Below(60),
        1 + s.Below(90), s.Below(10), 100 + s.Below(2000), 5 + s.Below(200), 200 + s.Below(3000),
        50 + s.Below(1500), 1 + s.Below(900), s.Maker(), pchan ? "-" : "", vds, 3 + s.Below(900),
        5 + s.Below(150));
  }
  return text;
}

std::string JfetDatabase() {
  Sequence s(0x7e03u);
  std::string text = Header("junction FET", kJfetModels);
  text += "\r\n";
  for (int i = 0; i < kJfetModels; ++i) {
    const bool pjf = i % 4 == 3;
    text += Format(
        ".model QJ%d%c %s(Beta=%d.%dm Betatce=-.5 Rd=1 Rs=1 Lambda=%d.%dm Vto=%s%d.%d "
        "Vtotc=-2.5m Is=%d.%df Isr=%d.%dp N=1 Nr=2 Xti=3 Alpha=%du Vk=%d Cgd=%d.%dp "
        "M=.%d Pb=1 Fc=.5 Cgs=%d.%dp Kf=%dE-18 Af=1 mfg=%s)\r\n",
        400 + 13 * i, pjf ? 'P' : 'N', pjf ? "PJF" : "NJF", 1 + s.Below(9), s.Below(100),
        1 + s.Below(9), s.Below(100), pjf ? "" : "-", s.Below(4), s.Below(1000), 1 + s.Below(40),
        s.Below(100), 1 + s.Below(40), s.Below(100), 1 + s.Below(30), 100 + s.Below(200),
        1 + s.Below(9), s.Below(100), 2000 + s.Below(6000), 1 + s.Below(9), s.Below(100),
        1 + s.Below(200), s.Maker());
  }
  return text;
}

std::string DiodeDatabase() {
  Sequence s(0x1d10u);
  static const char* const kTypes[] = {"silicon", "Schottky", "zener", "LED", "fast_recovery"};
  std::string text = Header("diode", kDiodeModels);
  text += "\r\n";
  for (int i = 0; i < kDiodeModels; ++i) {
    text += Format(
        ".model QD%d D(Is=%d.%dn Rs=.%d N=1.%03d Cjo=%dp M=.%d tt=%dn Iave=%dm "
        "Vpk=%d mfg=%s type=%s)\r\n",
        100 + 17 * i, 1 + s.Below(9), s.Below(100), 10 + s.Below(900), s.Below(1000),
        1 + s.Below(300), 2 + s.Below(6), 2 + s.Below(500), 100 + 50 * s.Below(60),
        20 + 5 * s.Below(200), s.Maker(), kTypes[s.Below(5)]);
  }
  return text;
}

bool WriteFile(const std::string& cmpDir, const char* name, const std::string& text) {
  std::string path = cmpDir;
  if (!path.empty() && path.back() != '\\' && path.back() != '/') path += '\\';
  path += name;
  std::FILE* f = platform::Fs().Open(path, "wb");
  if (!f) return false;
  const bool written = platform::Fs().Write(text.data(), 1, text.size(), f) == text.size();
  return platform::Fs().Close(f) == 0 && written;
}

}  // namespace

bool WriteSampleModelDatabases(const std::string& cmpDir) {
  return WriteFile(cmpDir, "standard.bjt", BjtDatabase()) &&
         WriteFile(cmpDir, "standard.mos", MosfetDatabase()) &&
         WriteFile(cmpDir, "standard.jft", JfetDatabase()) &&
         WriteFile(cmpDir, "standard.dio", DiodeDatabase());
}
