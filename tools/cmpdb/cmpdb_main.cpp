// tvex-cmpdb: merges, dumps or checks a component database; Usage() lists the commands.
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/reporter.h"
#include "tools/cmpdb/database_report.h"

namespace {

int Usage() {
  std::fputs(
      "usage: tvex-cmpdb merge KIND OUTPUT SHIPPED EXISTING\n"
      "       tvex-cmpdb dump FILE [--kind KIND]\n"
      "       tvex-cmpdb check FILE [--kind KIND]\n"
      "KIND: bjt mos jft dio cap res ind bead\n"
      "dump writes one line per record, its columns separated by tabs:\n"
      "  bjt   name statement polarity mfg Vceo IcRating\n"
      "  mos   name statement channel mfg Vds Ron Qg\n"
      "  jft   name statement polarity mfg\n"
      "  dio   name statement type mfg Iave Vpk\n"
      "  cap   manufacturer part type capacitance voltage param3 param4 param5 param6 param7\n"
      "  res   manufacturer part resistance param2 param3\n"
      "  ind, bead  manufacturer part inductance param2 param3 param4 param5\n",
      stderr);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  // Every message the merges and readers have for the user becomes a line on stderr.
  platform::StderrReporter report("tvex-cmpdb");
  if (argc < 3) return Usage();
  const std::string command = argv[1];

  if (command == "merge") {
    if (argc != 6) return Usage();
    std::optional<DatabaseKind> kind = KindFromName(argv[2]);
    if (!kind) return Usage();
    return MergeDatabase(*kind, argv[3], argv[4], argv[5], report) == MergeResult::kMerged ? 0 : 1;
  }

  if (command != "dump" && command != "check") return Usage();
  const std::string path = argv[2];
  std::optional<DatabaseKind> kind;
  if (argc == 5 && std::strcmp(argv[3], "--kind") == 0) {
    kind = KindFromName(argv[4]);
  } else if (argc == 3) {
    kind = KindFromPath(path);
  } else {
    return Usage();
  }
  if (!kind) {
    std::fprintf(stderr, "tvex-cmpdb: no database kind for %s (use --kind)\n", path.c_str());
    return 2;
  }
  bool ok = command == "dump" ? DumpDatabase(*kind, path, stdout, report)
                              : CheckDatabase(*kind, path, stdout, report);
  return ok ? 0 : 1;
}
