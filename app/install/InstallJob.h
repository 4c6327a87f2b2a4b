// One install, as the installer window's Install, the unattended install
// and copytree all run it. Nothing is written until every check has passed:
//
// 1. a payload folder was found and the location is a full path whose
//    names Windows takes as they are ("." and ".." resolved against the
//    real folders);
// 2. the destination (location + "\" + product, or the location itself for
//    an FxPlug payload) fits in 259 characters, and the log, when held for
//    it, does not lie in it;
// 3. no other install into the destination is running (InstallLock.h),
//    and an install into it that was killed is put right first
//    (InstallRecovery.h);
// 4. the one walk over the payload finds no name, path or link it cannot
//    install (PayloadWalk.h) and gives the totals; of a signed
//    distribution, it finds every file and folder the signed list gives
//    the payload, of the size listed, and nothing else;
// 5. nothing in the destination stands in the way (CopyEngine.h PlanCopy);
//    the folders of its path that are missing will be made;
// 6. the volume has room for the payload, counted in whole clusters, and
//    takes its files (VolumeLimits.h).
//
// Then the payload is copied all or nothing (InstallTransaction.h): when a
// file fails, a signed file's bytes are not the ones listed (each is
// hashed in the pass that copies it), the totals do not agree, or the
// install is stopped, the destination is put back as it was. The log
// tells every step. Nothing here shows anything.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "app/install/CopyEngine.h"
#include "app/install/DistributionFiles.h"
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
  // Every file is in place and the install is about to commit: an observer
  // that holds it here (while a user is asked whether to cancel) decides
  // with the stop flag, looked at once more after this returns, whether it
  // commits or is undone.
  virtual void BeforeCommit() {}
};

// What to install and where. All texts are borrowed for the call.
struct InstallJob {
  const char* productName;    // not owned: the product sub-folder's name
  TargetKind kind;            // TargetFxPlug copies into the location itself; TargetNone has nothing to install
  const char* payloadFolder;  // not owned: the payload folder's name, for the log
  const char* source;         // not owned: the payload folder's full path
  const char* location;       // not owned: the chosen install location
  // Not owned: further locations the same install goes into (a host's
  // other versions), all or nothing with the first; null or empty for
  // none. The first location's folder is the one the entry names.
  const std::vector<std::string>* moreLocations = nullptr;
  const std::atomic<bool>* stop = nullptr;  // not owned: set from any thread to stop the install, which is undone
  // Not owned, for the log: the host version the default location came
  // from ("After Effects 24.0 (64-bit)"), and every version seen; null or
  // empty when the kind has no host.
  const char* host = nullptr;
  const char* hostsSeen = nullptr;
  const char* hostKey = nullptr;  // the registry key the host's folder was read from
  const char* language = nullptr;  // not owned, for the log: the language chosen and the texts shown
  // setup.exe's installs keep a record of what they placed and an Apps &
  // features entry (ProductRegistration.h), and install over the product's
  // earlier record as an upgrade: its files that this payload does not
  // have go, in the same transaction. Other installs (copytree) do not.
  bool registers = false;
  const char* version = nullptr;  // not owned: the product's version; null or empty when it has none
  bool allowDowngrade = false;    // a lower version may go over a higher one
  // Not owned: what setup.exe's signature covers of the distribution the
  // payload lies in; a covered payload must be as its list gives it. Null
  // for a copy that is no distribution's (copytree).
  const DistributionCoverage* coverage = nullptr;
};

struct InstallOutcome {
  bool installed = false;
  // The install was refused for what its caller asked, not for anything
  // the disk or the payload did: a location Windows would take for another
  // folder, or a log inside the install folder.
  bool refusedRequest = false;
  std::string destination;  // the folder the payload goes into, once worked out
  std::vector<std::string> destinations;  // every folder it goes into, the first first
  bool copyBegan = false;   // the checks passed and the copy began (a failure was undone)
  CopyTally copied;       // what was copied (on failure, before it was undone)
  InstallFailure failure;  // what ended a failed install
  // What a failed install could not undo, or a good one could not clean
  // up; each is in the log too.
  std::vector<InstallFailure> leftovers;
  // A lower version than the one installed, refused (allowDowngrade not
  // set); earlierVersion is the installed one's, when a record has one.
  bool refusedDowngrade = false;
  std::string earlierVersion;
  // The install went over the earlier one in its folder (an upgrade, or a
  // downgrade allowed): earlierVersion is what it replaced.
  bool upgraded = false;
  // Files of the earlier version changed since it was installed: left
  // where they are, relative to the destination.
  std::vector<std::string> kept;
  // A file of the signed distribution is not as signed (failure says
  // which): nothing was installed.
  bool distributionChanged = false;
  // Files the install replaced or removed while a program had them loaded
  // (a running host with the plug-in): the new ones are in place, and the
  // program uses them once it restarts. Full paths.
  std::vector<std::string> inUse;
  // Earlier versions still held at the commit, removed when Windows next
  // starts (or by a later run once nothing holds them).
  std::vector<std::string> scheduled;
  // Installed, and a running program keeps an earlier version until it
  // restarts.
  bool RestartNeeded() const { return installed && !inUse.empty(); }
};

// Who to restart after an install that replaced files in use: the hosts of
// a plug-in kind ("After Effects and Premiere Pro"), or else the program
// still holding the first earlier version, when the platform can tell, or
// else none (empty).
std::string ProgramToRestart(TargetKind kind, const InstallOutcome& outcome);
// What the window says of it: "Restart Photoshop to use the new version."
std::string RestartLine(const std::string& program);

// Runs one install. observer and log may each be null; neither is owned.
// A held log (InstallLog::Hold) is released once the destination is known
// not to hold it, and dropped, failing the install, when it does.
// Critical-error boxes of the platform are kept off for the run.
InstallOutcome RunInstallJob(const InstallJob& job, InstallObserver* observer, InstallLog* log);

// Copies the folder source into destination as an install of it would
// (RunInstallJob, as an FxPlug payload goes into its folder): the checks,
// the lock, recovery, the copy all or nothing. Names beginning with "."
// are not copied. tally, when given, counts what was placed (on failure,
// before it was undone); leftovers, when given, what could not be undone
// or cleaned up. On failure the observer hears of it once, and
// GetLastError gives its code.
bool CopyTree(const char* destination, const char* source, CopyTally* tally = nullptr,
              CopyObserver* observer = nullptr, std::vector<InstallFailure>* leftovers = nullptr);
