// The uninstaller with a window (uninstall.exe /UNINSTALL): a small window
// of the installer's own that names the product, its version and where it
// is installed, and asks "Remove <product> and its files?" with Remove and
// Cancel, Cancel the default, so that a stray Enter removes nothing. Remove
// runs the removal on a thread of its own while the window says so and
// keeps answering; the result then takes the question's place, with what
// was kept because it changed since the install, and Close ends it.
//
// The keyboard: Tab and Shift+Tab move the focus; Enter presses the
// default button; Alt+R removes, Alt+C cancels; Escape and the system's
// Close act as Cancel before the removal and as Close after it, and are
// not taken while it runs.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "app/install/SetupOptions.h"
#include "app/install/Uninstall.h"
#include "toolkit/window/qvTabbedWindow.h"

class InstallLog;
class qvButton;
class qvCaption;

// Posted by the removal's thread when it has ended; wParam and lParam unused.
constexpr UINT kUninstallDoneMessage = WM_APP + 4;

class UninstallWindow : public qvTabbedWindow {
public:
  // The window for setup (Known), logging to log (not owned; it outlives
  // the window).
  UninstallWindow(const UninstallSetup& setup, InstallLog* log);
  // Waits for a removal still running.
  ~UninstallWindow() override;

  void Show() override;
  bool OnCommand(qvEvent& event) override;
  bool OnPaint(qvEvent& event) override;
  bool OnKeyDown(qvEvent& event) override;
  bool OnOtherMessage(qvEvent& event) override;
  bool OnDestroy(qvEvent& event) override;

  // 0 removed, 1 failed, 4 left without removing.
  int ExitStatus() const { return status; }

private:
  enum class State { kAsking, kRemoving, kDone };

  void StartRemoval();
  void FinishRemoval();
  void Close();
  static DWORD WINAPI Run(void* self);

  const UninstallSetup& setup;  // not owned
  InstallLog* log;              // not owned
  State state = State::kAsking;
  int status;
  std::unique_ptr<qvCaption> question, details, others, result;
  std::unique_ptr<qvButton> removeButton, cancelButton;
  HANDLE thread = nullptr;  // owned: the removal, while it runs
  RemovalOutcome outcome;   // written by the thread before it posts
};

// Returns the exit status: 0 removed, 1 failed (nothing changed) or no
// record to remove, 4 left without removing.
int RunWindowUninstall(const SetupOptions& options);
