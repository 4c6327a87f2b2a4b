#include "app/install/InstallRecovery.h"

#include <windows.h>

#include <set>
#include <vector>

#include "app/install/AdminFolder.h"
#include "app/install/FileTree.h"
#include "app/install/InstallJournal.h"
#include "app/install/InstallLock.h"
#include "app/install/InstallLog.h"
#include "app/install/InstallLogText.h"
#include "app/install/InstallProgress.h"
#include "app/install/JournalFile.h"
#include "app/install/PathNames.h"
#include "app/install/InstallUndo.h"
#include "common/AnsiText.h"

namespace {

// The staging folders in root.
std::vector<ListedEntry> StagingFolders(const std::wstring& root) {
  std::vector<ListedEntry> found;
  WIN32_FIND_DATAW data;
  const HANDLE find = FindFirstFileW((root + L"\\" + WideFromUtf8(kStagingPrefix) + L"*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return found;
  do {
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) found.push_back({data.cFileName, data.dwFileAttributes, 0});
  } while (FindNextFileW(find, &data));
  FindClose(find);
  return found;
}

// The journals in the journal folder whose names begin with prefix (a
// path), by path.
std::vector<std::string> Journals(const std::string& prefix) {
  std::vector<std::string> paths;
  const std::string folder = JournalFolder();
  std::vector<ListedEntry> entries;
  ListFolder(LongPath(folder), &entries);
  const std::wstring start = PathKey(prefix.substr(std::min(prefix.size(), folder.size() + 1)));
  for (const ListedEntry& entry : entries) {
    std::string name;
    if (entry.IsFolder() || entry.IsLink() || !Utf8FromWide(entry.name, &name) || IsGroupName(name)) continue;
    if (PathKey(name).compare(0, start.size(), start) == 0) paths.push_back(folder + "\\" + name);
  }
  return paths;
}

enum class JournalState { kRead, kInUse, kUnreadable };

// Reads a journal, unless its run is still writing it (it keeps it open
// for writing, shared only with readers, until it ends).
JournalState ReadJournalAt(const std::string& path, Journal* journal, std::string* why) {
  const HANDLE file = CreateFileW(LongPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    if (error == ERROR_SHARING_VIOLATION) return JournalState::kInUse;
    *why = "it cannot be opened: " + SystemErrorText(error);
    return JournalState::kUnreadable;
  }
  std::vector<uint8_t> bytes;
  const bool read = ReadWholeFile(file, kMaxJournalBytes, &bytes);
  CloseHandle(file);
  if (!read) {
    *why = "it cannot be read";
    return JournalState::kUnreadable;
  }
  std::string problem;
  if (!ReadJournal(bytes.data(), bytes.size(), journal, &problem, SystemAnsiForm())) {
    *why = "it cannot be read: " + problem;
    return JournalState::kUnreadable;
  }
  return JournalState::kRead;
}

// A group's marker goes once no journal names the group: every install of
// it is finished. One still written, or unreadable, keeps it.
void ForgetGroupIfDone(const std::string& group, std::vector<InstallFailure>* leftovers) {
  for (const std::string& path : Journals(JournalFolder() + "\\")) {
    Journal other;
    std::string why;
    const JournalState state = ReadJournalAt(path, &other, &why);
    if (state != JournalState::kRead || other.group == group) return;
  }
  DeleteGroupMarker(group, leftovers);
}

// Puts right what one interrupted run did, from its journal at path.
// False when what it replaced could not all be put back.
bool Recover(const std::string& path, const Journal& journal, InstallLog* log, InstallFailure* failure) {
  const std::string& root = journal.root;
  const std::wstring staging = LongPath(root + "\\" + journal.staging);
  const std::string shown = ShownPath(staging);
  const DWORD attributes = GetFileAttributesW(staging.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
    log->Line(LogField("kept", shown + ": it is a link or a junction, and the installer does not enter it"));
    *failure = MakeFailure(root, ERROR_NOT_SUPPORTED,
                           "an earlier install into this folder was interrupted, and its staging folder " + shown +
                               " is now a link or a junction");
    return false;
  }
  std::vector<InstallFailure> leftovers;
  UndoCounts counts;
  std::vector<std::string> scheduled;
  // Journal rule 7: a group's install is committed with its marker.
  const bool committed = journal.committed || (!journal.group.empty() && GroupCommitted(journal.group));
  if (committed)
    FinishCommittedSteps(journal, staging, &leftovers, &scheduled);
  else
    UndoSteps(journal, root, staging, &counts, &leftovers);
  // A finished install whose earlier versions a program still holds:
  // they go at the next start, or with a later run once nothing holds
  // them. Nothing of it stands in this run's way; the journal stays.
  if (committed && !scheduled.empty()) {
    ScheduleStagingRemoval(staging, std::string(), &leftovers);
    for (const std::string& file : scheduled)
      log->Line(LogField("scheduled", file + ": an earlier version still in use, removed at the next start"));
    log->Leftovers(leftovers, "not recovered");
    return true;
  }
  const bool removed = RemoveStagingFolder(staging, &leftovers);
  if (removed && !committed) RemoveMadeFolders(journal, &counts, &leftovers);
  const std::string process = "process " + std::to_string(journal.processId);
  if (committed)
    log->Line(LogField("recovered", shown + ": the install of " + process +
                                        " was interrupted after it was done; it is finished"));
  else
    log->Line(LogField("recovered", shown + ": the install of " + process + " was interrupted; undone: " +
                                        CountOf(counts.removedFiles, "file", "files") + " removed, " +
                                        CountOf(counts.restoredFiles, "replaced file", "replaced files") +
                                        " put back, " + CountOf(counts.removedFolders, "folder", "folders") +
                                        " removed"));
  log->Leftovers(leftovers, "not recovered");
  if (removed) {
    // The journal goes last: while anything of the run is left, a later
    // run must still be able to read what it was.
    std::vector<InstallFailure> kept;
    DeleteJournalAt(path, &kept);
    if (!journal.group.empty()) ForgetGroupIfDone(journal.group, &kept);
    log->Leftovers(kept, "not recovered");
    return true;
  }
  *failure = MakeFailure(root, leftovers.empty() ? ERROR_DIR_NOT_EMPTY : leftovers.front().error,
                         "an earlier install into this folder was interrupted, and what it did could not all be "
                         "undone: its earlier files are kept in " + shown);
  return false;
}

// Whether journal acts on the registration in folder.
bool TouchesRegistration(const Journal& journal, const std::wstring& folder) {
  for (const JournalEntry& entry : journal.plan) {
    if (!IsRegistration(entry.step)) continue;
    const std::string place = entry.step == JournalStep::kRegister ? ParentFolder(entry.path) : entry.path;
    if (PathKey(place) == folder) return true;
  }
  return false;
}

}  // namespace

bool RecoverInterruptedInstalls(const std::string& root, InstallLog* log, InstallFailure* failure) {
  InstallLog noLog;
  if (!log) log = &noLog;
  std::vector<std::wstring> recovered;  // the staging folders the journals named, by key
  for (const std::string& path : Journals(JournalPrefixOf(root))) {
    Journal journal;
    std::string why;
    switch (ReadJournalAt(path, &journal, &why)) {
      case JournalState::kInUse:
        *failure = MakeFailure(root, ERROR_BUSY, kAnotherInstallation);
        return false;
      case JournalState::kUnreadable:
        log->Line(LogField("kept", path + ": " + why + "; the staging folder it tells of is left as it is"));
        continue;
      case JournalState::kRead:
        break;
    }
    // A journal of another folder whose identity begins alike.
    if (PathKey(journal.root) != PathKey(root)) continue;
    recovered.push_back(PathKey(journal.staging));
    if (!Recover(path, journal, log, failure)) return false;
  }
  // Journal rule 8: a staging folder no journal of the installer's own
  // tells of is never acted on, whatever it holds.
  const std::wstring rootPath = LongPath(root);
  for (const ListedEntry& folder : StagingFolders(rootPath)) {
    bool known = false;
    for (const std::wstring& name : recovered) known = known || NameKey(folder.name) == name;
    const std::string shown = ShownPath(rootPath + L"\\" + folder.name);
    if (folder.IsLink())
      log->Line(LogField("kept", shown + ": it is a link or a junction, and the installer does not enter it"));
    else if (!known)
      log->Line(LogField("kept", shown + ": no journal of this installer's own tells what it holds (only "
                                         "administrators write those), so nothing in it is acted on"));
  }
  return true;
}

bool RecoverProduct(const std::string& folder, InstallLog* log, InstallFailure* failure) {
  InstallLog noLog;
  if (!log) log = &noLog;
  const std::wstring key = PathKey(folder);
  // The journals of this product's registration, and of every folder of
  // an install of it into several folders: the product is put right whole.
  std::vector<std::pair<std::string, Journal>> ours;
  for (const std::string& path : Journals(JournalFolder() + "\\")) {
    Journal journal;
    std::string why;
    // One still written is another product's: the caller holds this
    // product's lock. One unreadable is the next install into its folder's.
    if (ReadJournalAt(path, &journal, &why) != JournalState::kRead) continue;
    if (TouchesRegistration(journal, key) || (!journal.group.empty() && PathKey(journal.groupOwner) == key))
      ours.emplace_back(path, std::move(journal));
  }
  for (const auto& journal : ours) {
    InstallLock lock;
    if (!lock.Take(journal.second.root, failure) || !Recover(journal.first, journal.second, log, failure)) return false;
  }
  // Markers of groups whose journals are all gone (a run ended between its
  // last commit and the marker's removal).
  std::vector<ListedEntry> entries;
  ListFolder(LongPath(JournalFolder()), &entries);
  std::vector<InstallFailure> kept;
  for (const ListedEntry& entry : entries) {
    std::string name;
    if (!entry.IsFolder() && Utf8FromWide(entry.name, &name) && IsGroupName(name)) ForgetGroupIfDone(name, &kept);
  }
  log->Leftovers(kept, "not recovered");
  return true;
}

bool HoldsOnlyScheduledStaging(const std::string& root) {
  std::vector<ListedEntry> entries;
  if (ListFolder(LongPath(root), &entries) || entries.empty()) return false;
  std::set<std::wstring> finished;
  for (const std::string& path : Journals(JournalPrefixOf(root))) {
    Journal journal;
    std::string why;
    if (ReadJournalAt(path, &journal, &why) == JournalState::kRead && PathKey(journal.root) == PathKey(root) &&
        journal.committed)
      finished.insert(NameKey(WideFromUtf8(journal.staging)));
  }
  for (const ListedEntry& entry : entries)
    if (!entry.IsFolder() || entry.IsLink() || !finished.count(NameKey(entry.name))) return false;
  return true;
}
