#include "app/install/InstallJob.h"

#include <windows.h>

#include <algorithm>
#include <memory>
#include <set>
#include <string>

#include "app/install/FileHolder.h"
#include "app/install/FileTree.h"
#include "app/install/InstallLock.h"
#include "app/install/InstallLog.h"
#include "app/install/InstallLogText.h"
#include "app/install/InstallNames.h"
#include "app/install/InstallProgress.h"
#include "app/install/InstallRecovery.h"
#include "app/install/InstallTarget.h"
#include "app/install/InstallTransaction.h"
#include "app/install/JournalFile.h"
#include "app/install/KillPoint.h"
#include "app/install/PathNames.h"
#include "app/install/ProductRegistration.h"
#include "app/install/UninstallJob.h"
#include "app/install/UiText.h"
#include "app/install/PayloadRules.h"
#include "app/install/QuietErrorMode.h"
#include "app/install/Stopwatch.h"
#include "app/install/VolumeLimits.h"
#include "common/AnsiText.h"
#include "resources/StringIds.h"

namespace {

// Passes the copy's reports to the log and to the caller's observer.
class JobReports : public CopyObserver {
public:
  JobReports(CopyObserver* observer, InstallLog* log) : observer(observer), log(log) {}

  void FileCopied(const char* source, const char* destination, uint64_t bytes) override {
    log->Line(LogCopiedLine(destination, bytes));
    if (observer) observer->FileCopied(source, destination, bytes);
  }
  void FileUnchanged(const char* source, const char* destination, uint64_t bytes) override {
    log->Line(LogUnchangedLine(destination, bytes));
    if (observer) observer->FileUnchanged(source, destination, bytes);
  }
  void CopyFailed(const InstallFailure& failure) override {
    log->Error(failure);
    if (observer) observer->CopyFailed(failure);
  }

private:
  CopyObserver* observer;  // not owned
  InstallLog* log;         // not owned
};

std::string Bytes(uint64_t n) { return FormatCount(n) + (n == 1 ? " byte" : " bytes"); }

// The volume that holds folder (the destination, or the deepest folder of
// its path that exists): room for the payload, each file rounded up to
// whole clusters, and the limits of its file system.
bool CheckVolume(const std::string& folder, const std::string& destination, const Payload& payload, InstallLog* log,
                 InstallFailure* failure) {
  wchar_t volume[kPathBufferSize];
  DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, clusters = 0;
  ULARGE_INTEGER available;
  wchar_t fileSystem[32] = L"";
  if (!GetVolumePathNameW(LongPath(folder).c_str(), volume, kPathBufferSize) ||
      !GetDiskFreeSpaceW(volume, &sectorsPerCluster, &bytesPerSector, &freeClusters, &clusters) ||
      !GetDiskFreeSpaceExW(volume, &available, nullptr, nullptr)) {
    *failure = MakeFailure(folder, GetLastError(), "");
    return false;
  }
  // A file system that cannot be read might be FAT: its limits are the
  // strictest, and are checked.
  const bool knownSystem = GetVolumeInformationW(volume, nullptr, 0, nullptr, nullptr, nullptr, fileSystem, 32);
  const std::string shownVolume = ShownPath(volume);
  if (!knownSystem) log->Line(LogField("file system", "unknown on " + shownVolume + ": checked as FAT32"));
  const uint64_t cluster = uint64_t(sectorsPerCluster) * bytesPerSector;
  uint64_t needed = 0;
  for (const PayloadEntry& entry : payload.entries)
    if (!entry.isFolder) needed += BytesOnVolume(entry.size, cluster);
  log->Line(LogField("space", "needs " + Bytes(needed) + ", " + Bytes(available.QuadPart) + " free on " + shownVolume));
  if (needed > available.QuadPart) {
    *failure = MakeFailure(destination, ERROR_DISK_FULL,
                           "the install needs " + Bytes(needed) + " and " + shownVolume + " has " +
                               Bytes(available.QuadPart) + " free");
    failure->volume = shownVolume;
    failure->bytesNeeded = needed;
    failure->bytesFree = available.QuadPart;
    return false;
  }
  const VolumeLimitProblem problem = CheckVolumeLimits(knownSystem ? Utf8FromWide(fileSystem) : "FAT32", payload);
  if (!problem.found) return true;
  *failure = MakeFailure(problem.path.empty() ? destination : destination + "\\" + problem.path, problem.error,
                         problem.reason);
  return false;
}

// The location as the job gives it, made a full path whose names Windows
// takes as they are.
bool CheckLocation(const char* given, std::string* location, InstallFailure* failure) {
  if (!IsAbsoluteWindowsPath(given)) {
    *failure = MakeFailure(given, ERROR_BAD_PATHNAME, "the install location is not a full path");
    return false;
  }
  const std::string problem = LocationProblem(given);
  std::string resolved, why;
  if (!problem.empty() || !ResolveDotFolders(given, &resolved, &why)) {
    *failure = MakeFailure(given, ERROR_BAD_PATHNAME, problem.empty() ? "the install location " + why : problem);
    return false;
  }
  return FullPath(resolved.c_str(), location, failure);
}

// The product's earlier install, as its record tells, and what this
// install does about it.
struct Earlier {
  bool found = false;
  InstallRecord record;
  bool sameFolder = false;      // it went into this install's destination
  RemovalPlan removals;         // its files this payload does not have (sameFolder only)
  std::set<std::wstring> ours;  // this payload's paths, by RecordedPathKey (sameFolder only)
};

// One folder of an install, from its checks to its commit.
struct FolderInstall {
  std::string location, destination;
  InstallLock lock;
  Payload payload;
  CopyDigests digests;
  Earlier earlier;
  CopyPlan plan;
  std::unique_ptr<InstallTransaction> transaction;
};

// The checks that need only the job, for one of its locations: false with
// the failure at the first that fails. destination receives the folder the
// payload goes into.
bool CheckJob(const InstallJob& job, const char* given, InstallLog* log, std::string* location,
              std::string* destination, InstallOutcome* outcome) {
  InstallFailure* failure = &outcome->failure;
  if (job.kind == TargetNone) {
    *failure = MakeFailure(job.source, ERROR_PATH_NOT_FOUND,
                           "there is no payload folder (\"App Files\", \"AE Files\", \"FX Files\", \"PS Files\" or "
                           "\"MediaCore Files\"): nothing to install");
    return false;
  }
  if (!CheckLocation(given, location, failure)) {
    outcome->refusedRequest = true;
    return false;
  }
  char folder[kPathBufferSize];
  if (!InstallDestination(location->c_str(), job.productName, job.kind, folder)) {
    const std::string wanted = job.kind == TargetFxPlug ? *location : *location + "\\" + job.productName;
    log->Line(LogField("destination", wanted));
    *failure = MakeFailure(wanted, ERROR_FILENAME_EXCED_RANGE,
                           "the install folder's path would be longer than " + std::to_string(kMaxPathLength) +
                               " characters");
    return false;
  }
  *destination = folder;
  return true;
}

// The folders of every location of the job, each once: false with the
// failure when one is refused, or two lie one inside the other (an
// install all or nothing could not undo one without the other). The held
// log is released once it is known to lie in none of them.
bool CheckJobFolders(const InstallJob& job, InstallLog* log, std::vector<FolderInstall>* folders,
                     InstallOutcome* outcome) {
  std::vector<const char*> given = {job.location};
  if (job.moreLocations)
    for (const std::string& more : *job.moreLocations) given.push_back(more.c_str());
  std::vector<std::pair<std::string, std::string>> found;
  for (const char* location : given) {
    std::string full, destination;
    if (!CheckJob(job, location, log, &full, &destination, outcome)) return false;
    bool same = false;
    for (const auto& earlier : found) {
      if (PathKey(earlier.second) == PathKey(destination)) same = true;
      else if (IsInsideFolder(destination, earlier.second) || IsInsideFolder(earlier.second, destination)) {
        outcome->refusedRequest = true;
        outcome->failure = MakeFailure(destination, ERROR_BAD_ARGUMENTS,
                                       "it lies inside the install folder " + earlier.second +
                                           " or holds it, and one install goes into each folder once");
        return false;
      }
    }
    if (!same) found.push_back({full, destination});
  }
  // The log would be written inside what the install puts all or
  // nothing: refused before it is opened.
  const std::string logFile = log->HeldPath();
  std::string logPath;
  InstallFailure ignored;
  if (!logFile.empty() && FullPath(logFile.c_str(), &logPath, &ignored))
    for (const auto& folder : found)
      if (IsInsideFolder(logPath, folder.second)) {
        log->Drop();
        outcome->refusedRequest = true;
        outcome->failure = MakeFailure(logPath, ERROR_BAD_ARGUMENTS,
                                       "the log file lies inside the install folder " + folder.second +
                                           ", where nothing is written but the install");
        return false;
      }
  log->Release();
  std::vector<FolderInstall> made(found.size());
  for (size_t i = 0; i < found.size(); ++i) {
    made[i].location = found[i].first;
    made[i].destination = found[i].second;
    log->Line(LogField("destination", found[i].second));
  }
  folders->swap(made);
  return true;
}


// Reads the earlier record of a registering job, refuses a downgrade, and
// plans the removal of the earlier files the payload no longer has.
bool LookAtEarlier(const InstallJob& job, const std::string& destination, const Payload& payload, InstallLog* log,
                   Earlier* earlier, InstallOutcome* outcome) {
  const RegistrationPlace place = RegistrationPlaceOf(job.productName);
  std::string why;
  bool missing = false;
  if (!LoadInstallRecord(place.record, &earlier->record, &why, &missing)) {
    // Without a readable record the earlier files cannot be told apart
    // from anyone else's: they stay, and the record is written anew.
    if (!missing) log->Line(LogErrorLine(place.record.c_str(), 0, "earlier install record not read: " + why));
    return true;
  }
  // The product installed into another folder before, and into this one
  // before that: this folder's kept record is the earlier install here.
  if (RecordedPathKey(earlier->record.destination) != RecordedPathKey(destination)) {
    InstallRecord kept;
    const std::string keptPath = OtherRecordPath(place, destination);
    if (LoadInstallRecord(keptPath, &kept, &why, &missing) &&
        RecordedPathKey(kept.destination) == RecordedPathKey(destination))
      earlier->record = kept;
    else if (!missing)
      log->Line(LogErrorLine(keptPath.c_str(), 0, "kept install record not read: " + why));
  }
  const InstallRecord& record = earlier->record;
  // A record whose folder is gone tells of no install: the new record
  // takes its place, and no version is compared with it.
  if (!FolderExists(record.destination.c_str())) {
    log->Line(LogField("earlier install", "recorded in " + record.destination + ", which is gone"));
    return true;
  }
  earlier->found = true;
  outcome->earlierVersion = record.version;
  log->Line(LogField("earlier install", record.destination + (record.version.empty() ? "" : ", version " +
                                                                                               record.version)));
  earlier->sameFolder = RecordedPathKey(record.destination) == RecordedPathKey(destination);
  // Only what this install replaces can be a downgrade: an install into
  // another folder leaves the earlier one as it is.
  const std::string version = job.version ? job.version : "";
  if (earlier->sameFolder && !job.allowDowngrade && IsVersionDowngrade(version, record.version)) {
    outcome->refusedDowngrade = true;
    outcome->failure = MakeFailure(record.destination, ERROR_OLD_WIN_VERSION,
                                   std::string(job.productName) + " " + record.version + " is installed, and this " +
                                       (version.empty() ? "release has no version" : "is the older version " + version) +
                                       " (/ALLOWDOWNGRADE installs it anyway)");
    return false;
  }
  if (!earlier->sameFolder) return true;
  outcome->upgraded = true;
  for (const PayloadEntry& entry : payload.entries) earlier->ours.insert(RecordedPathKey(entry.path));
  const uint32_t firstIndex = static_cast<uint32_t>(payload.entries.size());
  if (!PlanRemovals(record, earlier->ours, firstIndex, &earlier->removals, &outcome->failure)) return false;
  outcome->kept.insert(outcome->kept.end(), earlier->removals.kept.begin(), earlier->removals.kept.end());
  if (!earlier->removals.steps.empty())
    log->Line(LogField("earlier files", CountOf(earlier->removals.steps.size(), "file goes", "files go")));
  return true;
}

// The most changes the log lists one by one; the rest are counted.
constexpr size_t kMostChangesLogged = 100;

// A signed payload as the walk found it, against its list: every change
// is logged, the first fails the install. expected receives each entry's
// listed digest.
bool CheckSignedPayload(const InstallJob& job, const Payload& payload, InstallLog* log,
                        std::vector<const Sha256Digest*>* expected, InstallFailure* failure) {
  std::vector<WalkedEntry> walked;
  walked.reserve(payload.entries.size());
  for (const PayloadEntry& entry : payload.entries)
    walked.push_back({entry.path, entry.isFolder, entry.size});
  std::vector<const ManifestEntry*> listed;
  DistributionCoverage changed = *job.coverage;
  changed.changes = ComparePayload(job.coverage->manifest, job.payloadFolder, walked, &listed);
  expected->assign(listed.size(), nullptr);
  for (size_t i = 0; i < listed.size(); ++i)
    if (listed[i] && !listed[i]->isFolder) (*expected)[i] = &listed[i]->digest;
  if (changed.changes.empty()) return true;
  log->Line(ChangedDistributionLogLine());
  for (size_t i = 0; i < changed.changes.size() && i < kMostChangesLogged; ++i)
    log->Line(LogField("changed", ShownListedPath(ManifestChangeText(changed.changes[i]))));
  if (changed.changes.size() > kMostChangesLogged)
    log->Line(LogField("changed", FormatCount(changed.changes.size() - kMostChangesLogged) + " more"));
  *failure = DistributionFailure(ParentFolder(job.source), changed);
  return false;
}

// The record of this install.
InstallRecord RecordOf(const InstallJob& job, const std::string& location, const std::string& destination,
                       const Payload& payload, const CopyPlan& plan, const std::vector<Sha256Digest>& digests,
                       const Earlier& earlier) {
  InstallRecord record;
  record.product = job.productName;
  record.version = job.version ? job.version : "";
  record.kind = job.kind;
  record.location = location;
  record.destination = destination;
  record.madeAbove = static_cast<uint32_t>(plan.makeFirst.size());
  std::set<std::wstring> madeBefore;
  if (earlier.sameFolder) {
    if (record.madeAbove == 0) record.madeAbove = earlier.record.madeAbove;
    for (const std::string& folder : earlier.record.folders) madeBefore.insert(RecordedPathKey(folder));
  }
  for (size_t i = 0; i < payload.entries.size(); ++i) {
    const PayloadEntry& entry = payload.entries[i];
    if (!entry.isFolder)
      record.files.push_back({entry.path, entry.size, 0, digests[i]});
    else if (plan.actions[i] == CopyAction::kMakeFolder || madeBefore.count(RecordedPathKey(entry.path)))
      record.folders.push_back(entry.path);
  }
  // The earlier version's own folders stay its made folders while they
  // hold anything (a changed file, something a user put there).
  if (earlier.sameFolder)
    for (const std::string& folder : earlier.record.folders)
      if (!earlier.ours.count(RecordedPathKey(folder))) record.folders.push_back(folder);
  return record;
}

// After the commit: the earlier version's folders left empty go. An
// earlier install in another folder stays as it is, and stays recorded
// (ProductRegistration.h): the uninstaller removes it too.
void FinishUpgrade(const Earlier& earlier, InstallLog* log) {
  if (!earlier.found) return;
  if (!earlier.sameFolder) {
    log->Line(LogField("earlier install", "left as it is in " + earlier.record.destination +
                                              ", and kept in the record for the uninstaller"));
    return;
  }
  size_t removed = 0;
  RemoveEmptyFolders(earlier.record, earlier.ours, &removed);
}


// Steps 3 to 6 for one folder, once its destination is known; false with
// the failure at the first that fails.
bool CheckFolder(const InstallJob& job, FolderInstall& folder, InstallLog* log, InstallOutcome* outcome) {
  InstallFailure& failure = outcome->failure;
  const std::string& destination = folder.destination;
  // What killed runs left in this folder (its lock is held).
  if (!RecoverInterruptedInstalls(destination, log, &failure)) return false;
  Payload& payload = folder.payload;
  const bool walked =
      WalkPayload(job.source, destination.c_str(), &payload, [&](const PayloadProblem& problem) {
        failure = problem.failure;
        return false;
      });
  if (!walked) return false;
  log->Line(LogField("payload", LogTallyText(payload.files, payload.bytes)));
  if (job.coverage && job.coverage->Covered() &&
      !CheckSignedPayload(job, payload, log, &folder.digests.expected, &failure)) {
    outcome->distributionChanged = true;
    return false;
  }
  if (job.registers && !LookAtEarlier(job, destination, payload, log, &folder.earlier, outcome)) return false;
  return PlanCopy(payload, destination, &folder.plan, &failure) &&
         CheckVolume(folder.plan.existingFolder, destination, payload, log, &failure);
}

// Steps 3 to 6 and the copy: the road of every install once its
// destinations are known. An install into several folders is one install:
// every folder is checked, then copied into, each in a transaction of its
// own, and only once every file of every folder is in place (and the
// registration, a step of the last folder's transaction, in force) are
// they committed; a failure anywhere undoes them all. Every failure is
// told to reports once.
void InstallInto(const InstallJob& job, std::vector<FolderInstall>& folders, InstallObserver* observer,
                 CopyObserver* reports, InstallLog* log, InstallOutcome* outcome) {
  const std::atomic<bool>* stop = job.stop;
  InstallFailure& failure = outcome->failure;
  const auto failed = [&] {
    NameHolder(&failure);
    reports->CopyFailed(failure);
  };
  Stopwatch watch;
  InstallTimes times;
  // Each folder's lock, then the product's: held from the reading of the
  // earlier record until the new one is in force. Neither waits, so the
  // order cannot deadlock; a second install into the same folder is told
  // of the folder. Then what killed runs left of this product's
  // registration, wherever they installed, and of each folder (CheckFolder).
  for (FolderInstall& folder : folders)
    if (!folder.lock.Take(folder.destination, &failure)) return failed();
  InstallLock productLock;
  if (job.registers && (!productLock.TakeProduct(job.productName, &failure) ||
                        !RecoverProduct(RegistrationPlaceOf(job.productName).folder, log, &failure)))
    return failed();
  const bool several = folders.size() > 1;
  CopyTally totals;
  for (FolderInstall& folder : folders) {
    if (several) log->Line(LogField("folder", folder.destination));
    if (!CheckFolder(job, folder, log, outcome)) return failed();
    totals.files += folder.payload.files;
    totals.bytes += folder.payload.bytes;
  }
  log->Flush();
  times.checks = watch.Lap();
  outcome->copyBegan = true;
  if (observer) observer->TotalsCounted(totals);

  // Journal rule 9: the registration is part of the install's plan, of
  // the last folder's transaction.
  std::unique_ptr<Registration> registration;
  std::vector<JournalEntry> registering;
  std::vector<std::string> others;
  for (size_t i = 1; i < folders.size(); ++i) others.push_back(folders[i].destination);
  bool copied = true;
  // Several folders are one group, of the product's registration: a run
  // that puts the product right puts every folder right.
  const std::string group = several ? NewGroupName() : std::string();
  const std::string owner = several ? RegistrationPlaceOf(job.productName).folder : std::string();
  for (size_t i = 0; copied && i < folders.size(); ++i) {
    FolderInstall& folder = folders[i];
    folder.transaction = std::make_unique<InstallTransaction>(folder.destination);
    if (several) folder.transaction->JoinGroup(group, owner);
    if (job.registers && i + 1 == folders.size()) {
      registration = std::make_unique<Registration>(job.productName);
      registering = registration->Plan(
          static_cast<uint32_t>(folder.payload.entries.size() + folder.earlier.removals.steps.size()),
          folders.front().destination, others);
      folder.transaction->PlanAlso(registering);
    }
    CopyTally tally;
    copied = CopyPayload(folder.payload, folder.plan, job.source, folder.destination, *folder.transaction, &tally,
                         reports, stop, &failure, &folder.earlier.removals.steps, &folder.digests, &times.copy);
    outcome->copied.files += tally.files;
    outcome->copied.bytes += tally.bytes;
  }
  outcome->distributionChanged = outcome->distributionChanged || failure.distributionChanged;
  if (failure.distributionChanged) {
    // Told as the list's other changes are: by its path in "install files".
    const std::string installFiles = ParentFolder(job.source);
    const std::string relative = failure.path.substr(std::min(failure.path.size(), installFiles.size() + 1));
    failure.reason = ManifestChangeText({ManifestChange::kChanged, relative, "its bytes are not the ones signed"});
    log->Line(ChangedDistributionLogLine());
  }
  if (copied && observer) observer->BeforeCommit();
  if (copied && stop && stop->load()) {
    failure = MakeFailure(folders.front().destination, ERROR_CANCELLED, "the install was stopped");
    copied = false;
  }
  // The new records, uninstaller and entry are put in force before the
  // commit, as steps of the journal: an install that cannot keep its
  // registration is undone with it, and a kill leaves either the earlier
  // install with its registration or this one with its own.
  watch.Lap();
  if (copied && registration) {
    std::vector<InstallRecord> records;
    for (FolderInstall& folder : folders)
      records.push_back(RecordOf(job, folder.location, folder.destination, folder.payload, folder.plan,
                                 folder.digests.found, folder.earlier));
    const InstallRecord first = records.front();
    records.erase(records.begin());
    InstallTransaction& last = *folders.back().transaction;
    copied = registration->Prepare(first, &failure, records);
    for (size_t i = 0; copied && i < registering.size(); ++i)
      copied = last.Step(registering[i].index, &failure) && registration->TakeStep(registering[i], &failure);
    if (copied) KillPoint("registered");
  }
  times.record = watch.Lap();
  // Several folders commit as one (journal rule 7): every placed file of
  // every folder on the disk, then the group's marker; before it a kill
  // leaves every folder to be undone by the next run, after it every
  // folder to be finished.
  if (copied && several) {
    for (FolderInstall& folder : folders)
      if (copied) copied = folder.transaction->FlushPlaced(&failure);
    if (copied) copied = MakeGroupMarker(group, PlatformDiskFlush(), &failure);
  }
  if (copied && several) {
    KillPoint("group-committed");
    // Committed as a group: a folder whose own commit fails now is
    // finished by the next run, never undone.
    bool finished = true;
    for (FolderInstall& folder : folders) {
      InstallFailure unfinished;
      if (folder.transaction->Commit(&outcome->leftovers, &unfinished)) continue;
      finished = false;
      folder.transaction->LeaveForRecovery();
      unfinished.reason += " (the install is committed: the next run finishes it)";
      outcome->leftovers.push_back(unfinished);
    }
    if (finished) DeleteGroupMarker(group, &outcome->leftovers);
  } else if (copied) {
    copied = folders.front().transaction->Commit(&outcome->leftovers, &failure);
  }
  if (copied) {
    times.commit = watch.Lap();
    log->Line(LogTimingLine(times));
    if (registration) log->Line(LogField("registered", registration->Place().uninstaller));
    outcome->installed = true;
    for (FolderInstall& folder : folders) {
      if (registration) FinishUpgrade(folder.earlier, log);
      const std::vector<std::string>& held = folder.transaction->HeldAside();
      const std::vector<std::string>& scheduled = folder.transaction->ScheduledRemovals();
      outcome->inUse.insert(outcome->inUse.end(), held.begin(), held.end());
      outcome->scheduled.insert(outcome->scheduled.end(), scheduled.begin(), scheduled.end());
    }
    for (const std::string& kept : outcome->kept)
      log->Line(LogField("kept", kept + " (changed since it was installed)"));
    for (const std::string& file : outcome->inUse)
      log->Line(LogField("in use", file + ": replaced; the program that has it loaded uses the new one once it restarts"));
    for (const std::string& file : outcome->scheduled)
      log->Line(LogField("scheduled", file + ": the earlier version, still in use, is removed at the next start"));
    if (!outcome->inUse.empty()) {
      const std::string program = ProgramToRestart(job.kind, *outcome);
      log->Line(LogField("restart", program.empty() ? "the program using the files in use" : program));
    }
    log->Leftovers(outcome->leftovers, "not cleaned up");
    return;
  }
  // Told before it is undone: the log says why, then what was put back.
  failed();
  UndoCounts undone;
  for (auto folder = folders.rbegin(); folder != folders.rend(); ++folder) {
    if (!folder->transaction) continue;
    const UndoCounts counts = folder->transaction->Rollback(&outcome->leftovers);
    undone.removedFiles += counts.removedFiles;
    undone.restoredFiles += counts.restoredFiles;
    undone.removedFolders += counts.removedFolders;
  }
  log->Line(LogField("undone", CountOf(undone.removedFiles, "file", "files") + " removed, " +
                                   CountOf(undone.restoredFiles, "replaced file", "replaced files") + " put back, " +
                                   CountOf(undone.removedFolders, "folder", "folders") + " removed"));
  log->Leftovers(outcome->leftovers, "not undone");
}

// Tells a copy's observer what an install's observer hears.
class CopyReports : public InstallObserver {
public:
  explicit CopyReports(CopyObserver* observer) : observer(observer) {}
  void TotalsCounted(const CopyTally&) override {}
  void FileCopied(const char* source, const char* destination, uint64_t bytes) override {
    if (observer) observer->FileCopied(source, destination, bytes);
  }
  void CopyFailed(const InstallFailure& failure) override {
    if (observer) observer->CopyFailed(failure);
  }

private:
  CopyObserver* observer;  // not owned; may be null
};

}  // namespace

