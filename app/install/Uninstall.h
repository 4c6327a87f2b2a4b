// The uninstaller: a byte copy of setup.exe kept beside the product's
// install record (ProductRegistration.h) and run by its Apps & features
// entry with /UNINSTALL. It removes what the record names
// (UninstallJob.h), then the entry, the record and itself, and returns
// only once all of that is done, with the status of the whole: nothing
// runs on after it from a copy elsewhere.
#pragma once

#include <string>

#include "app/install/InstallRecord.h"
#include "app/install/ProductRegistration.h"
#include "app/install/SetupOptions.h"
#include "app/install/UninstallJob.h"

class InstallLog;

// What the uninstaller found beside itself.
struct UninstallSetup {
  RegistrationPlace place;
  InstallRecord record;               // the last install's
  std::vector<InstallRecord> others;  // of the folders installed into before (ProductRegistration.h)
  std::string problem;  // why there is nothing it can remove; empty when there is
  bool noRecord = false;  // the problem is that there is no record at all
  bool Known() const { return problem.empty(); }
};

// The uninstall of the record in folder, or beside this program when
// folder is empty.
UninstallSetup PrepareUninstall(const std::string& folder = std::string());

// Removes the product from every folder its records tell of; on success
// the entry, the records and the uninstaller go too, in a journal of their
// own (journal rule 9), so that a kill there leaves them for the next run
// to remove (what cannot be is told in the outcome's leftovers). The
// outcome's kept files are full paths. Logged to log, which may be null.
RemovalOutcome RunUninstall(const UninstallSetup& setup, InstallLog* log);

// The unattended uninstall (/UNINSTALL /S): no window, the log when
// asked, the exit status of the install (0 removed, 1 failed and nothing
// changed, 2 usage).
int RunUnattendedUninstall(const SetupOptions& options);

// The result in plain words, for the window and the log: what went and
// what was kept.
std::string UninstallResultText(const UninstallSetup& setup, const RemovalOutcome& outcome);
