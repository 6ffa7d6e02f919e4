// Message boxes, the only way the installer reports anything to its user.
#pragma once

#include <functional>
#include <string>

namespace platform {

// MessageBoxA flags and results, for code that cannot include windows.h.
constexpr unsigned kMbOk = 0x0;
constexpr unsigned kMbRetryCancel = 0x5;
constexpr unsigned kMbYesNo = 0x4;
constexpr unsigned kMbIconExclamation = 0x30;
constexpr unsigned kMbTopmost = 0x40000;
constexpr int kIdOk = 1;
constexpr int kIdCancel = 2;
constexpr int kIdRetry = 4;
constexpr int kIdYes = 6;
constexpr int kIdNo = 7;

// Caption of every application message box.
inline constexpr const char kAppTitle[] = "tvexsetup";

// Shows text in an application message box (caption kAppTitle, OK button, exclamation icon)
// owned by owner (an HWND, or null) and waits until it is closed; returns the button pressed.
// On POSIX the text goes to stderr as one line and the result is kIdOk.
int AppMessageBox(const std::string& text, void* owner = nullptr);

// Shows a box owned by a window (an HWND, or null) with its own caption and MessageBoxA flags.
int OwnedMessageBox(void* owner, const std::string& text, const std::string& caption,
                    unsigned flags);

// Receives every box instead of the screen (tests); an empty hook restores the real boxes.
using MessageBoxHook =
    std::function<int(const std::string& text, const std::string& caption, unsigned flags)>;
void SetMessageBoxHook(MessageBoxHook hook);

}  // namespace platform