InstallOutcome RunInstallJob(const InstallJob& job, InstallObserver* observer, InstallLog* log) {
  QuietErrorMode quiet;
  const Stopwatch start;
  InstallLog noLog;
  if (!log) log = &noLog;
  const bool ownBlock = log->BeginBlock();
  log->Line(LogField("product", job.productName));
  if (job.language && job.language[0]) log->Line(LogField("language", job.language));
  log->Line(LogField("target", LogTargetText(job.kind, job.payloadFolder)));
  if (job.host && job.host[0]) log->Line(LogField("host", job.host));
  if (job.hostKey && job.hostKey[0]) log->Line(LogField("host key", job.hostKey));
  if (job.hostsSeen && job.hostsSeen[0]) log->Line(LogField("hosts seen", job.hostsSeen));
  log->Line(LogField("source", job.source));
  if (job.coverage)
    for (const std::string& line : CoverageLogLines(*job.coverage)) log->Line(line);

  JobReports reports(observer, log);
  InstallOutcome outcome;
  // A changed distribution is refused before anything else, whatever the
  // caller made of it.
  if (job.coverage && job.coverage->Changed()) {
    outcome.failure = DistributionFailure(ParentFolder(job.source), *job.coverage);
    outcome.distributionChanged = true;
    reports.CopyFailed(outcome.failure);
  } else {
    std::vector<FolderInstall> folders;
    if (CheckJobFolders(job, log, &folders, &outcome)) {
      outcome.destination = folders.front().destination;
      for (const FolderInstall& folder : folders) outcome.destinations.push_back(folder.destination);
      InstallInto(job, folders, observer, &reports, log, &outcome);
    } else {
      reports.CopyFailed(outcome.failure);
    }
  }
  log->Line(LogResultLine(outcome.installed, outcome.copied.files, outcome.copied.bytes, start.Seconds()));
  if (ownBlock) log->EndBlock();
  log->Flush();
  return outcome;
}

