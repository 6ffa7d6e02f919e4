// The display's scale (dots per inch) as a window sees it. The calls that tell it per monitor
// exist only on newer Windows (10, version 1607 on): they are looked up when first needed, and
// older systems, where every window has the system's scale, get that.
#pragma once

#include <windows.h>

namespace platform {

// The scale at which a window is drawn unscaled.
constexpr UINT kStandardDpi = 96;

// The dots per inch of the window: those of its monitor for a program that follows each
// monitor, else the system's (LOGPIXELSY of its DC). kStandardDpi when neither can be told.
UINT WindowDpi(HWND window);

// GetSystemMetrics(index) as it is at dpi (an icon's size, say).
int SystemMetricForDpi(int index, UINT dpi);

// A size of points (a font's) in pixels at dpi.
int PointsToPixels(int points, UINT dpi);

// True when the system lays the dialog out anew by itself when its scale changes: it moves
// and sizes the controls, sizes the dialog and gives the controls the dialog's font at the new
// scale (dialogs of programs that follow each monitor in its second form, Windows 10 version
// 1703 on). Otherwise the program does it.
bool SystemRescalesDialog(HWND dialog);

// Keeps a control whose font is its own (not the dialog's) out of the font the system gives
// every control when it lays a dialog out anew; nothing happens where the system does not.
void KeepOwnFont(HWND control);

}  // namespace platform
