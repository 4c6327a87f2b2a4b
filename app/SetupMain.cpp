// setup.exe: the installer's entry. Without options it shows the installer
// window on a 620 x 420 client area and runs the main loop until "Quit" or
// "Cancel"; with /S it installs without any window (UnattendedInstall.h).
// With /UNINSTALL it is the uninstaller of the record beside it
// (Uninstall.h, UninstallWindow.h).
// Either way it first keeps DLLs from loading from anywhere but the system
// folder: an installer runs elevated from folders anyone can write to.
//
// The exit status tells a program that started the installer what
// happened (SetupOptions.h): 0 installed, 1 failed (and undone), 2 a usage
// error, 3 (unattended) or -1 (window) an unknown product, 4 the window
// left without installing.
#include <windows.h>

#include "app/SafeDllLoading.h"
#include "app/install/SetupCommandLine.h"
#include "app/install/SetupOptions.h"
#include "app/install/UnattendedInstall.h"
#include "app/install/Uninstall.h"
#include "app/window/QuorvinUI.h"
#include "app/window/UninstallWindow.h"
#include "resources/ResourceIds.h"
#include "toolkit/window/MessageDispatch.h"
#include "toolkit/window/ShowMessage.h"

namespace {

// The program's frame class. The installer window uses the toolkit's own
// class; this one is registered for the program's other windows and as the
// check that the platform takes a class from this program at all.
bool RegisterFrameClass(HINSTANCE instance) {
  // Lives as long as the process, as the class does.
  const HBRUSH brush = CreateSolidBrush(RGB(238, 238, 238));
  WNDCLASSA frame = {};
  frame.lpfnWndProc = DefWindowProcA;
  frame.hInstance = instance;
  frame.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_PROGRAM));
  frame.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  frame.hbrBackground = brush;
  frame.lpszMenuName = MAKEINTRESOURCEA(IDM_FRAME);
  frame.lpszClassName = "qvAppframe";
  return RegisterClassA(&frame) != 0;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  RestrictDllLoading();
  const SetupOptions options = ParseSetupCommandLine(ReadSetupCommandLine().c_str());
  // The uninstaller works in no folder of its own: a working folder cannot
  // be removed while a process is in it.
  if (options.uninstall) {
    wchar_t system[MAX_PATH];
    if (GetSystemDirectoryW(system, MAX_PATH)) SetCurrentDirectoryW(system);
    if (options.silent || options.help || !options.error.empty()) return RunUnattendedUninstall(options);
    if (!RegisterFrameClass(instance)) return kExitNoWindow;
    return RunWindowUninstall(options);
  }
  // Asked for by a person at a prompt: the usage shows. Under /S nothing
  // ever shows.
  if (options.help && !options.silent) {
    ShowMessage(SetupHelp().c_str());
    return kExitUsage;
  }
  // A command line that is not understood ends with the usage status, as
  // it does with /S: whoever wrote it is a program, not a user.
  if (options.silent || options.help || !options.error.empty()) return RunUnattendedInstall(options);

  // Without its class the program can show nothing: a failure, told by the
  // status as any other.
  if (!RegisterFrameClass(instance)) return kExitNoWindow;
  // The common controls, which only tooltips need, are loaded with the
  // first tooltip: loading them here would delay the window's first paint.

  auto* window = new QuorvinUI(qvRect(0, 0, 620, 420), options);
  window->Show();
  RunMessageLoop();
  const int status = window->ExitStatus();
  delete window;
  return status;
}
