#include "app/install/InstallRecovery.h"

#include <windows.h>

#include <vector>

#include "app/install/FileTree.h"
#include "app/install/InstallJournal.h"
#include "app/install/InstallLock.h"
#include "app/install/InstallLog.h"
#include "app/install/InstallLogText.h"
#include "app/install/InstallProgress.h"
#include "app/install/StagingFolder.h"
#include "common/AnsiText.h"

namespace {

// The staging folders in root.
std::vector<ListedEntry> StagingFolders(const std::wstring& root) {
  std::vector<ListedEntry> found;
  WIN32_FIND_DATAW data;
  const HANDLE find = FindFirstFileW((root + L"\\" + WideFromAnsi(kStagingPrefix) + L"*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return found;
  do {
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) found.push_back({data.cFileName, data.dwFileAttributes, 0});
  } while (FindNextFileW(find, &data));
  FindClose(find);
  return found;
}

enum class JournalState { kRead, kInUse, kUnreadable };

// Reads a staging folder's journal, unless its install is still writing it
// (it keeps it open for writing, shared only with readers, until it ends).
JournalState ReadStagingJournal(const std::wstring& staging, Journal* journal, std::string* why) {
  const HANDLE file = CreateFileW(StagingJournalPath(staging).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    if (error == ERROR_SHARING_VIOLATION) return JournalState::kInUse;
    *why = error == ERROR_FILE_NOT_FOUND ? "it has no journal" : "its journal cannot be opened: " + SystemErrorText(error);
    return JournalState::kUnreadable;
  }
  std::vector<uint8_t> bytes;
  const bool read = ReadWholeFile(file, kMaxJournalBytes, &bytes);
  CloseHandle(file);
  if (!read) {
    *why = "its journal cannot be read";
    return JournalState::kUnreadable;
  }
  std::string problem;
  if (!ReadJournal(bytes.data(), bytes.size(), journal, &problem, IsAnsiLeadByte)) {
    *why = "its journal cannot be read: " + problem;
    return JournalState::kUnreadable;
  }
  return JournalState::kRead;
}

bool SameFolderName(const std::string& a, const std::string& b) {
  return NameKey(WideFromAnsi(a)) == NameKey(WideFromAnsi(b));
}

// Puts right what one interrupted install did. False when what it
// replaced could not all be put back.
bool Recover(const std::string& root, const std::wstring& staging, Journal journal, InstallLog* log,
             InstallFailure* failure) {
  const std::string shown = ShownPath(staging);
  // Moved or reached by another name since: its own folders above the
  // root are not this root's.
  if (!SameFolderName(journal.root, root)) journal.made.clear();
  std::vector<InstallFailure> leftovers;
  UndoCounts counts;
  if (journal.committed)
    FinishCommittedSteps(journal, staging, &leftovers);
  else
    UndoSteps(journal, root, staging, &counts, &leftovers);
  const bool removed = RemoveStagingFolder(staging, &leftovers);
  if (removed && !journal.committed) RemoveMadeFolders(journal, &counts, &leftovers);
  const std::string process = "process " + std::to_string(journal.processId);
  if (journal.committed)
    log->Line(LogField("recovered", shown + ": the install of " + process +
                                        " was interrupted after it was done; it is finished"));
  else
    log->Line(LogField("recovered", shown + ": the install of " + process + " was interrupted; undone: " +
                                        CountOf(counts.removedFiles, "file", "files") + " removed, " +
                                        CountOf(counts.restoredFiles, "replaced file", "replaced files") +
                                        " put back, " + CountOf(counts.removedFolders, "folder", "folders") +
                                        " removed"));
  log->Leftovers(leftovers, "not recovered");
  if (removed) return true;
  *failure = MakeFailure(root, leftovers.empty() ? ERROR_DIR_NOT_EMPTY : leftovers.front().error,
                         "an earlier install into this folder was interrupted, and what it did could not all be "
                         "undone: its earlier files are kept in " + shown);
  return false;
}

}  // namespace

bool RecoverInterruptedInstalls(const std::string& root, InstallLog* log, InstallFailure* failure) {
  InstallLog noLog;
  if (!log) log = &noLog;
  const std::wstring rootPath = LongPath(root);
  for (const ListedEntry& folder : StagingFolders(rootPath)) {
    const std::wstring staging = rootPath + L"\\" + folder.name;
    const std::string shown = ShownPath(staging);
    if (folder.IsLink()) {
      log->Line(LogField("kept", shown + ": it is a link or a junction, and the installer does not enter it"));
      continue;
    }
    Journal journal;
    std::string why;
    switch (ReadStagingJournal(staging, &journal, &why)) {
      case JournalState::kInUse:
        *failure = MakeFailure(root, ERROR_BUSY, kAnotherInstallation);
        return false;
      case JournalState::kUnreadable:
        log->Line(LogField("kept", shown + ": " + why + "; it may hold earlier versions of files, so it is left as it is"));
        continue;
      case JournalState::kRead:
        if (!Recover(root, staging, std::move(journal), log, failure)) return false;
        break;
    }
  }
  return true;
}
