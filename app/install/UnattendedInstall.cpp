#include "app/install/UnattendedInstall.h"

#include <windows.h>

#include <string>

#include "app/install/InstallJob.h"
#include "app/install/InstallLog.h"
#include "app/install/InstallLogText.h"
#include "app/install/InstallTarget.h"
#include "app/install/PathNames.h"
#include "app/install/ProductFile.h"
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
  // Held until the install knows its folder, which the log may not lie in;
  // an install that ends before that writes it as it goes.
  InstallLog log;
  log.Hold(options.logPath.c_str());
  log.BeginBlock();
  log.Line(LogField("mode", "unattended"));
  if (options.help) {
    log.Line(LogField("usage asked for", kSetupUsage));
    return Finish(log, kExitUsage);
  }
  if (!options.error.empty()) {
    log.Line(LogErrorLine(nullptr, 0, options.error + " (" + kSetupUsage + ")"));
    return Finish(log, kExitUsage);
  }

  char folder[kPathBufferSize];
  std::string why = "the install-files folder cannot be formed";
  InstallFilesFolder(folder, &why);
  char productFile[kPathBufferSize];
  if (folder[0] == '\0' || !JoinPathWithin(folder, "product.txt", productFile)) {
    log.Line(LogErrorLine(nullptr, 0, "unknown product: " + why));
    return Finish(log, kExitUnknownProduct);
  }
  Product product;
  uint32_t error = 0;
  if (!ReadProductFile(productFile, &product, &error)) {
    log.Error(productFile, error);
    log.Line(LogErrorLine(nullptr, 0, "unknown product"));
    return Finish(log, kExitUnknownProduct);
  }

  InstallTarget target;
  ResolveInstallTargetIn(folder, &target);
  const std::string refusal = ProductRefusal(product, target.kind);
  if (!refusal.empty()) {
    log.Line(LogErrorLine(productFile, 0, "unknown product: " + refusal));
    return Finish(log, kExitUnknownProduct);
  }
  const std::string location = options.location.empty() ? target.location : options.location;
  // Without a payload folder there is nothing to install: the job says so
  // and fails, whatever the location.
  if (location.empty() && target.kind != TargetNone) {
    log.Line(LogField("product", product.name));
    log.Line(LogField("target", LogTargetText(target.kind, target.payloadFolder)));
    if (!target.locationNote.empty()) log.Line(LogField("location", target.locationNote));
    log.Line(LogErrorLine(nullptr, 0, "no install location: /D= not given and the target has no default"));
    return Finish(log, kExitUsage);
  }
  if (options.location.empty() && !target.locationNote.empty()) log.Line(LogField("location", target.locationNote));

  const std::string source = std::string(folder) + "\\" + target.payloadFolder;
  InstallJob job = {product.name.c_str(), target.kind, target.payloadFolder, source.c_str(), location.c_str()};
  const InstallOutcome outcome = RunInstallJob(job, nullptr, &log);
  return Finish(log, outcome.installed ? kExitInstalled : outcome.refusedRequest ? kExitUsage : kExitCopyFailed);
}
