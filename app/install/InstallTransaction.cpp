#include "app/install/InstallTransaction.h"

#include <algorithm>
#include <cstdio>
#include <utility>

#include "app/install/FileTree.h"
#include "app/install/KillPoint.h"
#include "common/AnsiText.h"

namespace {

// The name the kernel takes for a rename's target: "\??\C:\..." or
// "\??\UNC\server\...". Every Windows takes this form, where some take no
// other.
std::wstring KernelPath(const std::string& path) {
  return IsSharePath(path) ? L"\\??\\UNC" + WideFromUtf8(path.substr(1)) : L"\\??\\" + WideFromUtf8(path);
}

// Renames an open file (opened with DELETE access) to target.
bool RenameOpenFile(HANDLE file, const std::string& target, bool replace) {
  const std::wstring name = KernelPath(target);
  const size_t bytes = sizeof(FILE_RENAME_INFO) + name.size() * sizeof(wchar_t);
  std::vector<char> buffer(bytes, 0);
  auto* info = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
  info->ReplaceIfExists = replace;
  info->RootDirectory = nullptr;
  info->FileNameLength = static_cast<DWORD>(name.size() * sizeof(wchar_t));
  std::copy(name.begin(), name.end(), info->FileName);
  return SetFileInformationByHandle(file, FileRenameInfo, info, static_cast<DWORD>(bytes)) != 0;
}

// Whether the file at target may be replaced: a file in use by a program
// that shares it without deletion cannot be, whatever else is tried. One a
// program has loaded (a host with its plug-in) is shared for deletion but
// not for writing: a rename over it fails with "access denied", yet it can
// itself be renamed, so it is moved aside, never replaced in place;
// *renameOnly tells so. Asked before anything is done; deletable: the
// caller has just opened it for deletion, which need not be asked again.
// Returns 0 or the platform's error (a sharing violation for a file in
// use).
DWORD ReplaceableError(const std::string& target, bool deletable = false, bool* renameOnly = nullptr) {
  if (renameOnly) *renameOnly = false;
  const std::wstring path = LongPath(target);
  const DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
  if (!deletable) {
    const HANDLE probe = CreateFileW(path.c_str(), DELETE, share, nullptr, OPEN_EXISTING, 0, nullptr);
    if (probe == INVALID_HANDLE_VALUE) return GetLastError();
    CloseHandle(probe);
  }
  // Nothing is written: the open only asks. A read-only file refuses it
  // for its attribute, which says nothing of its use.
  const HANDLE writer = CreateFileW(path.c_str(), FILE_WRITE_DATA, share, nullptr, OPEN_EXISTING, 0, nullptr);
  if (writer == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    if (error != ERROR_SHARING_VIOLATION && error != ERROR_LOCK_VIOLATION) return 0;
    if (!renameOnly || error != ERROR_SHARING_VIOLATION) return error;
    *renameOnly = true;
    return 0;
  }
  CloseHandle(writer);
  return 0;
}

// A replace refused with "access denied" is most often a file in use:
// say so when that is what the file's sharing tells.
DWORD ReplaceError(DWORD error, const std::string& target) {
  if (error != ERROR_ACCESS_DENIED) return error;
  return ReplaceableError(target) == ERROR_SHARING_VIOLATION ? ERROR_SHARING_VIOLATION : error;
}

}  // namespace

InstallTransaction::InstallTransaction(std::string root, Backups backups) : root(std::move(root)), backups(backups) {}

InstallTransaction::~InstallTransaction() {
  std::vector<InstallFailure> leftovers;
  Rollback(&leftovers);
}

std::string InstallTransaction::FreeStagingName() const {
  // Named with a dot, which no payload name begins with, and with the
  // process id, so that two installs never share one.
  char name[32];
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::snprintf(name, sizeof name, "%s%lx%s", kStagingPrefix, GetCurrentProcessId(),
                  attempt ? ("-" + std::to_string(attempt)).c_str() : "");
    if (GetFileAttributesW(LongPath(root + "\\" + name).c_str()) == INVALID_FILE_ATTRIBUTES) return name;
  }
  return std::string();
}

