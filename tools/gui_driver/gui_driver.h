// Drives the real installer from outside, as a user would: starts it, finds its windows,
// reads and clicks its controls and answers its message boxes. Runs under Wine's null
// display driver as well as on Windows.
#pragma once

#include <windows.h>

#include <chrono>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace gui {

using namespace std::chrono_literals;

// Polls condition every 20 ms until it holds or timeout passes; returns its last result.
bool WaitFor(const std::function<bool()>& condition,
             std::chrono::milliseconds timeout = std::chrono::seconds(30));

// The text of a window of any process (WM_GETTEXT), or of a dialog's control.
std::string WindowText(HWND window);
std::string ItemText(HWND dialog, int id);
std::string ClassName(HWND window);

// Clicks a button the way the mouse would: BM_CLICK, posted, so a modal loop it opens does not
// block the driver.
void Click(HWND dialog, int id);
// Replaces a control's text (WM_SETTEXT), as a paste of the whole field would.
void SetItemText(HWND dialog, int id, const std::string& text);
// Types one character into a control (WM_CHAR).
void Type(HWND dialog, int id, char c);

// SendMessage with a timeout, so a hung installer fails the test instead of blocking it;
// 0 when the message could not be delivered.
LRESULT Send(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
// Send for a message whose lParam points at size bytes, which the system does not carry to
// another process itself (WM_DPICHANGED's rectangle, say): the bytes are copied into the
// window's process for the message and back into data after it. False when they could not be.
bool SendWithData(HWND window, UINT message, WPARAM wParam, void* data, std::size_t size);

bool ItemEnabled(HWND dialog, int id);
bool ItemChecked(HWND dialog, int id);
// Whether the control is shown: it and the dialog are visible.
bool ItemVisible(HWND dialog, int id);
// A progress bar's position (PBM_GETPOS); -1 when there is no such control or it did not answer.
int ProgressPosition(HWND dialog, int id);

// A control of a dialog as the user sees it.
struct ControlSeen {
  HWND window = nullptr;
  std::string kind;  // its class
  std::string text;
  RECT place = {};  // in the dialog's client area
  DWORD style = 0;
  bool visible = false;
};
// The dialog's controls (its own children), in the order they were made.
std::vector<ControlSeen> Controls(HWND dialog);

// A top-level window of the process, visible and of class "#32770" (dialogs and message
// boxes), whose caption is caption; null when there is none.
HWND FindDialog(DWORD processId, const std::string& caption);
// Every visible top-level dialog window of the process.
std::vector<HWND> Dialogs(DWORD processId);

// A message box as the user sees it.
struct MessageBoxSeen {
  HWND window = nullptr;
  std::string caption;
  std::string text;
};
// Waits for a visible dialog of the process other than the windows in except; the text is
// that of its static children (the icon static has none). Returns a null window at once when the
// process ends first.
MessageBoxSeen WaitForBox(DWORD processId, const std::vector<HWND>& except,
                          std::chrono::milliseconds timeout = std::chrono::seconds(30));

// The installer under test: started at construction, killed at destruction if still alive.
class Installer {
 public:
  // arguments follow the quoted program path on the command line.
  explicit Installer(const std::string& program, const std::string& arguments = "");
  ~Installer();
  Installer(const Installer&) = delete;
  Installer& operator=(const Installer&) = delete;

  DWORD Id() const { return process_.dwProcessId; }
  // The main dialog, once it has shown; null when it did not come within the timeout.
  HWND WaitForMain();
  HWND Main() const { return main_; }
  // True when the process ended within timeout.
  bool WaitForExit(std::chrono::milliseconds timeout = std::chrono::seconds(30));
  bool Running() const;
  // The process's exit code once it has ended (STILL_ACTIVE while it runs); -1 (as DWORD)
  // ends as 0xFFFFFFFF.
  DWORD ExitCode() const;

 private:
  PROCESS_INFORMATION process_ = {};
  HWND main_ = nullptr;
};

// Waits until no process whose program lies below folder runs any more (the installed program
// that an installation started, say); false when one still runs after timeout.
bool WaitForProgramsBelow(const std::string& folder,
                          std::chrono::milliseconds timeout = std::chrono::seconds(30));

// Files and folders of the test machine.
bool FileExists(const std::string& path);
bool DirectoryExists(const std::string& path);
std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& bytes);
// Removes a tree, read-only files included; nothing happens when it is missing. A link
// (reparse point) is removed itself, never what it leads to.
void RemoveTree(const std::string& path);
// Every file below root, as paths relative to it ("lib\sym\cap.asy").
std::vector<std::string> ListFiles(const std::string& root);

// The same through the W calls, for names in any script: what the system itself holds, whatever
// the code page of the driver or of the program under test.
std::wstring WideWindowText(HWND window);
std::wstring WideItemText(HWND dialog, int id);
void SetItemText(HWND dialog, int id, const std::wstring& text);
bool FileExists(const std::wstring& path);
bool DirectoryExists(const std::wstring& path);
std::string ReadFile(const std::wstring& path);
std::vector<std::wstring> ListFiles(const std::wstring& root);
// The names directly in the folder dir, sorted.
std::vector<std::wstring> FolderEntries(const std::wstring& dir);
std::wstring RegistryText(HKEY root, const std::wstring& key, const std::wstring& name);
void SetRegistryText(HKEY root, const std::wstring& key, const std::wstring& name,
                     const std::wstring& value);

// What a shortcut leads to, read through IShellLinkW; nothing when it cannot be loaded. target
// is the path as stored, item the path of the shell item the shortcut holds.
struct LinkSeen {
  std::wstring target;
  std::wstring item;
  std::wstring workingDirectory;
};
std::optional<LinkSeen> ReadLink(const std::wstring& path);

// Runs commandLine (CreateProcessW) and waits for its end; its exit code, or -1 (as DWORD) when
// it could not be started or did not end within timeout (it is then ended).
DWORD RunAndWait(const std::wstring& commandLine,
                 std::chrono::milliseconds timeout = std::chrono::seconds(30));

// A REG_DWORD value, or fallback when it is missing.
DWORD RegistryNumber(HKEY root, const std::string& key, const std::string& name, DWORD fallback);
void SetRegistryNumber(HKEY root, const std::string& key, const std::string& name, DWORD value);

// A REG_SZ value, or empty when it is missing.
std::string RegistryText(HKEY root, const std::string& key, const std::string& name);
bool RegistryValueExists(HKEY root, const std::string& key, const std::string& name);
void SetRegistryText(HKEY root, const std::string& key, const std::string& name,
                     const std::string& value);
void DeleteRegistryValue(HKEY root, const std::string& key, const std::string& name);
void DeleteRegistryKey(HKEY root, const std::string& key);

// Settings the tests read from their environment: the installers and the payload tree.
std::string Environment(const char* name);

}  // namespace gui
