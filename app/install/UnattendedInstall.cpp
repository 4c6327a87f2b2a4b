#include "app/install/UnattendedInstall.h"

#include <windows.h>

#include <string>

#include "app/install/InstallJob.h"
#include "app/install/InstallLog.h"
#include "app/install/InstallLogText.h"
#include "app/install/InstallTarget.h"
#include "app/install/PathNames.h"
#include "app/install/QuietErrorMode.h"

namespace {

int Finish(InstallLog& log, int status) {
  log.Line(LogField("exit status", std::to_string(status)));
  log.EndBlock();
  return status;
}

}  // namespace

int RunUnattendedInstall(const SetupOptions& options) {
  QuietErrorMode quiet;
  InstallLog log(options.logPath.c_str());
  log.BeginBlock();
  log.Line(LogField("mode", "unattended"));
  if (!options.error.empty()) {
    log.Line(LogErrorLine(nullptr, 0, options.error + " (" + kSetupUsage + ")"));
    return Finish(log, kExitUsage);
  }

  char folder[kPathBufferSize];
  InstallFilesFolder(folder);
  char productFile[kPathBufferSize];
  char productName[kProductLineSize];
  if (folder[0] == '\0' || !JoinPathWithin(folder, "product.txt", productFile)) {
    log.Line(LogErrorLine(nullptr, 0, "unknown product: the install-files folder cannot be formed"));
    return Finish(log, kExitUnknownProduct);
  }
  if (!ReadProductName(productFile, productName)) {
    const DWORD error = GetLastError();
    log.Error(productFile, error);
    log.Line(LogErrorLine(nullptr, 0, "unknown product"));
    return Finish(log, kExitUnknownProduct);
  }

  InstallTarget target;
  ResolveInstallTargetIn(folder, &target);
  const std::string location = options.location.empty() ? target.location : options.location;
  if (location.empty()) {
    log.Line(LogField("product", productName));
    log.Line(LogField("target", LogTargetText(target.kind, target.payloadFolder)));
    log.Line(LogErrorLine(nullptr, 0, "no install location: /D= not given and the target has no default"));
    return Finish(log, kExitUsage);
  }

  const std::string source = std::string(folder) + "\\" + target.payloadFolder;
  const InstallJob job = {productName, target.kind, target.payloadFolder, source.c_str(), location.c_str()};
  const bool installed = RunInstallJob(job, nullptr, &log);
  return Finish(log, installed ? kExitInstalled : kExitCopyFailed);
}
