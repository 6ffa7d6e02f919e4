// tvex-demo: drives a built installer for `make demo` and `make bench`.
//   tvex-demo install INSTALLER [DIR] [--update]
//   tvex-demo add-user-data DIR
//   tvex-demo uninstall
//   tvex-demo bench OURS NSIS NSIS_TIME_FILE WORK_DIR ROUNDS [ENGINE]
// Paths are Windows paths. Screenshots are asked for when TVEX_SHOTS names a folder.
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "cmpdb/merge_conventions.h"
#include "platform/message_box.h"
#include "screen.h"
#include "side_by_side.h"
#include "user_data.h"
#include "walkthrough.h"

namespace {

int Usage() {
  std::fputs(
      "usage: tvex-demo install INSTALLER [DIR] [--update]\n"
      "       tvex-demo add-user-data DIR\n"
      "       tvex-demo uninstall\n"
      "       tvex-demo bench OURS NSIS NSIS_TIME_FILE WORK_DIR ROUNDS [ENGINE]\n",
      stderr);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  // Plain line feeds: the output is read on the host.
  _setmode(_fileno(stdout), _O_BINARY);
  InstallOutOfMemoryHandler();
  // A database message becomes a line of output instead of a box nobody answers.
  platform::SetMessageBoxHook([](const std::string& text, const std::string&, unsigned) {
    demo::Say("  message: %s", text.c_str());
    return platform::kIdOk;
  });
  if (argc < 2) return Usage();
  const std::string command = argv[1];

  if (command == "install" && argc >= 3 && argc <= 5) {
    demo::WalkOptions options;
    options.installer = argv[2];
    for (int i = 3; i < argc; ++i) {
      if (std::strcmp(argv[i], "--update") == 0)
        options.update = true;
      else
        options.dir = argv[i];
    }
    return demo::WalkInstall(options);
  }
  if (command == "add-user-data" && argc == 3) return demo::AddUserData(argv[2]);
  if (command == "uninstall" && argc == 2) return demo::WalkUninstall();
  if (command == "bench" && (argc == 7 || argc == 8)) {
    demo::SideBySide bench;
    bench.ours = argv[2];
    bench.nsis = argv[3];
    bench.timeFile = argv[4];
    bench.workDir = argv[5];
    bench.rounds = std::atoi(argv[6]);
    if (argc == 8) bench.engine = argv[7];
    if (bench.rounds < 1) return Usage();
    return demo::RunSideBySide(bench);
  }
  return Usage();
}
