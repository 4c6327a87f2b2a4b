#include "app/install/UnattendedInstall.h"

#include <windows.h>

#include <string>

#include "app/install/InstallJob.h"
#include "app/install/InstallLog.h"
#include "app/install/InstallLogText.h"
#include "app/install/InstallSetup.h"
#include "app/install/QuietErrorMode.h"

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
    return log.EndWithStatus(kExitUsage);
  }
  if (!options.error.empty()) {
    log.Line(LogErrorLine(nullptr, 0, options.error + " (" + kSetupUsage + ")"));
    return log.EndWithStatus(kExitUsage);
  }

  const InstallSetup setup = PrepareInstall(options, SetupMode::kUnattended);
  // Nothing of a changed distribution is read further, its product name
  // included.
  if (setup.DistributionChanged()) {
    for (const std::string& line : CoverageLogLines(setup.coverage)) log.Line(line);
    const InstallFailure failure = DistributionFailure(setup.installFiles, setup.coverage);
    log.Line(LogErrorLine(failure.path.c_str(), failure.error, failure.reason));
    return log.EndWithStatus(kExitDistributionChanged);
  }
  if (!setup.KnownProduct()) {
    log.Line(UnknownProductLine(setup));
    return log.EndWithStatus(kExitUnknownProduct);
  }
  const InstallTarget& target = setup.target;
  // Without a payload folder there is nothing to install: the job says so
  // and fails, whatever the location.
  if (setup.location.empty() && target.kind != TargetNone) {
    log.Line(LogField("product", setup.product.name));
    log.Line(LogField("target", LogTargetText(target.kind, target.payloadFolder)));
    if (!target.host.chosen.empty()) log.Line(LogField("host", target.host.chosen));
    if (!target.host.seen.empty()) log.Line(LogField("hosts seen", target.host.seen));
    if (!target.locationNote.empty()) log.Line(LogField("location", target.locationNote));
    log.Line(LogErrorLine(nullptr, 0, "no install location: /D= not given and the target has no default"));
    return log.EndWithStatus(kExitUsage);
  }
  if (!setup.locationGiven && !target.locationNote.empty()) log.Line(LogField("location", target.locationNote));

  const InstallOutcome outcome =
      RunInstallJob(setup.JobInto(setup.location.c_str(), &setup.moreLocations), nullptr, &log);
  return log.EndWithStatus(outcome.RestartNeeded()       ? kExitInstalledRestartHost
                           : outcome.installed           ? kExitInstalled
                           : outcome.distributionChanged ? kExitDistributionChanged
                           : outcome.refusedDowngrade    ? kExitDowngradeRefused
                           : outcome.refusedRequest      ? kExitUsage
                                                         : kExitCopyFailed);
}
