// Starting the installed program as the user of the desktop, not with the installer's
// administrator rights.
#pragma once

#include <shldisp.h>

#include <string>

#include "shell/com_ptr.h"

namespace shell {

// How the installed program is started.
enum class StartRoute {
  kShell,       // by the desktop shell, with the rights of the user's desktop
  kDirect,      // by the installer itself, which is not elevated
  kNotStarted,  // by neither: the user starts it (the success message says how)
};

// The route for what the installer found out: whether the desktop shell can be asked,
// whether that shell runs elevated, whether the installer does. The shell is used unless it is
// elevated while the installer is not (it would start the program with more rights than the
// installer has); an elevated shell is used by an elevated installer, since then the desktop
// itself runs elevated and gives everything the user starts those rights anyway (so does Wine,
// where every process is elevated). Without the shell the installer starts the program itself
// only when it is not elevated.
StartRoute ChooseStartRoute(bool shellFound, bool shellElevated, bool selfElevated);

// Whether the desktop shell is looked for; the installer always asks it.
enum class ShellSearch { kAsk, kSkip };

// Finds out on construction how the program will be started, before the installer tells the
// user it is done: asks the desktop shell for its ShellExecute (through the shell windows,
// the desktop's browser and its view) and reads the elevation of the shell's process and of
// this one. Holds the shell and the COM apartment of the calling thread until destroyed; use
// it on that thread.
class ProgramStart {
 public:
  explicit ProgramStart(ShellSearch search = ShellSearch::kAsk);
  ProgramStart(const ProgramStart&) = delete;
  ProgramStart& operator=(const ProgramStart&) = delete;

  // The route Start will take.
  StartRoute Route() const { return route_; }

  // Starts program (a full path, which the direct route quotes) with arguments (may be empty)
  // in directory, shown normally, by the route found. Returns the route that ran: when the
  // shell refuses at this point, the direct route if this process is not elevated, else
  // kNotStarted. The started process is not waited for.
  StartRoute Start(const std::string& program, const std::string& arguments,
                   const std::string& directory);

 private:
  ComApartment apartment_;
  ComPtr<IShellDispatch2> shell_;
  bool selfElevated_ = true;
  StartRoute route_ = StartRoute::kNotStarted;
};

// The line the success message ends with when the program will not be started, telling how
// to start it from its shortcut named linkName; empty for every other route.
std::string StartYourselfNote(StartRoute route, const std::string& linkName);

}  // namespace shell