bool InstallTransaction::Begin(const std::vector<std::string>& makeFirst, std::vector<JournalEntry> plan,
                               InstallFailure* failure) {
  journal = Journal();
  journal.root = root;
  journal.processId = GetCurrentProcessId();
  journal.staging = FreeStagingName();
  if (journal.staging.empty())
    return Fail(failure, root, ERROR_ALREADY_EXISTS, "no staging folder could be made in the install folder");
  // Journal rule 8: the journal lies where only administrators write.
  if (!journalFile.Create(root, journal.staging, failure)) return false;
  finished = false;
  if (!Write(JournalHeaderLine(root, journal.processId, journal.staging), false, failure)) return false;
  for (const std::string& folder : makeFirst) {
    if (CreateDirectoryW(LongPath(folder).c_str(), nullptr)) {
      journal.made.push_back(folder);
      if (!Write(JournalMadeLine(folder), true, failure)) return false;
      continue;
    }
    const DWORD error = GetLastError();
    // Another install made it meanwhile: it is theirs, and stays.
    if (error == ERROR_ALREADY_EXISTS && FolderExists(folder.c_str())) continue;
    return Fail(failure, folder, error);
  }
  if (!MakeStaging(journal.staging, failure)) return false;
  flusher = std::make_unique<FileFlusher>(*disk);
  // Journal rule 1: the plan is on the disk before any step.
  journal.plan = std::move(plan);
  journal.plan.insert(journal.plan.end(), laterEntries.begin(), laterEntries.end());
  std::string lines;
  for (const JournalEntry& entry : journal.plan) lines += JournalPlanLine(entry);
  lines += JournalPlanEndLine(journal.plan.size());
  if (!group.empty()) {
    if (!IsGroupName(group)) return Fail(failure, root, ERROR_INVALID_PARAMETER, "not a group's name");
    lines += JournalGroupLine(group, groupOwner);
    journal.group = group;
    journal.groupOwner = groupOwner;
  }
  if (!Write(lines, true, failure)) return false;
  journal.planWhole = true;
  return true;
}

bool InstallTransaction::MakeStaging(const std::string& name, InstallFailure* failure) {
  const std::string folder = root + "\\" + name;
  const std::wstring path = LongPath(folder);
  if (!CreateDirectoryW(path.c_str(), nullptr)) {
    const DWORD error = GetLastError();
    return Fail(failure, folder, error, "the staging folder could not be made");
  }
  staging = path;
  // Hidden, so that no one takes it for part of the install.
  if (!SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_HIDDEN)) {
    const DWORD error = GetLastError();
    return Fail(failure, folder, error, "the staging folder could not be hidden");
  }
  return true;
}

bool InstallTransaction::Write(const std::string& lines, bool flush, InstallFailure* failure) {
  return journalFile.Write(lines, flush, failure);
}

// Journal rule 2.
bool InstallTransaction::Announce(uint32_t index, InstallFailure* failure, const PlacedFile* placed, bool flush) {
  if (!Write(placed ? JournalPlaceLine(index, *placed) : JournalBeginLine(index), flush, failure)) return false;
  journal.begun.insert(index);
  if (placed) journal.placed[index] = *placed;
  return true;
}

const JournalEntry* InstallTransaction::Entry(uint32_t index) const { return journal.Entry(index); }

bool InstallTransaction::Step(uint32_t index, InstallFailure* failure) {
  const JournalEntry* entry = Entry(index);
  if (finished || !entry || !IsRegistration(entry->step))
    return Fail(failure, root, ERROR_INVALID_PARAMETER, "the step is not in the install's plan");
  // On the disk before it is taken: it acts outside the install folder.
  return Announce(index, failure, nullptr, true);
}