std::string ProgramToRestart(TargetKind kind, const InstallOutcome& outcome) {
  if (const char* hosts = HostUsersOf(kind)) return hosts;
  // The program still holds the earlier version, under its name aside.
  if (outcome.scheduled.empty()) return std::string();
  InstallFailure held = MakeFailure(outcome.scheduled.front(), ERROR_SHARING_VIOLATION, "");
  NameHolder(&held);
  return held.holder;
}

std::string RestartLine(const std::string& program) {
  return program.empty() ? UiText(IDS_RESTART_PROGRAM) : UiText(IDS_RESTART, {program});
}

bool CopyTree(const char* destination, const char* source, CopyTally* tally, CopyObserver* observer,
              std::vector<InstallFailure>* leftovers) {
  CopyReports reports(observer);
  InstallOutcome outcome;
  std::string root, from;
  if (FullPath(destination, &root, &outcome.failure) && FullPath(source, &from, &outcome.failure)) {
    InstallJob job = {"", TargetFxPlug, "", from.c_str(), root.c_str()};
    outcome = RunInstallJob(job, &reports, nullptr);
  } else {
    reports.CopyFailed(outcome.failure);
  }
  if (tally) *tally = outcome.copied;
  if (leftovers) *leftovers = outcome.leftovers;
  if (outcome.installed) return true;
  SetLastError(outcome.failure.error);
  return false;
}
