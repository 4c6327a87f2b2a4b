// The install without a window (setup.exe /S): the same product file,
// target resolution, payload choice, product sub-folder rule and copy as
// the window's Install, with the licence terms taken as accepted by whoever
// deploys. Nothing is shown, ever; the outcome is told by the exit status
// and, with /LOG=, by the log.
#pragma once

#include "app/install/SetupOptions.h"

// Exit statuses of setup.exe started with options.
enum UnattendedExit : int {
  kExitInstalled = 0,       // every file copied
  kExitCopyFailed = 1,      // the install failed (the log says where)
  kExitUsage = 2,           // a usage error, or no location: /D= not given and no default
  kExitUnknownProduct = 3,  // no "product.txt" that can be opened
};

// Runs the install the options ask for and returns its exit status: a
// usage error in options ends it at once with kExitUsage. The location is
// options.location, or else the target kind's default. The busy cursor is
// not used; no window or message box is made, and the platform's
// critical-error boxes are kept off.
int RunUnattendedInstall(const SetupOptions& options);