bool InstallTransaction::MakeFolder(uint32_t index, InstallFailure* failure) {
  const JournalEntry* entry = Entry(index);
  if (finished || !entry || entry->step != JournalStep::kMakeFolder)
    return Fail(failure, root, ERROR_INVALID_PARAMETER, "the folder is not in the install's plan");
  const std::string target = root + "\\" + entry->path;
  if (!Announce(index, failure)) return false;
  if (!CreateDirectoryW(LongPath(target).c_str(), nullptr)) return Fail(failure, target, GetLastError());
  return true;
}

bool InstallTransaction::OpenStagingFile(uint32_t index, StagedFile* file, InstallFailure* failure) {
  const JournalEntry* entry = Entry(index);
  if (finished || !entry || (entry->step != JournalStep::kNewFile && entry->step != JournalStep::kReplaceFile))
    return Fail(failure, root, ERROR_INVALID_PARAMETER, "the file is not in the install's plan");
  const std::wstring path = StagingFilePath(staging, index);
  const HANDLE handle = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE | DELETE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    return Fail(failure, ShownPath(path), error);
  }
  *file = StagedFile(handle, index);
  return true;
}

void InstallTransaction::DiscardStagingFile(StagedFile file) {
  if (!file.IsOpen()) return;
  FILE_DISPOSITION_INFO dispose = {TRUE};
  if (SetFileInformationByHandle(file.Contents().handle, FileDispositionInfo, &dispose, sizeof dispose)) return;
  // Deleted by its name once closed instead; a staging file left even so
  // keeps the staging folder, which the undo then tells.
  file.file.reset();
  DeleteFileW(StagingFilePath(staging, file.index).c_str());
}

bool InstallTransaction::PlaceFile(StagedFile file, const PlacedFile& placed, InstallFailure* failure,
                                   bool replaceable) {
  const JournalEntry* entry = Entry(file.index);
  if (finished || !file.IsOpen() || !entry ||
      (entry->step != JournalStep::kNewFile && entry->step != JournalStep::kReplaceFile))
    return Fail(failure, root, ERROR_INVALID_PARAMETER, "the file is not in the install's plan");
  const uint32_t index = file.index;
  const std::string target = root + "\\" + entry->path;
  const std::wstring place = LongPath(target);
  const bool replaces = entry->step == JournalStep::kReplaceFile;
  const auto fail = [&](const std::string& path, DWORD error) { return Fail(failure, path, error); };
  // Found before a second name is made: on a file in use even that name
  // could not be removed again.
  bool held = false;
  if (replaces)
    if (const DWORD error = ReplaceableError(target, replaceable, &held)) return fail(target, error);
  if (!Announce(index, failure, &placed)) return false;
  bool linked = false;
  if (replaces) {
    const std::wstring backup = BackupPath(staging, index);
    if (!MakeBackupFolder(index, failure)) return false;
    // A file a program has loaded is moved aside whole: the program keeps
    // it, under its new name, until it ends.
    linked = !held && backups == Backups::kHardLink && CreateHardLinkW(backup.c_str(), place.c_str(), nullptr) != 0;
    if (!linked && !MoveFileExW(place.c_str(), backup.c_str(), 0))
      return fail(target, ReplaceError(GetLastError(), target));
    if (held) heldAside.push_back(target);
    // A read-only file cannot be replaced; the attribute is the file's, so
    // its earlier version, and it comes back with it. The plan has its
    // attributes; one made read-only since fails the rename, and is told.
    const DWORD attributes = entry->attributes;
    if (linked && (attributes & FILE_ATTRIBUTE_READONLY) &&
        !SetFileAttributesW(place.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY))
      return fail(target, GetLastError());
  }
  // With the old file linked, the rename swaps the two in one step; moved
  // away, the name is free and taken anew.
  if (!RenameOpenFile(file.Contents().handle, target, linked)) return fail(target, ReplaceError(GetLastError(), target));
  // Journal rule 5: on the disk before the commit.
  flusher->Hand(std::move(file.file), target);
  return true;
}

