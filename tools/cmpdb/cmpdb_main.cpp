// cmpdb merge KIND OUTPUT SHIPPED EXISTING | dump FILE [--kind KIND] | check FILE [--kind KIND]
#include <cstdio>
#include <cstring>
#include <string>

#include "cmpdb/merge_conventions.h"
#include "platform/message_box.h"
#include "tools/cmpdb/database_report.h"

namespace {

int Usage() {
  std::fputs(
      "usage: cmpdb merge KIND OUTPUT SHIPPED EXISTING\n"
      "       cmpdb dump FILE [--kind KIND]\n"
      "       cmpdb check FILE [--kind KIND]\n"
      "KIND: bjt mos jft dio cap res ind bead\n",
      stderr);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  InstallOutOfMemoryHandler();
  // Every message box the merges and readers show becomes a line on stderr.
  platform::SetMessageBoxHook([](const std::string& text, const std::string&, unsigned) {
    std::fprintf(stderr, "%s\n", text.c_str());
    return platform::kIdOk;
  });
  if (argc < 3) return Usage();
  const std::string command = argv[1];

  if (command == "merge") {
    if (argc != 6) return Usage();
    std::optional<DatabaseKind> kind = KindFromName(argv[2]);
    if (!kind) return Usage();
    return MergeDatabase(*kind, argv[3], argv[4], argv[5]) ? 0 : 1;
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
    std::fprintf(stderr, "cmpdb: no database kind for %s (use --kind)\n", path.c_str());
    return 2;
  }
  bool ok =
      command == "dump" ? DumpDatabase(*kind, path, stdout) : CheckDatabase(*kind, path, stdout);
  return ok ? 0 : 1;
}
