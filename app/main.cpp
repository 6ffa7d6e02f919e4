// The installer's entry point.
#include <windows.h>

#include "app/installer_app.h"

// The one application object, constructed before start-up.
CInstallerApp theApp;

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return theApp.Run(); }
