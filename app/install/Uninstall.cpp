#include "app/install/Uninstall.h"

#include <windows.h>

#include <vector>

#include "app/install/InstallLock.h"
#include "app/install/InstallLog.h"
#include "app/install/InstallLogText.h"
#include "app/install/InstallTarget.h"
#include "app/install/PathNames.h"
#include "app/install/QuietErrorMode.h"

UninstallSetup PrepareUninstall(const std::string& given) {
  UninstallSetup setup;
  std::string folder = given, program;
  if (folder.empty()) {
    if (!ModulePath(&program, &setup.problem)) return setup;
    folder = ParentFolder(program);
  }
  setup.place = RegistrationPlaceIn(folder, "");
  std::string why;
  bool missing = false;
  if (!LoadInstallRecord(setup.place.record, &setup.record, &why, &missing)) {
    setup.problem = missing ? "there is no install record beside the uninstaller (" + setup.place.record + ")"
                            : "the install record " + setup.place.record + " cannot be used: " + why;
    return setup;
  }
  setup.place = RegistrationPlaceIn(folder, setup.record.product);
  return setup;
}

namespace {

// Whether the record in force is still the one setup read.
bool SameRecordNow(const UninstallSetup& setup, InstallFailure* failure) {
  InstallRecord now;
  std::string why;
  bool missing = false;
  if (LoadInstallRecord(setup.place.record, &now, &why, &missing) && RecordText(now) == RecordText(setup.record))
    return true;
  *failure = MakeFailure(setup.place.record, ERROR_BUSY,
                         missing ? "the product was removed meanwhile"
                                 : "the product was installed or changed since the uninstaller read its record; "
                                   "start the uninstaller again");
  return false;
}

}  // namespace

RemovalOutcome RunUninstall(const UninstallSetup& setup, InstallLog* log) {
  QuietErrorMode quiet;
  InstallLog noLog;
  if (!log) log = &noLog;
  log->Line(LogField("product", setup.record.product));
  if (!setup.record.version.empty()) log->Line(LogField("version", setup.record.version));
  // Held until the record is gone. The record is read again under it: an
  // install or upgrade since it was first read (while the question was
  // asked) has another record, and removing by the old one would orphan
  // the new files.
  InstallLock productLock;
  RemovalOutcome outcome;
  if (!productLock.TakeProduct(setup.record.product, &outcome.failure) ||
      !SameRecordNow(setup, &outcome.failure)) {
    log->Error(outcome.failure);
    log->Flush();
    return outcome;
  }
  outcome = RemoveInstalledFiles(setup.record, log);
  // The entry and the record go last, and only when the files went: a
  // failed uninstall leaves the product as it was, and can be run again.
  if (outcome.removed) {
    std::vector<InstallFailure> leftovers;
    Unregister(setup.place, &leftovers);
    log->Leftovers(leftovers, "not cleaned up");
    outcome.leftovers.insert(outcome.leftovers.end(), leftovers.begin(), leftovers.end());
  }
  log->Flush();
  return outcome;
}

int RunUnattendedUninstall(const SetupOptions& options) {
  QuietErrorMode quiet;
  InstallLog log(options.logPath.c_str());
  log.BeginBlock();
  log.Line(LogField("mode", "unattended uninstall"));
  if (options.help || !options.error.empty()) {
    log.Line(LogErrorLine(nullptr, 0, (options.help ? "usage asked for" : options.error) + " (" + kSetupUsage + ")"));
    return log.EndWithStatus(kExitUsage);
  }
  const UninstallSetup setup = PrepareUninstall();
  if (!setup.Known()) {
    log.Line(LogErrorLine(nullptr, 0, setup.problem));
    return log.EndWithStatus(kExitCopyFailed);
  }
  const RemovalOutcome outcome = RunUninstall(setup, &log);
  return log.EndWithStatus(outcome.removed ? kExitInstalled : kExitCopyFailed);
}

std::string UninstallResultText(const UninstallSetup& setup, const RemovalOutcome& outcome) {
  const std::string& product = setup.record.product;
  if (!outcome.removed)
    return product + " could not be removed. " + (outcome.failure.path.empty() ? "" : outcome.failure.path + ": ") +
           FailureText(outcome.failure) + "\n\nNothing was removed." +
           (outcome.failure.error == ERROR_SHARING_VIOLATION ? " Close the program that is using it, then try again."
                                                              : "");
  std::string text = product + " was removed.";
  if (!outcome.kept.empty()) {
    text += "\n\nThese files were changed after the install, so they were kept:";
    const size_t shown = outcome.kept.size() < 10 ? outcome.kept.size() : 10;
    for (size_t i = 0; i < shown; ++i) text += "\n" + setup.record.destination + "\\" + outcome.kept[i];
    if (shown < outcome.kept.size()) text += "\nand " + std::to_string(outcome.kept.size() - shown) + " more.";
  }
  return text;
}
