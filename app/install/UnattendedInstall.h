// The install without a window (setup.exe /S): the same product file,
// target resolution, payload choice, product sub-folder rule, checks and
// all-or-nothing copy as the window's Install, with the licence terms taken
// as accepted by whoever deploys. Nothing is shown, ever; the outcome is
// told by the exit status and, with /LOG=, by the log.
#pragma once

#include "app/install/SetupOptions.h"

// Runs the install the options ask for and returns its exit status: a
// usage error in options, or a request for help, ends it at once with
// kExitUsage. The location is options.location, or else the target kind's
// default. No window or message box is made, and the platform's
// critical-error boxes are kept off.
int RunUnattendedInstall(const SetupOptions& options);
