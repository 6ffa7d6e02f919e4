// What the installation sequence needs of the window that shows it: the main dialog implements
// it, so that the sequence does not depend on the dialog that owns it.
#pragma once

#include <windows.h>

#include <string>

class InstallView {
 public:
  virtual ~InstallView() = default;

  // The window that owns the installation's boxes.
  virtual HWND Window() const = 0;
  // The progress bar's position for no bar at all, and for a complete installation.
  static constexpr int kNoProgressBar = -1;
  static constexpr int kFullProgressBar = 1000;

  // Shows line as the progress line and the progress bar at permille thousandths (hidden with
  // kNoProgressBar), and brings every control up to date at once.
  virtual void ShowProgress(const std::string& line, int permille) = 0;
  // Switches the controls that the Overwrite or Update question disables.
  virtual void SetQuestionControlsEnabled(bool enable) = 0;
  // Switches Cancel (nothing is left to cancel while a run is undone).
  virtual void SetCancelEnabled(bool enable) = 0;
  // Ends the dialog: through its OK path once the installation is complete, or as Cancel
  // does when it ended otherwise.
  virtual void Close(bool completed) = 0;
};
