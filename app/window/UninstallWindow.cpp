#include "app/window/UninstallWindow.h"

#include "app/install/InstallLog.h"
#include "app/install/InstallLogText.h"
#include "app/install/Uninstall.h"
#include "toolkit/window/ShowMessage.h"

int RunWindowUninstall(const SetupOptions& options) {
  InstallLog log(options.logPath.c_str());
  log.BeginBlock();
  log.Line(LogField("mode", "uninstall"));
  const UninstallSetup setup = PrepareUninstall();
  int status = kExitCopyFailed;
  if (!setup.Known()) {
    log.Line(LogErrorLine(nullptr, 0, setup.problem));
    ShowMessage(nullptr, ("Nothing can be removed: " + setup.problem + ".").c_str());
  } else if (!AskYesNo(nullptr, ("Remove " + setup.record.product + " and its files?").c_str())) {
    log.Line(LogField("removed", "nothing: the user said no"));
    status = kExitLeftWithoutInstalling;
  } else {
    const RemovalOutcome outcome = RunUninstall(setup, &log);
    status = outcome.removed ? kExitInstalled : kExitCopyFailed;
    ShowMessage(nullptr, UninstallResultText(setup, outcome).c_str());
  }
  return log.EndWithStatus(status);
}