bool InstallTransaction::RemoveFile(uint32_t index, InstallFailure* failure) {
  const JournalEntry* entry = Entry(index);
  if (finished || !entry || entry->step != JournalStep::kRemoveFile)
    return Fail(failure, root, ERROR_INVALID_PARAMETER, "the file is not in the install's plan");
  const std::string target = root + "\\" + entry->path;
  bool held = false;
  if (const DWORD error = ReplaceableError(target, false, &held)) return Fail(failure, target, error);
  if (!Announce(index, failure)) return false;
  if (!MakeBackupFolder(index, failure)) return false;
  // A rename keeps the file whole, with its times and attributes, for
  // the undo; a read-only file may be renamed, and so may one a program
  // has loaded.
  if (!MoveFileExW(LongPath(target).c_str(), BackupPath(staging, index).c_str(), 0))
    return Fail(failure, target, ReplaceError(GetLastError(), target));
  if (held) heldAside.push_back(target);
  return true;
}

bool InstallTransaction::MakeBackupFolder(uint32_t index, InstallFailure* failure) {
  // Each folder is made once: the next files' backups know it is there.
  const size_t number = BackupFolderNumber(index);
  if (number < backupFolders.size() && backupFolders[number]) return true;
  const std::wstring folder = BackupFolderPath(staging, index);
  if (!CreateDirectoryW(folder.c_str(), nullptr)) {
    const DWORD error = GetLastError();
    if (error != ERROR_ALREADY_EXISTS) return Fail(failure, ShownPath(folder), error);
  }
  if (number >= backupFolders.size()) backupFolders.resize(number + 1);
  backupFolders[number] = true;
  return true;
}

void InstallTransaction::EndJournal(bool stagingGone, std::vector<InstallFailure>* leftovers) {
  journalFile.Close();
  // Kept while the staging folder is: a later run reads what it holds.
  if (stagingGone) journalFile.Delete(leftovers);
}

bool InstallTransaction::FlushPlaced(InstallFailure* failure) {
  if (finished) return Fail(failure, root, ERROR_INVALID_PARAMETER, "the install is not open");
  if (flushed) return true;
  // Journal rule 5: every placed file on the disk.
  if (flusher && !flusher->Finish(failure)) return false;
  flushed = true;
  return true;
}

bool InstallTransaction::Commit(std::vector<InstallFailure>* leftovers, InstallFailure* failure) {
  if (finished) return true;
  // Journal rules 5 and 6: every placed file on the disk, then the commit
  // line; once that is on the disk, a later run finishes the install
  // instead of undoing it, and the earlier versions may go.
  if (!FlushPlaced(failure)) return false;
  if (!Write(JournalCommitLine(), true, failure)) return false;
  journal.committed = true;
  KillPoint("committed");
  finished = true;
  journalFile.Close();
  FinishCommittedSteps(journal, staging, leftovers, &scheduled);
  // Earlier versions a program still holds go when Windows next starts,
  // and their folders with them; the journal stays, so that a run before
  // then removes them once nothing holds them.
  if (!scheduled.empty()) {
    ScheduleStagingRemoval(staging, journalFile.Path(), leftovers);
    return true;
  }
  EndJournal(RemoveStagingFolder(staging, leftovers), leftovers);
  return true;
}

void InstallTransaction::LeaveForRecovery() {
  if (finished) return;
  finished = true;
  if (flusher) flusher->Abandon();
  journalFile.Close();
}

UndoCounts InstallTransaction::Rollback(std::vector<InstallFailure>* leftovers) {
  UndoCounts counts;
  if (finished) return counts;
  finished = true;
  // The placed files' handles close unflushed: they are about to go.
  if (flusher) flusher->Abandon();
  journalFile.Close();
  // Files first, so that the staging folder, which holds the earlier
  // versions until they are back, and then the folders are empty when
  // they go.
  if (!staging.empty()) {
    UndoSteps(journal, root, staging, &counts, leftovers);
    if (!RemoveStagingFolder(staging, leftovers)) return EndJournal(false, leftovers), counts;
  }
  RemoveMadeFolders(journal, &counts, leftovers);
  EndJournal(true, leftovers);
  return counts;
}
