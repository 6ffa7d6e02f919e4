#include "tools/sampletree/sample_text.h"

#include <algorithm>
#include <cstdio>
#include <functional>

#include "platform/ascii.h"

namespace sampletree {
namespace {

// Formats like snprintf into a std::string.
template <typename... Args>
std::string Format(const char* format, Args... args) {
  char buffer[512];
  int n = std::snprintf(buffer, sizeof buffer, format, args...);
  return std::string(buffer, n < 0 ? 0 : std::min<std::size_t>(n, sizeof buffer - 1));
}

// Appends lines from next() to text until the size target is met: below it for an upper
// bound, at or above it for a lower bound. The closing line always fits an upper bound.
void Fill(std::string& text, SizeTarget size, const std::string& closing,
          const std::function<std::string()>& next) {
  if (size.atMost) {
    while (true) {
      std::string line = next();
      if (text.size() + line.size() + closing.size() > size.bytes) break;
      text += line;
    }
    text += closing;
  } else {
    while (text.size() + closing.size() < size.bytes) text += next();
    text += closing;
  }
}

const char* const kResistorValues[] = {"10",   "47",   "100", "220", "330", "470",  "1k",
                                       "2.2k", "4.7k", "10k", "22k", "47k", "100k", "1Meg"};
const char* const kCapacitorValues[] = {"10p",  "47p", "100p", "1n",  "4.7n", "10n",
                                        "100n", "1u",  "4.7u", "10u", "47u",  "220u"};
const char* const kInductorValues[] = {"100n", "1u", "4.7u", "10u", "22u", "47u", "100u", "1m"};
const char* const kPartKinds[] = {"res",     "cap",   "ind",      "diode",  "npn",
                                  "pnp",     "nmos",  "pmos",     "opamp2", "voltage",
                                  "current", "zener", "schottky", "polcap"};
const char* const kNetNames[] = {"IN",  "OUT", "VCC", "VEE",  "FB",    "SW",    "BIAS",
                                 "REF", "CLK", "EN",  "GATE", "DRAIN", "SENSE", "TRIG"};
const char* const kDirectives[] = {
    ".tran 0 %um 0 %uu",
    ".ac dec %u 10 %uMeg",
    ".dc V1 0 %u %um",
    ".op",
    ".step param R %u %uk 1k",
    ".noise V(out) V1 dec %u 1 %uk",
    ".four %uk V(out)",
    ".meas TRAN tr%u TRIG V(out) VAL=%um RISE=1 TARG V(out) VAL=0.9 RISE=1"};
const char* const kWords[] = {
    "simulation", "waveform",  "schematic", "netlist",   "symbol",      "model",     "library",
    "transient",  "operating", "point",     "analysis",  "convergence", "solver",    "step",
    "timestep",   "plot",      "cursor",    "probe",     "current",     "voltage",   "node",
    "wire",       "label",     "editor",    "component", "database",    "parameter", "sweep",
    "noise",      "frequency", "response",  "rotated",   "mirrored",    "grid",      "zoom",
    "window",     "export",    "import",    "dialog",    "shortcut",    "memory",    "thread",
    "faster",     "slower",    "fixed",     "improved",  "added",       "removed",   "the",
    "a",          "of",        "when",      "with",      "for",         "on",        "in"};

const char* const kMonths[] = {"January",   "February", "March",    "April",
                               "May",       "June",     "July",     "August",
                               "September", "October",  "November", "December"};

std::string Sentence(SampleRandom& random, unsigned words) {
  std::string s;
  for (unsigned i = 0; i < words; ++i) {
    if (i) s += ' ';
    s += random.Pick(kWords);
  }
  if (!s.empty()) s[0] = platform::AsciiUpper(s[0]);
  return s + ".";
}

std::string PartValue(const char* kind, SampleRandom& random) {
  std::string k = kind;
  if (k == "res") return random.Pick(kResistorValues);
  if (k == "cap" || k == "polcap") return random.Pick(kCapacitorValues);
  if (k == "ind") return random.Pick(kInductorValues);
  if (k == "voltage")
    return Format("PULSE(0 %u 0 %un %un %uu %uu)", random.Between(1, 15), random.Between(1, 50),
                  random.Between(1, 50), random.Between(1, 500), random.Between(2, 1000));
  if (k == "current") return Format("%um", random.Between(1, 500));
  return Format("QX%04u", random.Between(100, 9999));
}

std::string InstancePrefix(const std::string& kind) {
  if (kind == "res") return "R";
  if (kind == "cap" || kind == "polcap") return "C";
  if (kind == "ind") return "L";
  if (kind == "npn" || kind == "pnp") return "Q";
  if (kind == "nmos" || kind == "pmos") return "M";
  if (kind == "opamp2") return "U";
  if (kind == "voltage") return "V";
  if (kind == "current") return "I";
  return "D";
}

}  // namespace

SampleRandom::SampleRandom(const std::string& seed) : state_(0x243F6A8885A308D3ull) {
  for (unsigned char c : seed) state_ = (state_ ^ c) * 0x100000001B3ull;
}

std::uint64_t SampleRandom::Next() {
  std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

std::uint32_t SampleRandom::Between(std::uint32_t low, std::uint32_t high) {
  return low + static_cast<std::uint32_t>(Next() % (std::uint64_t(high) - low + 1));
}

std::string MakeSchematic(const std::string& title, SampleRandom& random, SizeTarget size) {
  std::string text = "TVEX-SCHEMATIC 3\n";
  text += Format("sheet 1 size %u %u\n", random.Between(8, 30) * 40, random.Between(6, 20) * 40);
  text += "comment \"" + title + "\"\n";
  unsigned instance = 0;
  unsigned step = 0;
  // Wires mostly continue from where the last one ended, as drawn by hand.
  unsigned x = random.Between(2, 20) * 32;
  unsigned y = random.Between(2, 14) * 32;
  Fill(text, size, "end\n", [&]() {
    ++step;
    unsigned fromX = x;
    unsigned fromY = y;
    switch (random.Between(0, 9)) {
      case 0:
      case 1:
      case 2:
        x = random.Between(1, 24) * 32;
        return Format("wire %u %u %u %u\n", fromX, fromY, x, fromY);
      case 3:
      case 4:
        y = random.Between(1, 16) * 32;
        return Format("wire %u %u %u %u\n", fromX, fromY, fromX, y);
      case 5: {
        const char* kind = random.Pick(kPartKinds);
        std::string name = InstancePrefix(kind) + std::to_string(++instance);
        return Format("part %s %s at %u %u rot %u\n", kind, name.c_str(), x, y,
                      random.Between(0, 3) * 90) +
               "  attr value \"" + PartValue(kind, random) + "\"\n";
      }
      case 6:
        return Format("flag %s at %u %u\n", random.Pick(kNetNames), x, y);
      case 7:
        return Format("ground at %u %u\n", x, y);
      case 8:
        return Format("junction %u %u\n", x, y);
      default:
        if (step % 5 == 0) {
          return "directive at " + std::to_string(x) + " " + std::to_string(y) + " \"" +
                 Format(random.Pick(kDirectives), random.Between(1, 100), random.Between(1, 100)) +
                 "\"\n";
        }
        return "note at " + std::to_string(x) + " " + std::to_string(y) + " \"" +
               Sentence(random, random.Between(3, 9)) + "\"\n";
    }
  });
  return text;
}

std::string MakeSymbol(const std::string& symbolName, SampleRandom& random, SizeTarget size) {
  std::string text =
      "TVEX-SYMBOL 3\nkind " + std::string(random.Between(0, 3) == 0 ? "block" : "cell") + "\n";
  unsigned pin = 0;
  std::string closing = "attr prefix " + std::string(1, "RCLDQMUX"[random.Between(0, 7)]) +
                        "\nattr description \"" + symbolName + "\"\n";
  Fill(text, size, closing, [&]() {
    unsigned x = random.Between(0, 8) * 8;
    unsigned y = random.Between(0, 14) * 8;
    switch (random.Between(0, 7)) {
      case 0:
      case 1:
      case 2:
        return Format("line normal %u %u %u %u\n", x, y, random.Between(0, 8) * 8,
                      random.Between(0, 14) * 8);
      case 3:
        return Format("rect normal %u %u %u %u\n", x, y, x + random.Between(1, 6) * 8,
                      y + random.Between(1, 6) * 8);
      case 4:
        return Format("arc normal %u %u %u %u %u %u %u %u\n", x, y, x + 16, y + 16, x, y + 8,
                      x + 16, y + 8);
      case 5:
        return Format("circle normal %u %u %u %u\n", x, y, x + 8, y + 8);
      default:
        ++pin;
        return Format("pin %u %u %s 8\n  pinattr name P%u\n  pinattr order %u\n", x, y,
                      random.Between(0, 1) ? "left" : "right", pin, pin);
    }
  });
  return text;
}

std::string MakeNetlist(const std::string& libraryName, SampleRandom& random, SizeTarget size) {
  std::string text = "* " + libraryName + ": sub-circuits and models for the simulator\n" +
                     "* Invented parts for demonstration; parameters are illustrative only.\n*\n";
  unsigned part = 0;
  Fill(text, size, "* end of library\n", [&]() {
    ++part;
    std::string name = Format("QX%u%03u", random.Between(1, 9), part);
    if (random.Between(0, 2) == 0) {
      return Format(
          ".model %s NPN(IS=%uf BF=%u VAF=%u IKF=%um ISE=%uf NE=1.%u BR=%u RC=%u "
          "CJE=%up CJC=%up TF=%up TR=%un)\n",
          name.c_str(), random.Between(1, 99), random.Between(50, 600), random.Between(20, 150),
          random.Between(10, 900), random.Between(1, 99), random.Between(1, 9),
          random.Between(1, 20), random.Between(1, 9), random.Between(2, 90), random.Between(2, 50),
          random.Between(100, 900), random.Between(5, 90));
    }
    std::string s = ".subckt " + name + " 1 2 3 4 5\n";
    unsigned elements = random.Between(4, 14);
    for (unsigned e = 0; e < elements; ++e) {
      switch (random.Between(0, 4)) {
        case 0:
          s += Format("R%u %u %u %s\n", e + 1, random.Between(1, 9), random.Between(1, 9),
                      random.Pick(kResistorValues));
          break;
        case 1:
          s += Format("C%u %u %u %s\n", e + 1, random.Between(1, 9), random.Between(1, 9),
                      random.Pick(kCapacitorValues));
          break;
        case 2:
          s += Format("Q%u %u %u %u QN%u\n", e + 1, random.Between(1, 9), random.Between(1, 9),
                      random.Between(1, 9), random.Between(1, 4));
          break;
        case 3:
          s += Format("G%u %u %u %u %u %um\n", e + 1, random.Between(1, 9), random.Between(1, 9),
                      random.Between(1, 9), random.Between(1, 9), random.Between(1, 999));
          break;
        default:
          s += Format("D%u %u %u DX%u\n", e + 1, random.Between(1, 9), random.Between(1, 9),
                      random.Between(1, 4));
      }
    }
    return s + ".ends " + name + "\n*\n";
  });
  return text;
}

std::string MakeProtectedModel(const std::string& modelName, SampleRandom& random,
                               std::size_t bytes) {
  std::string text = "* Protected model " + modelName +
                     "\n* Enciphered by its vendor; the simulator deciphers it when it loads."
                     "\n.protected\n";
  while (text.size() + 16 < bytes) text += static_cast<char>(random.Next() & 0xFF);
  text += "\n.endprotected\n";
  while (text.size() < bytes) text += '\n';
  return text;
}

std::string MakeChangelog(SampleRandom& random, std::size_t bytes) {
  std::string text = "Tvex III change log\n===================\n\n";
  unsigned build = 4000;
  while (text.size() < bytes) {
    text += Format("Build %u, %u %s %u\n", build--, random.Between(1, 28), random.Pick(kMonths),
                   random.Between(2001, 2009));
    unsigned items = random.Between(1, 6);
    for (unsigned i = 0; i < items; ++i)
      text += "  - " + Sentence(random, random.Between(5, 16)) + "\n";
    text += "\n";
  }
  text.resize(bytes);
  text.back() = '\n';
  return text;
}

std::string MakeLicense() {
  std::string text =
      "TVEX III SOFTWARE LICENSE AGREEMENT\n\n"
      "This sample agreement accompanies the demonstration tree of the installer. It is invented\n"
      "text; it grants nothing and binds no one.\n\n";
  const char* const kClauses[] = {
      "GRANT. You may install and use the software on any number of computers.",
      "COPIES. You may copy the software for archival purposes and give copies to others, "
      "provided the copies are complete and unmodified.",
      "MODELS. The component models are approximations. Verify every design with real parts "
      "before relying on a simulation result.",
      "NO WARRANTY. The software is provided as is, without warranty of any kind, express or "
      "implied, including fitness for a particular purpose.",
      "LIMITATION. In no event shall the maker be liable for any damages arising from the use "
      "or the inability to use the software.",
      "TERMINATION. This agreement ends when you remove every copy of the software."};
  unsigned n = 0;
  for (int round = 0; round < 6; ++round) {
    for (const char* clause : kClauses) text += std::to_string(++n) + ". " + clause + "\n\n";
  }
  return text;
}

std::string MakeHelpFile(SampleRandom& random, std::size_t bytes, unsigned textPercent) {
  std::string text = "TVEXHELP\x01";
  text.resize(16, '\0');
  unsigned page = 0;
  // Blocks of 4 KiB: topic pages in markup, or pages the help compiler already packed.
  while (text.size() < bytes) {
    std::size_t end = text.size() + 4096;
    if (random.Between(0, 99) < textPercent) {
      text += Format("<html><head><title>Topic %u</title></head><body><h1>", ++page) +
              Sentence(random, 4) + "</h1>\n";
      while (text.size() < end) text += "<p>" + Sentence(random, random.Between(8, 24)) + "</p>\n";
    } else {
      while (text.size() < end) {
        std::uint64_t v = random.Next();
        text.append(reinterpret_cast<const char*>(&v), 8);
      }
    }
  }
  text.resize(bytes);
  return text;
}

std::string MakeProgram(const std::string& programName, SampleRandom& random, std::size_t bytes) {
  std::string text = "MZ";
  text.resize(64, '\0');
  text += "This sample stands in for " + programName + " and is not meant to run.\r\n";
  text.resize(512, '\0');
  while (text.size() < bytes) {
    switch (random.Between(0, 3)) {
      case 0:  // code-like: few distinct bytes, short repeats
        for (unsigned i = 0; i < 256; ++i)
          text +=
              static_cast<char>("\x48\x89\x8B\xE8\x0F\x85\xC3\x90\x00\xFF"[random.Between(0, 9)]);
        break;
      case 1:  // string table
        text += Sentence(random, random.Between(3, 8));
        text += '\0';
        break;
      default:  // addresses and constants
        for (unsigned i = 0; i < 32; ++i) {
          std::uint64_t v = random.Next();
          text.append(reinterpret_cast<const char*>(&v), 6);
          text.append(2, '\0');
        }
    }
  }
  text.resize(bytes);
  return text;
}

}  // namespace sampletree
