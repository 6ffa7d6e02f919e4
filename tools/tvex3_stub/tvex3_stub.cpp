// tvex3.exe stand-in: records how it was started and ends at once.
//
// Appends one line to launch.log in the folder that holds this program:
//   <whole command line (GetCommandLineA)> TAB <working directory> CR LF
// so tests and demos can see that the installer started the installed program, with which
// command line and from where. Started with -uninstall it then does what the registered
// uninstall command should (uninstall.h) and logs each step. A GUI program, so that starting
// it never opens a console window; plain Win32 without the C++ library, so that it stays
// small in every payload that carries it.
#include <windows.h>

#include "tools/tvex3_stub/launch_log.h"
#include "tools/tvex3_stub/uninstall.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  stub::LogStart();
  return stub::WantsUninstall(GetCommandLineA()) ? stub::Uninstall() : 0;
}
