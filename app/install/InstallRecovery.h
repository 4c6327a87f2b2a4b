// Recovery after a killed install. An install that dies (killed, a power
// cut, a crash) leaves its staging folder in its root folder, with the
// journal of what it did (InstallTransaction.h). The next install into the
// same folder, holding the folder's lock (InstallLock.h), first finds such
// folders and puts things right from each journal: an install that had not
// committed is undone (the earlier install comes back byte for byte, with
// its times), one that had is finished; then the staging folder goes.
//
// A staging folder whose journal cannot be read (damaged, or left by an
// installer without one) is kept and reported: it may hold the only copies
// of earlier versions, so it is never deleted blindly, and nothing is ever
// taken from it. One that is a link or a junction is never entered.
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
