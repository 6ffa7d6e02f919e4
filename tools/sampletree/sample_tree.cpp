#include "tools/sampletree/sample_tree.h"

#include <algorithm>
#include <cerrno>
#include <set>
#include <vector>

#include "platform/file_system.h"
#include "tools/payloadgen/payload_image.h"
#include "tools/sampletree/sample_databases.h"
#include "tools/sampletree/sample_text.h"

namespace sampletree {
namespace {

// The largest file that the payload stores plainly; larger ones are packed.
constexpr std::size_t kStoredLimit = 1024;

enum class Kind { kSchematic, kSymbol, kNetlist, kProtected };

struct FilePlan {
  std::string name;  // below the root, with backslashes
  Kind kind;
  SizeTarget size;
};

// The six symbols installed read-only; small, so they are stored.
const char* const kReadOnlySymbols[] = {"cap", "diode", "polcap", "schottky", "varactor", "zener"};

const char* const kBaseSymbols[] = {
    "res",     "res2",        "ind",     "ind2",   "npn",  "npn2",      "npn3",       "pnp",
    "pnp2",    "pnp4",        "nmos",    "nmos4",  "pmos", "pmos4",     "njf",        "pjf",
    "voltage", "current",     "bv",      "bi",     "bi2",  "e",         "e2",         "f",
    "g",       "g2",          "h",       "sw",     "csw",  "tline",     "ltline",     "opamp",
    "opamp2",  "xtal",        "lamp",    "led",    "tvs",  "thyristor", "triac",      "diac",
    "fuse",    "battery",     "ferrite", "mesfet", "igbt", "neonbulb",  "photodiode", "pot",
    "relay",   "transformer", "load",    "load2",  "cell", "antenna",   "speaker",    "microphone",
    "ground2", "testpoint",   "probe"};

struct Folder {
  const char* name;
  const char* prefix;
  std::size_t count;
};

// Subfolders of lib\sym and their share of the symbols; the last takes the remainder.
const Folder kSymbolFolders[] = {
    {"OpAmps", "QXA", 420},    {"Comparators", "QXC", 90},       {"PowerProducts", "QXP", 520},
    {"References", "QXR", 60}, {"SpecialFunctions", "QXS", 110}, {"Digital", "QXD", 60},
    {"Optos", "QXO", 0}};

const char* const kLibraryNames[] = {
    "opamps",   "comparators", "regulators", "references",   "switchers", "drivers",
    "bjts",     "mosfets",     "jfets",      "diodes",       "zeners",    "leds",
    "optos",    "sensors",     "filters",    "oscillators",  "timers",    "logic",
    "adcs",     "dacs",        "mixers",     "amplifiers",   "buffers",   "isolators",
    "crystals", "ferrites",    "magnetics",  "thermal",      "batteries", "motors",
    "relays",   "fuses",       "lamps",      "transformers", "varistors", "thyristors",
    "igbts",    "gan",         "sic",        "misc",         "legacy",    "contrib",
    "examples", "behavioral"};

const char* const kEducationalTopics[] = {
    "astable",        "BandPass",   "Colpitts", "CurrentMirror", "DiffPair",    "FullWave",
    "HalfWave",       "Hartley",    "LowPass",  "MonteCarlo",    "NoiseFigure", "PhaseShift",
    "PushPull",       "Rectifier",  "Schmitt",  "TempCo",        "Wien",        "Integrator",
    "Differentiator", "Buck",       "Boost",    "Flyback",       "Forward",     "Clamp",
    "Limiter",        "Sallen-Key", "Notch",    "Twin-T",        "Cascode",     "Darlington"};

// Size targets: stored files stay within kStoredLimit, packed ones start above it.
SizeTarget Stored(SampleRandom& r, std::size_t low) {
  return {r.Between(static_cast<std::uint32_t>(low), kStoredLimit - 4), true};
}
// A packed size with a long tail: most near low, a few up to high.
SizeTarget Packed(SampleRandom& r, std::size_t low, std::size_t high) {
  std::uint64_t u = r.Between(0, 1000);
  return {low + static_cast<std::size_t>((high - low) * u * u * u / 1000000000ull), false};
}

std::vector<FilePlan> PlanTree() {
  std::vector<FilePlan> plan;
  SampleRandom r(std::string("sample tree plan"));
  std::set<std::string> used;
  auto unique = [&](const std::string& name) { return used.insert(name).second; };

  // lib\sym: the read-only six and the base symbols at the top, part symbols in subfolders;
  // 900 of the 1353 fit within the stored limit.
  std::vector<std::string> symbols;
  for (const char* s : kBaseSymbols) symbols.push_back(std::string("lib\\sym\\") + s + ".asy");
  std::size_t remaining = 1353 - std::size(kReadOnlySymbols) - symbols.size();
  for (const Folder& folder : kSymbolFolders) {
    std::size_t count = folder.count ? folder.count : remaining;
    remaining -= count;
    for (std::size_t i = 0; i < count;) {
      std::string name = std::string("lib\\sym\\") + folder.name + "\\" + folder.prefix +
                         std::to_string(r.Between(100, 9999)) +
                         (r.Between(0, 3) == 0 ? std::string(1, "ABCS"[r.Between(0, 3)]) : "") +
                         ".asy";
      if (unique(name)) symbols.push_back(name), ++i;
    }
  }
  for (const char* s : kReadOnlySymbols)
    plan.push_back(
        {std::string("lib\\sym\\") + s + ".asy", Kind::kSymbol, {r.Between(280, 700), true}});
  // Selection sampling: exactly kStoredSymbols of the rest are stored, spread evenly.
  std::size_t storedLeft = 900 - std::size(kReadOnlySymbols);
  for (std::size_t i = 0; i < symbols.size(); ++i) {
    bool stored = r.Between(0, static_cast<std::uint32_t>(symbols.size() - i - 1)) < storedLeft;
    if (stored) --storedLeft;
    plan.push_back({symbols[i], Kind::kSymbol, stored ? Stored(r, 180) : Packed(r, 1025, 6000)});
  }

  // lib\sub: large model libraries, vendor-protected models that do not pack, small
  // sub-circuits within the stored limit.
  for (const char* lib : kLibraryNames)
    plan.push_back(
        {std::string("lib\\sub\\") + lib + ".lib", Kind::kNetlist, Packed(r, 6000, 100000)});
  for (std::size_t i = 0; i < 420;) {
    std::string name = "lib\\sub\\QX" + std::to_string(r.Between(1000, 99999)) + ".sub";
    if (unique(name)) {
      plan.push_back({name, Kind::kProtected, {r.Between(1025, 2600), false}});
      ++i;
    }
  }
  for (std::size_t i = 0; i < 714 - 420 - std::size(kLibraryNames);) {
    std::string name = "lib\\sub\\QX" + std::to_string(r.Between(1000, 99999)) + ".sub";
    if (unique(name)) {
      plan.push_back({name, Kind::kNetlist, Stored(r, 300)});
      ++i;
    }
  }

  // examples: teaching circuits (numbered and named), reference designs, component test jigs.
  for (std::size_t i = 0; i < 63;) {
    std::string title = i < std::size(kEducationalTopics) ? std::string(kEducationalTopics[i])
                                                          : std::to_string(r.Between(100, 2999));
    std::string name = "examples\\Educational\\" + title + ".asc";
    if (!unique(name)) continue;
    plan.push_back(
        {name, Kind::kSchematic, i % 8 == 7 || i == 62 ? Stored(r, 700) : Packed(r, 1500, 16000)});
    ++i;
  }
  for (std::size_t i = 0; i < 9; ++i) {
    plan.push_back({"examples\\Wurth\\WE-RefDesign-" + std::to_string(i + 1) + ".asc",
                    Kind::kSchematic, Packed(r, 3000, 24000)});
  }
  for (std::size_t i = 0; i < 1247;) {
    std::string name = "examples\\jigs\\QX" + std::to_string(r.Between(1000, 99999)) +
                       (r.Between(0, 2) == 0 ? "_jig" : "") + ".asc";
    if (!unique(name)) continue;
    plan.push_back(
        {name, Kind::kSchematic, i % 8 == 3 || i == 1246 ? Stored(r, 400) : Packed(r, 1100, 9000)});
    ++i;
  }
  return plan;
}

std::string Generate(const FilePlan& file) {
  SampleRandom r(file.name);
  std::string base = file.name.substr(file.name.rfind('\\') + 1);
  base = base.substr(0, base.rfind('.'));
  switch (file.kind) {
    case Kind::kSchematic:
      return MakeSchematic(base, r, file.size);
    case Kind::kSymbol:
      return MakeSymbol(base, r, file.size);
    case Kind::kNetlist:
      return MakeNetlist(base, r, file.size);
    case Kind::kProtected:
      return MakeProtectedModel(base, r, file.size.bytes);
  }
  return {};
}

// Creates dir and every missing parent; true when it exists afterwards.
bool MakeDirectoryChain(const std::string& dir) {
  for (std::size_t at = 1; at <= dir.size(); ++at) {
    if (at < dir.size() && dir[at] != '\\' && dir[at] != '/') continue;
    std::string prefix = dir.substr(0, at);
    if (platform::Fs().Find(prefix) == platform::EntryKind::kDirectory) continue;
    int rc = platform::Fs().MakeDirectory(prefix);
    if (rc != 0 && rc != EEXIST) return false;
  }
  return platform::Fs().Find(dir) == platform::EntryKind::kDirectory;
}

bool Write(const std::string& root, const std::string& name, const std::string& bytes,
           SampleTreeSummary& summary, std::string& error) {
  std::string path = root + "\\" + name;
  std::string dir = path.substr(0, path.rfind('\\'));
  if (!MakeDirectoryChain(dir)) {
    error = "cannot create the directory " + dir;
    return false;
  }
  bool changed = false;
  if (!payloadgen::WriteIfChanged(path, bytes.data(), bytes.size(), changed, error)) return false;
  ++summary.files;
  summary.bytes += bytes.size();
  summary.rewritten += changed ? 1 : 0;
  return true;
}

}  // namespace

bool WriteSampleTree(const std::string& root, SampleTreeSummary& summary, std::string& error) {
  summary = {};
  SampleRandom r(std::string("sample tree root"));
  if (!Write(root, "Changelog.txt", MakeChangelog(r, 145668), summary, error) ||
      !Write(root, "License.txt", MakeLicense(), summary, error) ||
      !Write(root, "ZephrinHelp.chm", MakeHelpFile(r, 5172224, 50), summary, error) ||
      !Write(root, "moveexe.exe", MakeProgram("moveexe.exe", r, 45056), summary, error) ||
      !Write(root, "unlink.exe", MakeProgram("unlink.exe", r, 28672), summary, error))
    return false;
  for (const FilePlan& file : PlanTree()) {
    if (!Write(root, file.name, Generate(file), summary, error)) return false;
  }
  std::string cmpDir = root + "\\lib\\cmp";
  if (!MakeDirectoryChain(cmpDir)) {
    error = "cannot create the directory " + cmpDir;
    return false;
  }
  if (!WriteSampleModelDatabases(cmpDir) || !WriteSampleRecordDatabases(cmpDir)) {
    error = "cannot write the component databases in " + cmpDir;
    return false;
  }
  return true;
}

}  // namespace sampletree
