// What the demo shows of the machine around the installer: host paths of Windows paths,
// screenshots on request, and the installer's controls by name.
#pragma once

#include <windows.h>

#include <initializer_list>
#include <string>

namespace demo {

// Control ids of the installer's dialogs, as the GUI tests know them.

// Where a Windows path lies on the host ("/work/.../drive_c/Program Files/..."), when running
// under Wine; empty otherwise.
std::string HostPath(const std::string& windowsPath);

// The path followed by " (on this machine: <host path>)" when there is one.
std::string WithHostPath(const std::string& windowsPath);

// "usable: A, B; greyed: C, D" for the main dialog's buttons and directory field.
std::string ControlState(HWND main);

// Asks for a screenshot named name.png of the area that the windows cover, when the
// environment variable TVEX_SHOTS names a folder: writes name.req there holding the area as
// "WxH+X+Y" and waits (up to 15 s) for the screenshot taker outside Wine to write name.png.
// Without TVEX_SHOTS it does nothing. Prints one line naming the screenshot. With wait false
// it neither lets the windows settle first nor waits for the picture, so that a running
// installation is taken as it is and the driver's timing is not held up.
void Screenshot(const char* name, std::initializer_list<HWND> windows, bool wait = true);

// Prints a line and flushes it, so the reader sees each step as it happens.
void Say(const char* format, ...);

}  // namespace demo
