#include "app/install/InstallJob.h"

#include <windows.h>

#include <string>

#include "app/install/FileTree.h"
#include "app/install/InstallLog.h"
#include "app/install/InstallLogText.h"
#include "app/install/InstallNames.h"
#include "app/install/InstallProgress.h"
#include "app/install/InstallTransaction.h"
#include "app/install/PathNames.h"
#include "app/install/PayloadRules.h"
#include "app/install/QuietErrorMode.h"

namespace {

// Passes the copy's reports to the log and to the caller's observer.
class JobReports : public CopyObserver {
public:
  JobReports(InstallObserver* observer, InstallLog* log) : observer(observer), log(log) {}

  void FileCopied(const char* source, const char* destination, uint64_t bytes) override {
    log->Line(LogCopiedLine(destination, bytes));
    if (observer) observer->FileCopied(source, destination, bytes);
  }
  void CopyFailed(const InstallFailure& failure) override {
    log->Error(failure);
    if (observer) observer->CopyFailed(failure);
  }

private:
  InstallObserver* observer;  // not owned
  InstallLog* log;            // not owned
};

double SecondsSince(const LARGE_INTEGER& start) {
  LARGE_INTEGER now, frequency;
  QueryPerformanceCounter(&now);
  QueryPerformanceFrequency(&frequency);
  return double(now.QuadPart - start.QuadPart) / double(frequency.QuadPart);
}

std::string Bytes(uint64_t n) { return FormatCount(n) + (n == 1 ? " byte" : " bytes"); }

// The free space of the volume that holds folder (the destination, or the
// folder it is made in) against what the payload takes on it, each file
// rounded up to whole clusters.
bool CheckFreeSpace(const std::string& folder, const std::string& destination, const Payload& payload,
                    InstallLog* log, InstallFailure* failure) {
  char volume[kPathBufferSize];
  DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, clusters = 0;
  ULARGE_INTEGER available;
  if (!GetVolumePathNameA(folder.c_str(), volume, sizeof volume) ||
      !GetDiskFreeSpaceA(volume, &sectorsPerCluster, &bytesPerSector, &freeClusters, &clusters) ||
      !GetDiskFreeSpaceExA(folder.c_str(), &available, nullptr, nullptr)) {
    *failure = MakeFailure(folder, GetLastError(), "");
    return false;
  }
  const uint64_t cluster = uint64_t(sectorsPerCluster) * bytesPerSector;
  uint64_t needed = 0;
  for (const PayloadEntry& entry : payload.entries)
    if (!entry.isFolder) needed += BytesOnVolume(entry.size, cluster);
  log->Line(LogField("space", "needs " + Bytes(needed) + ", " + Bytes(available.QuadPart) + " free on " + volume));
  if (needed <= available.QuadPart) return true;
  *failure = MakeFailure(destination, ERROR_DISK_FULL,
                         "the install needs " + Bytes(needed) + " and " + volume + " has " +
                             Bytes(available.QuadPart) + " free");
  return false;
}

// Every check before the copy; false with the failure at the first that
// fails. destination receives the folder the payload goes into.
bool CheckJob(const InstallJob& job, InstallLog* log, std::string* destination, Payload* payload, CopyPlan* plan,
              InstallFailure* failure) {
  if (job.kind == TargetNone) {
    *failure = MakeFailure(job.source, ERROR_PATH_NOT_FOUND,
                           "there is no payload folder (\"App Files\", \"AE Files\", \"FX Files\" or \"PS Files\"): "
                           "nothing to install");
    return false;
  }
  std::string location;
  if (!IsAbsoluteWindowsPath(job.location)) {
    *failure = MakeFailure(job.location, ERROR_BAD_PATHNAME, "the install location is not a full path");
    return false;
  }
  if (!FullPath(job.location, &location, failure)) return false;
  char folder[kPathBufferSize];
  if (!InstallDestination(location.c_str(), job.productName, job.kind, folder)) {
    const std::string wanted = job.kind == TargetFxPlug ? location : location + "\\" + job.productName;
    log->Line(LogField("destination", wanted));
    *failure = MakeFailure(wanted, ERROR_FILENAME_EXCED_RANGE,
                           "the install folder's path would be longer than " + std::to_string(kMaxPathLength) +
                               " characters");
    return false;
  }
  *destination = folder;
  log->Line(LogField("destination", *destination));

  const bool walked = WalkPayload(job.source, destination->c_str(), payload, [&](const PayloadProblem& problem) {
    *failure = problem.failure;
    return false;
  });
  if (!walked) return false;
  log->Line(LogField("payload", LogTallyText(payload->files, payload->bytes)));
  if (!PlanCopy(*payload, *destination, plan, failure)) return false;
  return CheckFreeSpace(plan->makeRoot ? ParentFolder(*destination) : *destination, *destination, *payload, log,
                        failure);
}

void LogLeftovers(InstallLog* log, const std::vector<InstallFailure>& leftovers, const char* what) {
  for (const InstallFailure& leftover : leftovers)
    log->Line(LogErrorLine(leftover.path.c_str(), leftover.error,
                           std::string(what) + ": " + FailureText(leftover)));
}

}  // namespace

InstallOutcome RunInstallJob(const InstallJob& job, InstallObserver* observer, InstallLog* log) {
  QuietErrorMode quiet;
  LARGE_INTEGER start;
  QueryPerformanceCounter(&start);
  InstallLog noLog;
  if (!log) log = &noLog;
  const bool ownBlock = log->BeginBlock();
  log->Line(LogField("product", job.productName));
  log->Line(LogField("target", LogTargetText(job.kind, job.payloadFolder)));
  log->Line(LogField("source", job.source));

  JobReports reports(observer, log);
  InstallOutcome outcome;
  std::string destination;
  Payload payload;
  CopyPlan plan;
  if (!CheckJob(job, log, &destination, &payload, &plan, &outcome.failure)) {
    reports.CopyFailed(outcome.failure);
  } else {
    log->Flush();
    if (observer) observer->TotalsCounted({payload.files, payload.bytes});
    InstallTransaction transaction(destination);
    bool copied = !plan.makeRoot || transaction.MakeFolder(destination, &outcome.failure);
    copied = copied && CopyPayload(payload, plan, job.source, destination, transaction, &outcome.copied, &reports,
                                   job.stop, &outcome.failure);
    if (copied) {
      transaction.Commit(&outcome.leftovers);
      LogLeftovers(log, outcome.leftovers, "not cleaned up");
      outcome.installed = true;
    } else {
      reports.CopyFailed(outcome.failure);
      const size_t made = transaction.NewFiles(), replaced = transaction.ReplacedFiles(),
                   folders = transaction.MadeFolders();
      transaction.Rollback(&outcome.leftovers);
      log->Line(LogField("undone", FormatCount(made) + (made == 1 ? " file" : " files") + " removed, " +
                                       FormatCount(replaced) + " replaced " + (replaced == 1 ? "file" : "files") +
                                       " put back, " + FormatCount(folders) +
                                       (folders == 1 ? " folder" : " folders") + " removed"));
      LogLeftovers(log, outcome.leftovers, "not undone");
    }
  }
  log->Line(LogResultLine(outcome.installed, outcome.copied.files, outcome.copied.bytes, SecondsSince(start)));
  if (ownBlock) log->EndBlock();
  log->Flush();
  return outcome;
}
