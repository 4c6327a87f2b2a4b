#include "app/install/Uninstall.h"

#include <windows.h>

#include <vector>

#include "app/install/FileTree.h"
#include "app/install/InstallJournal.h"
#include "app/install/InstallLock.h"
#include "app/install/InstallLog.h"
#include "app/install/InstallLogText.h"
#include "app/install/UiText.h"
#include "app/install/InstallRecovery.h"
#include "app/install/InstallTarget.h"
#include "app/install/JournalFile.h"
#include "app/install/KillPoint.h"
#include "app/install/PathNames.h"
#include "app/install/QuietErrorMode.h"
#include "resources/StringIds.h"

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
    setup.noRecord = missing;
    setup.problem = missing ? "there is no install record beside the uninstaller (" + setup.place.record + ")"
                            : "the install record " + setup.place.record + " cannot be used: " + why;
    return setup;
  }
  setup.place = RegistrationPlaceIn(folder, setup.record.product);
  for (const std::string& path : OtherRecordPaths(setup.place)) {
    InstallRecord other;
    if (!LoadInstallRecord(path, &other, &why, &missing) || other.product != setup.record.product) {
      setup.problem = "the kept install record " + path + " cannot be used: " +
                      (why.empty() ? "it is another product's" : why);
      return setup;
    }
    setup.others.push_back(other);
  }
  return setup;
}

namespace {

// Whether the records in force are still the ones setup read.
bool SameRecordNow(const UninstallSetup& setup, InstallFailure* failure) {
  const UninstallSetup now = PrepareUninstall(setup.place.folder);
  bool same = now.Known() && RecordText(now.record) == RecordText(setup.record) &&
              now.others.size() == setup.others.size();
  for (size_t i = 0; same && i < now.others.size(); ++i)
    same = RecordText(now.others[i]) == RecordText(setup.others[i]);
  const bool missing = now.noRecord;
  if (same) return true;
  *failure = MakeFailure(setup.place.record, ERROR_BUSY,
                         missing ? "the product was removed meanwhile"
                                 : "the product was installed or changed since the uninstaller read its record; "
                                   "start the uninstaller again");
  return false;
}

// Journal rule 9: the registration goes in a journal of its own, which
// a later run finishes once it has begun. Its root is the registration's
// folder, where it stages nothing.
void UnregisterJournaled(const RegistrationPlace& place, std::vector<InstallFailure>* leftovers) {
  const uint32_t process = GetCurrentProcessId();
  char staging[32];
  wsprintfA(staging, "%s%lx", kStagingPrefix, static_cast<unsigned long>(process));
  JournalFile journal;
  InstallFailure failure;
  const bool written =
      journal.Create(place.folder, staging, &failure) &&
      journal.Write(JournalHeaderLine(place.folder, process, staging) +
                        JournalPlanLine({JournalStep::kUnregister, 0, 0, place.folder}) + JournalPlanEndLine(1) +
                        JournalBeginLine(0),
                    true, &failure);
  // Without its journal the removal is taken all the same: the files it
  // told of are gone.
  if (!written) leftovers->push_back(failure);
  KillPoint("unregistering");
  Unregister(place, leftovers);
  if (written && journal.Write(JournalCommitLine(), true, &failure))
    journal.Delete(leftovers);
  else if (written)
    leftovers->push_back(failure);
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
  // What a killed install or uninstall of the product left is put right
  // first: the records may be those it left.
  if (!productLock.TakeProduct(setup.record.product, &outcome.failure) ||
      !RecoverProduct(setup.place.folder, log, &outcome.failure) || !SameRecordNow(setup, &outcome.failure)) {
    log->Error(outcome.failure);
    log->Flush();
    return outcome;
  }
  // The folders installed into before, then the last one. Each is removed
  // whole or not at all; a kept record whose folder is emptied goes at
  // once, so that a failure after it leaves a product that can be
  // uninstalled again.
  std::vector<InstallRecord> records = setup.others;
  records.push_back(setup.record);
  RemovalOutcome total;
  for (size_t i = 0; i < records.size(); ++i) {
    const RemovalOutcome one = RemoveInstalledFiles(records[i], log);
    if (!one.removed) {
      total.failure = one.failure;
      total.leftovers.insert(total.leftovers.end(), one.leftovers.begin(), one.leftovers.end());
      log->Flush();
      return total;
    }
    for (const std::string& kept : one.kept) total.kept.push_back(records[i].destination + "\\" + kept);
    total.files += one.files;
    total.folders += one.folders;
    total.bytes += one.bytes;
    total.leftovers.insert(total.leftovers.end(), one.leftovers.begin(), one.leftovers.end());
    if (i + 1 < records.size()) {
      const std::string path = OtherRecordPath(setup.place, records[i].destination);
      if (const DWORD error = DeleteFileAlways(LongPath(path)))
        if (error != ERROR_FILE_NOT_FOUND) total.leftovers.push_back(MakeFailure(path, error, "it could not be removed"));
    }
  }
  total.removed = true;
  // The entry and the records go last, and only when the files went: a
  // failed uninstall leaves the product as it was, and can be run again.
  std::vector<InstallFailure> leftovers;
  UnregisterJournaled(setup.place, &leftovers);
  log->Leftovers(leftovers, "not cleaned up");
  total.leftovers.insert(total.leftovers.end(), leftovers.begin(), leftovers.end());
  log->Flush();
  return total;
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
    return UiText(IDS_UNINSTALL_FAILED, {product}) + " " +
           (outcome.failure.path.empty() ? "" : outcome.failure.path + ": ") + FailureText(outcome.failure) + "\n\n" +
           UiText(IDS_NOTHING_REMOVED) +
           (outcome.failure.error == ERROR_SHARING_VIOLATION ? " " + UiText(IDS_UNINSTALL_IN_USE) : "");
  std::string text = UiText(IDS_UNINSTALLED, {product});
  if (!outcome.kept.empty()) {
    text += "\n\n" + UiText(IDS_UNINSTALL_KEPT);
    const size_t shown = outcome.kept.size() < 10 ? outcome.kept.size() : 10;
    for (size_t i = 0; i < shown; ++i) text += "\n" + outcome.kept[i];
    if (shown < outcome.kept.size()) text += "\n" + UiText(IDS_UNINSTALL_KEPT_MORE, {std::to_string(outcome.kept.size() - shown)});
  }
  return text;
}
