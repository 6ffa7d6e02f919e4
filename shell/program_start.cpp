#include "shell/program_start.h"

#include <exdisp.h>
#include <oleauto.h>
#include <servprov.h>
#include <shlguid.h>
#include <shlobj.h>
#include <windows.h>

#include "platform/unique_handle.h"

namespace shell {

namespace {

// A variant that clears itself.
struct Variant {
  VARIANT value;
  Variant() { ::VariantInit(&value); }
  ~Variant() { ::VariantClear(&value); }
  Variant(const Variant&) = delete;
  Variant& operator=(const Variant&) = delete;
};

// text in the ANSI code page as a BSTR owned by a variant; false when it cannot be converted.
bool SetText(Variant& variant, const std::string& text) {
  const int size = static_cast<int>(text.size());
  const int length =
      text.empty() ? 0 : ::MultiByteToWideChar(CP_ACP, 0, text.data(), size, nullptr, 0);
  if (length <= 0 && !text.empty()) return false;
  BSTR wide = ::SysAllocStringLen(nullptr, static_cast<UINT>(length));
  if (!wide) return false;
  if (length > 0) ::MultiByteToWideChar(CP_ACP, 0, text.data(), size, wide, length);
  variant.value.vt = VT_BSTR;
  variant.value.bstrVal = wide;
  return true;
}

// True when the process's token is elevated; unknown counts as elevated for this process
// (fallbackElevated) and as not elevated for the shell, whose rights are the desktop's.
bool IsElevated(HANDLE process, bool fallbackElevated) {
  HANDLE raw = nullptr;
  if (!process || !::OpenProcessToken(process, TOKEN_QUERY, &raw)) return fallbackElevated;
  const platform::UniqueHandle token(raw);
  TOKEN_ELEVATION elevation = {};
  DWORD size = 0;
  if (!::GetTokenInformation(token.get(), TokenElevation, &elevation, sizeof elevation, &size))
    return fallbackElevated;
  return elevation.TokenIsElevated != 0;
}

// Whether the process that owns window runs elevated; false when that cannot be told.
bool WindowOwnerElevated(HWND window) {
  DWORD processId = 0;
  if (!window || !::GetWindowThreadProcessId(window, &processId) || processId == 0) return false;
  const platform::UniqueHandle process(
      ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
  return process && IsElevated(process.get(), false);
}

// The desktop shell's dispatch object (its ShellExecute), the way Windows documents starting
// a program unelevated from an elevated one; desktopWindow receives the desktop's window.
// Empty when there is no desktop shell to ask (a service session, a system without Explorer)
// or a step fails.
ComPtr<IShellDispatch2> FindDesktopShell(HWND& desktopWindow) {
  ComPtr<IShellWindows> windows;
  if (FAILED(::CoCreateInstance(CLSID_ShellWindows, nullptr, CLSCTX_LOCAL_SERVER, IID_IShellWindows,
                                windows.PutVoid())))
    return {};
  Variant location, root;
  long window = 0;
  ComPtr<IDispatch> desktop;
  if (windows->FindWindowSW(&location.value, &root.value, SWC_DESKTOP, &window, SWFO_NEEDDISPATCH,
                            reinterpret_cast<IDispatch**>(desktop.PutVoid())) != S_OK ||
      !desktop)
    return {};
  desktopWindow = reinterpret_cast<HWND>(static_cast<LONG_PTR>(window));
  ComPtr<IServiceProvider> services;
  ComPtr<IShellBrowser> browser;
  ComPtr<IShellView> view;
  ComPtr<IDispatch> background;
  ComPtr<IShellFolderViewDual> folderView;
  ComPtr<IDispatch> application;
  ComPtr<IShellDispatch2> shell;
  if (FAILED(desktop->QueryInterface(IID_IServiceProvider, services.PutVoid())) ||
      FAILED(services->QueryService(SID_STopLevelBrowser, IID_IShellBrowser, browser.PutVoid())) ||
      FAILED(browser->QueryActiveShellView(reinterpret_cast<IShellView**>(view.PutVoid()))) ||
      FAILED(view->GetItemObject(SVGIO_BACKGROUND, IID_IDispatch, background.PutVoid())) ||
      FAILED(background->QueryInterface(IID_IShellFolderViewDual, folderView.PutVoid())) ||
      FAILED(folderView->get_Application(reinterpret_cast<IDispatch**>(application.PutVoid()))) ||
      FAILED(application->QueryInterface(IID_IShellDispatch2, shell.PutVoid())))
    return {};
  return shell;
}

// Starts the program as the installer always did: its quoted path (and the arguments) as the
// command line, working in directory, with this process's token.
bool StartDirectly(const std::string& program, const std::string& arguments,
                   const std::string& directory) {
  std::string commandLine = "\"" + program + "\"";
  if (!arguments.empty()) commandLine += " " + arguments;
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  startup.wShowWindow = SW_SHOWDEFAULT;
  PROCESS_INFORMATION process = {};
  if (!::CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        directory.c_str(), &startup, &process))
    return false;
  ::CloseHandle(process.hThread);
  ::CloseHandle(process.hProcess);
  return true;
}

}  // namespace

StartRoute ChooseStartRoute(bool shellFound, bool shellElevated, bool selfElevated) {
  if (shellFound && (!shellElevated || selfElevated)) return StartRoute::kShell;
  return selfElevated ? StartRoute::kNotStarted : StartRoute::kDirect;
}

ProgramStart::ProgramStart(ShellSearch search) {
  selfElevated_ = IsElevated(::GetCurrentProcess(), true);
  HWND desktopWindow = nullptr;
  if (search == ShellSearch::kAsk) shell_ = FindDesktopShell(desktopWindow);
  const bool shellElevated =
      shell_ && WindowOwnerElevated(desktopWindow ? desktopWindow : ::GetShellWindow());
  route_ = ChooseStartRoute(static_cast<bool>(shell_), shellElevated, selfElevated_);
  if (route_ != StartRoute::kShell) shell_.Reset();
}

StartRoute ProgramStart::Start(const std::string& program, const std::string& arguments,
                               const std::string& directory) {
  if (route_ == StartRoute::kShell) {
    Variant file, parameters, folder, operation, show;
    show.value.vt = VT_I4;
    show.value.lVal = SW_SHOWNORMAL;
    // S_FALSE is the shell's answer when it could not start the program.
    if (SetText(file, program) && SetText(parameters, arguments) && SetText(folder, directory) &&
        SetText(operation, "open") &&
        shell_->ShellExecute(file.value.bstrVal, parameters.value, folder.value, operation.value,
                             show.value) == S_OK)
      return StartRoute::kShell;
  }
  if (route_ == StartRoute::kNotStarted || selfElevated_) return StartRoute::kNotStarted;
  return StartDirectly(program, arguments, directory) ? StartRoute::kDirect
                                                      : StartRoute::kNotStarted;
}

std::string StartYourselfNote(StartRoute route, const std::string& linkName) {
  if (route != StartRoute::kNotStarted) return std::string();
  return "\n\nStart " + linkName + " from its shortcut on the desktop or in the Start menu.";
}

}  // namespace shell
