// The uninstaller with a window (uninstall.exe /UNINSTALL): one question,
// "Remove <product> and its files?", the removal, then its result in
// plain words. Its answer "No" leaves everything as it was.
#pragma once

#include "app/install/SetupOptions.h"

// Returns the exit status: 0 removed, 1 failed (nothing changed) or no
// record to remove, 4 left without removing.
int RunWindowUninstall(const SetupOptions& options);
