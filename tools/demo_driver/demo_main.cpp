// tvex-demo: drives a built installer for `make demo` and `make bench`.
//   tvex-demo install INSTALLER [DIR] [--update]
//   tvex-demo add-user-data DIR
//   tvex-demo uninstall
//   tvex-demo time-ours INSTALLER DIR | time-nsis INSTALLER TIME_FILE DIR | time-engine EXE DIR
// Paths are Windows paths. Screenshots are asked for when TVEX_SHOTS names a folder.
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "tools/demo_driver/screen.h"
#include "tools/demo_driver/side_by_side.h"
#include "tools/demo_driver/user_data.h"
#include "tools/demo_driver/walkthrough.h"

namespace {

int Usage() {
  std::fputs(
      "usage: tvex-demo install INSTALLER [DIR] [--update]\n"
      "       tvex-demo add-user-data DIR\n"
      "       tvex-demo uninstall\n"
      "       tvex-demo time-ours INSTALLER DIR\n"
      "       tvex-demo time-nsis INSTALLER TIME_FILE DIR\n"
      "       tvex-demo time-engine TVEX_EXTRACT DIR\n",
      stderr);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  // Plain line feeds: the output is read on the host.
  _setmode(_fileno(stdout), _O_BINARY);
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
  if (command == "time-ours" && argc == 4) return demo::TimeOurs(argv[2], argv[3]);
  if (command == "time-nsis" && argc == 5) return demo::TimeNsis(argv[2], argv[3], argv[4]);
  if (command == "time-engine" && argc == 4) return demo::TimeEngine(argv[2], argv[3]);
  return Usage();
}
