#include "app/install/UninstallJob.h"

#include <windows.h>

#include <algorithm>

#include "app/install/AFile.h"
#include "app/install/FileTree.h"
#include "app/install/InstallLock.h"
#include "app/install/InstallLog.h"
#include "app/install/InstallLogText.h"
#include "app/install/InstallProgress.h"
#include "app/install/InstallRecovery.h"
#include "app/install/InstallUndo.h"
#include "app/install/InstallTransaction.h"
#include "app/install/PathNames.h"
#include "common/AnsiText.h"
#include "common/ContentHash.h"
#include "common/Sha256.h"

namespace {

DWORD Attributes(const std::string& path) { return GetFileAttributesW(LongPath(path).c_str()); }

bool IsLinkOrFile(DWORD attributes) {
  return !(attributes & FILE_ATTRIBUTE_DIRECTORY) || (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

// Whether the file at path still has the size and digest the record gives
// it, by the record form's digest. A file that cannot be opened to be read
// fails, naming it.
bool StillInstalled(const std::string& path, RecordForm form, const RecordedFile& file, bool* same,
                    InstallFailure* failure) {
  *same = false;
  const HANDLE handle = CreateFileW(LongPath(path).c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return Fail(failure, path, GetLastError());
  AFile in(path.c_str(), handle);
  uint64_t size = 0;
  if (!in.Size(&size)) return Fail(failure, path, in.Error());
  if (size != file.size) return true;
  std::vector<char> buffer(64u << 10);
  ContentHash xxh64;
  Sha256 sha256;
  const bool first = form == RecordForm::kXxh64;
  for (uint64_t left = size; left > 0;) {
    const uint32_t want = static_cast<uint32_t>(left < buffer.size() ? left : buffer.size());
    if (!in.ReadWhole(buffer.data(), want)) return Fail(failure, path, in.Error());
    first ? xxh64.Add(buffer.data(), want) : sha256.Add(buffer.data(), want);
    left -= want;
  }
  *same = first ? xxh64.Value() == file.hash : sha256.Finish() == file.sha256;
  return true;
}

}  // namespace

std::wstring RecordedPathKey(const std::string& path) { return CaseFolded(WideFromUtf8(path)); }

bool PlanRemovals(const InstallRecord& record, const std::set<std::wstring>& keep, uint32_t firstIndex,
                  RemovalPlan* plan, InstallFailure* failure) {
  *plan = RemovalPlan();
  LinkGuard folders(record.destination);
  uint32_t index = firstIndex;
  for (const RecordedFile& file : record.files) {
    if (keep.count(RecordedPathKey(file.path))) continue;
    const std::string path = record.destination + "\\" + file.path;
    // Behind a link the file is another folder's: not looked at.
    if (!folders.FoldersAreReal(file.path)) {
      plan->kept.push_back(file.path);
      continue;
    }
    const DWORD attributes = Attributes(path);
    if (attributes == INVALID_FILE_ATTRIBUTES) {
      const DWORD error = GetLastError();
      if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) continue;
      return Fail(failure, path, error);
    }
    bool same = false;
    if (!(attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) &&
        !StillInstalled(path, record.form, file, &same, failure))
      return false;
    if (!same) {
      plan->kept.push_back(file.path);
      continue;
    }
    plan->steps.push_back({JournalStep::kRemoveFile, index++, attributes, file.path});
    plan->bytes += file.size;
  }
  return true;
}

std::vector<std::string> RemoveEmptyFolders(const InstallRecord& record, const std::set<std::wstring>& keep,
                                            size_t* removed) {
  std::vector<bool> there(record.folders.size(), true);
  // Deepest first, so that a folder's own made folders go before it.
  std::vector<size_t> order(record.folders.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = i;
  const auto depth = [&](size_t i) { return std::count(record.folders[i].begin(), record.folders[i].end(), '\\'); };
  std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return depth(a) > depth(b); });
  for (size_t i : order) {
    const std::string& folder = record.folders[i];
    if (keep.count(RecordedPathKey(folder))) continue;
    const std::string path = record.destination + "\\" + folder;
    const DWORD attributes = Attributes(path);
    if (attributes == INVALID_FILE_ATTRIBUTES) {
      there[i] = false;
      continue;
    }
    if (IsLinkOrFile(attributes)) continue;
    if (RemoveDirectoryW(LongPath(path).c_str())) {
      there[i] = false;
      ++*removed;
    }
  }
  std::vector<std::string> left;
  for (size_t i = 0; i < record.folders.size(); ++i)
    if (there[i]) left.push_back(record.folders[i]);
  if (!keep.empty()) return left;
  // The destination and the folders above it that the install made, up
  // to the outermost, never one more.
  const std::string outermost = record.OutermostMadeFolder();
  if (outermost.empty()) return left;
  for (std::string folder = record.destination;; folder = ParentFolder(folder)) {
    const DWORD attributes = Attributes(folder);
    if (attributes != INVALID_FILE_ATTRIBUTES) {
      if (IsLinkOrFile(attributes) || !RemoveDirectoryW(LongPath(folder).c_str())) break;
      ++*removed;
    }
    if (folder == outermost || folder.size() <= outermost.size()) break;
  }
  return left;
}

RemovalOutcome RemoveInstalledFiles(const InstallRecord& record, InstallLog* log) {
  InstallLog noLog;
  if (!log) log = &noLog;
  RemovalOutcome outcome;
  InstallFailure& failure = outcome.failure;
  const std::string& root = record.destination;
  log->Line(LogField("destination", root));
  InstallLock lock;
  if (!lock.Take(root, &failure)) {
    log->Error(failure);
    return outcome;
  }
  // Looked at under the lock: no install can make it a link meanwhile,
  // which would lead the removal elsewhere.
  const DWORD attributes = Attributes(root);
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    log->Line(LogField("removed", "nothing: the install folder is gone"));
    outcome.removed = true;
    return outcome;
  }
  if (IsLinkOrFile(attributes)) {
    Fail(&failure, root, ERROR_NOT_SUPPORTED, "the install folder is now a link, a junction or a file");
    log->Error(failure);
    return outcome;
  }
  RemovalPlan plan;
  if (!RecoverInterruptedInstalls(root, log, &failure) || !PlanRemovals(record, {}, 0, &plan, &failure)) {
    log->Error(failure);
    return outcome;
  }
  outcome.kept = plan.kept;
  if (!plan.steps.empty()) {
    InstallTransaction transaction(root);
    bool done = transaction.Begin({}, plan.steps, &failure);
    for (size_t i = 0; done && i < plan.steps.size(); ++i) done = transaction.RemoveFile(plan.steps[i].index, &failure);
    if (!done || !transaction.Commit(&outcome.leftovers, &failure)) {
      log->Error(failure);
      const UndoCounts undone = transaction.Rollback(&outcome.leftovers);
      log->Line(LogField("undone", CountOf(undone.restoredFiles, "file", "files") + " put back"));
      log->Leftovers(outcome.leftovers, "not undone");
      return outcome;
    }
  }
  outcome.files = plan.steps.size();
  outcome.bytes = plan.bytes;
  for (const std::string& kept : plan.kept)
    log->Line(LogField("kept", root + "\\" + kept + " (changed since the install)"));
  RemoveEmptyFolders(record, {}, &outcome.folders);
  // Left holding only what a running program keeps of an earlier version:
  // it goes at the next start, after what it holds.
  if (HoldsOnlyScheduledStaging(root) && ScheduleRemovalAtStart(LongPath(root), &outcome.leftovers))
    log->Line(LogField("scheduled", root + ": removed at the next start, with the earlier version a program holds"));
  log->Leftovers(outcome.leftovers, "not cleaned up");
  log->Line(LogField("removed", CountOf(outcome.files, "file", "files") + ", " +
                                    CountOf(outcome.folders, "folder", "folders")));
  outcome.removed = true;
  return outcome;
}
