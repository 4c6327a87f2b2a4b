// One install, as the installer window's Install and the unattended install
// both run it. Nothing is written until every check has passed:
//
// 1. a payload folder was found and the location is a full path;
// 2. the destination (location + "\" + product, or the location itself for
//    an FxPlug payload) fits in 259 characters;
// 3. the one walk over the payload finds no name or path it cannot install
//    (PayloadWalk.h) and gives the totals;
// 4. nothing in the destination stands in the way (CopyEngine.h PlanCopy),
//    and only its last level needs making;
// 5. the destination volume has room for the payload, counted in whole
//    clusters.
//
// Then the payload is copied all or nothing (InstallTransaction.h): when a
// file fails, the totals do not agree, or the install is stopped, the
// destination is put back as it was. The log tells every step. Nothing
// here shows anything.
#pragma once

#include <atomic>
#include <cstdint>

#include "app/install/CopyEngine.h"
#include "app/install/InstallFailure.h"
#include "app/install/TargetKind.h"

class InstallLog;

// Told what a running install does; the window shows progress with it.
class InstallObserver : public CopyObserver {
public:
  // The payload's totals from the walk, once every check has passed and
  // before the first file is copied.
  virtual void TotalsCounted(const CopyTally& totals) = 0;
  // FileCopied follows for each file; CopyFailed (CopyObserver) once for
  // the failure that ends an install, whether a check or the copy found it.
};

// What to install and where. All texts are borrowed for the call.
struct InstallJob {
  const char* productName;    // not owned: the product sub-folder's name
  TargetKind kind;            // TargetFxPlug copies into the location itself; TargetNone has nothing to install
  const char* payloadFolder;  // not owned: the payload folder's name, for the log
  const char* source;         // not owned: the payload folder's full path
  const char* location;       // not owned: the chosen install location
  const std::atomic<bool>* stop = nullptr;  // not owned: set from any thread to stop the install, which is undone
};

struct InstallOutcome {
  bool installed = false;
  CopyTally copied;       // what was copied (on failure, before it was undone)
  InstallFailure failure;  // what ended a failed install
  // What a failed install could not undo, or a good one could not clean
  // up; each is in the log too.
  std::vector<InstallFailure> leftovers;
};

// Runs one install. observer and log may each be null; neither is owned.
// Critical-error boxes of the platform are kept off for the run.
InstallOutcome RunInstallJob(const InstallJob& job, InstallObserver* observer, InstallLog* log);
