#include "app/install/InstallJob.h"

#include <windows.h>

#include <string>

#include "app/install/AFile.h"
#include "app/install/InstallLog.h"
#include "app/install/InstallLogText.h"
#include "app/install/PathNames.h"
#include "app/install/QuietErrorMode.h"

namespace {

bool IsAnsiLeadByte(uint8_t byte) { return IsDBCSLeadByte(byte) != 0; }

// Passes the copy's reports to the log and to the caller's observer.
class JobReports : public CopyObserver {
public:
  JobReports(InstallObserver* observer, InstallLog* log) : observer(observer), log(log) {}

  void FileCopied(const char* source, const char* destination, uint64_t bytes) override {
    if (log) log->Line(LogCopiedLine(destination, bytes));
    if (observer) observer->FileCopied(source, destination, bytes);
  }
  void CopyFailed(const char* path, uint32_t error) override {
    if (log) log->Error(path, error);
    if (observer) observer->CopyFailed(path, error);
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

}  // namespace

bool ReadProductLine(const char* productFile, char* line) {
  line[0] = '\0';
  AFile file(productFile);
  if (file.OpenRead(0) != 0) return false;
  file.ReadLine(line, kProductLineSize - 1);
  file.Close();
  return true;
}

bool ReadProductName(const char* productFile, char* name) {
  if (!ReadProductLine(productFile, name)) return false;
  CutProductName(name, IsAnsiLeadByte);
  return true;
}

bool RunInstallJob(const InstallJob& job, InstallObserver* observer, InstallLog* log) {
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
  CopyTally copied;
  bool installed = false;
  char destination[kPathBufferSize];
  if (!InstallDestination(job.location, job.productName, job.kind, destination)) {
    std::string wanted = std::string(job.location) + "\\" + job.productName;
    if (job.kind == TargetFxPlug) wanted = job.location;
    log->Line(LogField("destination", wanted));
    reports.CopyFailed(wanted.c_str(), ERROR_FILENAME_EXCED_RANGE);
  } else {
    log->Line(LogField("destination", destination));
    CopyTally totals;
    CountCopyTree(job.source, &totals);
    log->Line(LogField("payload", LogTallyText(totals.files, totals.bytes)));
    log->Flush();
    if (observer) observer->TotalsCounted(totals);
    if (job.kind != TargetFxPlug && job.productName[0] != '\0') CreateSubfolder(job.location, job.productName);
    installed = CopyTree(destination, job.source, &copied, &reports);
  }
  log->Line(LogResultLine(installed, copied.files, copied.bytes, SecondsSince(start)));
  if (ownBlock) log->EndBlock();
  log->Flush();
  return installed;
}
