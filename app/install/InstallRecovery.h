// Recovery after a killed install. An install that dies (killed, a power
// cut, a crash) leaves its journal of what it did in the journal folder
// (JournalFile.h) and its staging folder in its root folder
// (InstallTransaction.h). The next install into the same folder, holding
// the folder's lock (InstallLock.h), first finds such journals and puts
// things right from each: an install that had not committed is undone
// (the earlier install comes back byte for byte, with its times, and its
// registration with it), one that had is finished; then the staging
// folder and the journal go. The next install or uninstall of the same
// product does the same for every journal that touched the product's
// registration, whatever folder it installed into.
//
// Only a journal in the journal folder is acted on (journal rule 8). A
// staging folder without one (planted by whoever can write to the install
// folder, or left by an installer that kept its journal inside it) is kept
// and reported, and nothing is ever taken from it; so is one whose journal
// cannot be read. One that is a link or a junction is never entered.
#pragma once

#include <string>

#include "app/install/InstallFailure.h"

class InstallLog;

// Recovers every interrupted install into root (a full path, locked by
// the caller), logging what it found and did to log (may be null). False,
// with failure, when an interrupted install could not be undone, or
// another install is still writing there: the folder is then not one
// install's, and no install may go on over it.
bool RecoverInterruptedInstalls(const std::string& root, InstallLog* log, InstallFailure* failure);

// Recovers every interrupted install or uninstall whose journal names the
// registration in folder (ProductRegistration.h), taking the lock of each
// one's root while it does; the caller holds the product's lock. False,
// with failure, as above.
bool RecoverProduct(const std::string& folder, InstallLog* log, InstallFailure* failure);

// Whether root holds nothing but staging folders of finished installs
// whose earlier versions a program still holds (their removal scheduled
// for the next start): a folder that is empty but for what the next start
// removes.
bool HoldsOnlyScheduledStaging(const std::string& root);
