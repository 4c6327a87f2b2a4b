#include "app/install/InstallUndo.h"

#include <cstdlib>
#include <cwchar>
#include <set>

#include "app/install/FileTree.h"
#include "app/install/ProductRegistration.h"
#include "common/AnsiText.h"

namespace {

// Earlier versions per backup folder: Wine looks a new name up in the
// whole folder, so one folder of every backup would cost quadratic time.
constexpr uint32_t kBackupsPerFolder = 256;

// Attributes a file's owner sets, which putting it back restores.
constexpr DWORD kSettableAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                      FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

DWORD Attributes(const std::wstring& path) { return GetFileAttributesW(path.c_str()); }

void Leftover(std::vector<InstallFailure>* leftovers, const std::string& path, DWORD error, const std::string& why) {
  leftovers->push_back(MakeFailure(path, error, why));
}

// Whether the file at path holds the bytes an install placed there: read
// whole through a handle no one may write through meanwhile.
bool HoldsPlacedBytes(const std::wstring& path, const PlacedFile& placed) {
  const HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  LARGE_INTEGER size;
  bool same = GetFileSizeEx(file, &size) && uint64_t(size.QuadPart) == placed.size;
  Sha256 hash;
  std::vector<char> buffer(same ? 1 << 16 : 0);
  for (uint64_t done = 0; same && done < placed.size;) {
    DWORD got = 0;
    if (!ReadFile(file, buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr) || got == 0) {
      same = false;
      break;
    }
    hash.Add(buffer.data(), got);
    done += got;
  }
  CloseHandle(file);
  return same && hash.Finish() == placed.digest;
}

// The bytes the journal says entry index placed; null when its step never
// got that far.
const PlacedFile* PlacedBy(const Journal& journal, uint32_t index) {
  const auto found = journal.placed.find(index);
  return found == journal.placed.end() ? nullptr : &found->second;
}

bool IsNumber(const std::wstring& text) {
  if (text.empty() || text.size() > 10) return false;
  for (wchar_t c : text)
    if (c < L'0' || c > L'9') return false;
  return true;
}

bool NumberOf(const std::wstring& text, uint32_t* number) {
  if (!IsNumber(text)) return false;
  const uint64_t value = std::wcstoull(text.c_str(), nullptr, 10);
  *number = static_cast<uint32_t>(value);
  return value <= UINT32_MAX;
}

// What the staging folder holds, listed once rather than asked of each
// entry: the entries whose new contents are staged and whose earlier
// versions are kept.
struct StagingContents {
  std::set<uint32_t> staged;
  std::set<uint32_t> backups;
  DWORD error = 0;  // the staging folder, or a folder of it, could not be listed: what it holds is not known
};

bool IsGone(DWORD error) { return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND; }

StagingContents ListStaging(const std::wstring& staging) {
  StagingContents contents;
  std::vector<ListedEntry> entries;
  if (const DWORD error = ListFolder(staging, &entries)) {
    // None at all: nothing was staged or kept.
    if (!IsGone(error)) contents.error = error;
    return contents;
  }
  for (const ListedEntry& entry : entries) {
    uint32_t number = 0;
    if (entry.name.size() < 2 || !NumberOf(entry.name.substr(1), &number)) continue;
    if (entry.name[0] == L't' && !entry.IsFolder()) contents.staged.insert(number);
    if (entry.name[0] != L'b' || !entry.IsFolder() || entry.IsLink()) continue;
    std::vector<ListedEntry> kept;
    if (const DWORD error = ListFolder(staging + L"\\" + entry.name, &kept)) contents.error = error;
    for (const ListedEntry& backup : kept) {
      uint32_t index = 0;
      if (!backup.IsFolder() && NumberOf(backup.name, &index) && index / kBackupsPerFolder == number)
        contents.backups.insert(index);
    }
  }
  return contents;
}

// Puts back the earlier version of entry's file, if it is away, and the
// attributes it had: a replaced file, or a removed one.
void UndoReplace(const JournalEntry& entry, const std::string& target, bool begun, const PlacedFile* placed,
                 const std::wstring& staging, const StagingContents& contents, UndoCounts* counts,
                 std::vector<InstallFailure>* leftovers) {
  const std::wstring backup = BackupPath(staging, entry.index), place = LongPath(target);
  if (contents.backups.count(entry.index)) {
    // The install's own backup is a plain file with this one name, or,
    // before the swap, a second name of the file in place. Anything else
    // (a link, a junction, a file with names elsewhere) was not made by
    // the install, and is never moved, deleted or changed through.
    const DWORD links = PlainFileLinks(backup);
    const bool secondName = contents.staged.count(entry.index) && links == 2 && SameFile(place, backup);
    if (links != 1 && !secondName) {
      Leftover(leftovers, ShownPath(backup), ERROR_NOT_SUPPORTED,
               "it is not the earlier version of " + target + " as the install kept it, so it is left");
      return;
    }
    // With its new contents still staged, the swap never happened: the
    // earlier version is the file in place under a second name (or, where
    // the volume has no hard links, moved away from it).
    // After the swap, what is in place is put back over only while it is
    // what the install placed (or nothing): anything else is someone's.
    const bool swapped = !secondName && !contents.staged.count(entry.index) &&
                         Attributes(place) != INVALID_FILE_ATTRIBUTES;
    if (swapped && (entry.step == JournalStep::kRemoveFile || !placed || PlainFileLinks(place) != 1 ||
                    !HoldsPlacedBytes(place, *placed))) {
      Leftover(leftovers, target, ERROR_NOT_SUPPORTED,
               "it is not the file the install placed, so it stays; the earlier version is kept as " +
                   ShownPath(backup));
      return;
    }
    if (secondName) {
      if (const DWORD error = DeleteFileAlways(backup)) {
        Leftover(leftovers, ShownPath(backup), error, "a second name of " + target + " could not be removed");
        return;
      }
    } else if (!MoveFileExW(backup.c_str(), place.c_str(), MOVEFILE_REPLACE_EXISTING)) {
      Leftover(leftovers, target, GetLastError(),
               "the earlier version could not be put back; it is kept as " + ShownPath(backup));
      return;
    } else {
      ++counts->restoredFiles;
    }
  } else if (!begun) {
    return;
  }
  // Only a read-only attribute is ever taken from a file, to replace it;
  // it is given back only to a plain file of one name.
  if (!(entry.attributes & FILE_ATTRIBUTE_READONLY) || PlainFileLinks(place) != 1) return;
  const DWORD now = Attributes(place);
  const DWORD wanted = entry.attributes & kSettableAttributes;
  if (now != INVALID_FILE_ATTRIBUTES && (now & kSettableAttributes) != wanted &&
      !SetFileAttributesW(place.c_str(), (now & ~kSettableAttributes) | wanted))
    Leftover(leftovers, target, GetLastError(), "its attributes could not be put back");
}

// Removes the file entry placed, if it was placed.
void UndoNewFile(const JournalEntry& entry, const std::string& target, const PlacedFile* placed,
                 const StagingContents& contents, UndoCounts* counts, std::vector<InstallFailure>* leftovers) {
  // The rename is one step: while the staging file is there, the file in
  // place is not this install's.
  if (!placed || contents.staged.count(entry.index)) return;
  // The install placed a plain file of one name with these bytes; what
  // else is there now is someone's, and stays.
  const DWORD links = PlainFileLinks(LongPath(target));
  if (links == 0 && GetFileAttributesW(LongPath(target).c_str()) == INVALID_FILE_ATTRIBUTES) return;
  if (links != 1 || !HoldsPlacedBytes(LongPath(target), *placed)) {
    Leftover(leftovers, target, ERROR_NOT_SUPPORTED, "it is not a file the install placed, so it is left");
    return;
  }
  const DWORD error = DeleteFileAlways(LongPath(target));
  if (!error)
    ++counts->removedFiles;
  else if (!IsGone(error))
    Leftover(leftovers, target, error, "it could not be removed");
}

void UndoFolder(const std::string& target, bool begun, UndoCounts* counts, std::vector<InstallFailure>* leftovers) {
  if (!begun) return;
  // A link or junction in its place is no folder the install made.
  const DWORD attributes = GetFileAttributesW(LongPath(target).c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
    Leftover(leftovers, target, ERROR_NOT_SUPPORTED, "it is a link or a junction, not the folder the install made");
    return;
  }
  if (RemoveDirectoryW(LongPath(target).c_str()))
    ++counts->removedFolders;
  else if (const DWORD error = GetLastError(); !IsGone(error))
    Leftover(leftovers, target, error, "the folder could not be removed");
}

}  // namespace

std::wstring StagingFilePath(const std::wstring& staging, uint32_t index) {
  return staging + L"\\t" + std::to_wstring(index);
}

size_t BackupFolderNumber(uint32_t index) { return index / kBackupsPerFolder; }

std::wstring BackupFolderPath(const std::wstring& staging, uint32_t index) {
  return staging + L"\\b" + std::to_wstring(BackupFolderNumber(index));
}

std::wstring BackupPath(const std::wstring& staging, uint32_t index) {
  return BackupFolderPath(staging, index) + L"\\" + std::to_wstring(index);
}

void UndoSteps(const Journal& journal, const std::string& root, const std::wstring& staging, UndoCounts* counts,
               std::vector<InstallFailure>* leftovers) {
  UndoRegistration(journal, leftovers);
  LinkGuard guard(root);
  const StagingContents contents = ListStaging(staging);
  // What the staging folder holds decides every file step's undo: without
  // it none is taken, and each that began is told, for a later run.
  if (contents.error) {
    for (const JournalEntry& entry : journal.plan)
      if ((PlacesFile(entry.step) || KeepsEarlierVersion(entry.step)) && journal.begun.count(entry.index))
        Leftover(leftovers, root + "\\" + entry.path, contents.error,
                 "the staging folder " + ShownPath(staging) + " could not be listed, so this step was not undone");
    return;
  }
  for (auto entry = journal.plan.rbegin(); entry != journal.plan.rend(); ++entry) {
    if (IsRegistration(entry->step)) continue;
    const std::string target = root + "\\" + entry->path;
    const bool begun = journal.begun.count(entry->index) != 0;
    if (!guard.FoldersAreReal(entry->path)) {
      if (begun || KeepsEarlierVersion(entry->step))
        Leftover(leftovers, target, ERROR_NOT_SUPPORTED,
                 "a folder on its way is now a link or a junction: nothing is undone through it");
      continue;
    }
    switch (entry->step) {
      case JournalStep::kReplaceFile:
      case JournalStep::kRemoveFile:  // never staged: the earlier version only comes back
        UndoReplace(*entry, target, begun, PlacedBy(journal, entry->index), staging, contents, counts, leftovers);
        break;
      case JournalStep::kNewFile:
        UndoNewFile(*entry, target, PlacedBy(journal, entry->index), contents, counts, leftovers);
        break;
      case JournalStep::kMakeFolder: UndoFolder(target, begun, counts, leftovers); break;
      case JournalStep::kRegister:
      case JournalStep::kEntry:
      case JournalStep::kUnregister: break;  // outside the root: UndoRegistration
    }
  }
}

void FinishCommittedSteps(const Journal& journal, const std::wstring& staging, std::vector<InstallFailure>* leftovers,
                          std::vector<std::string>* scheduled) {
  FinishRegistration(journal, leftovers);
  const StagingContents contents = ListStaging(staging);
  if (contents.error)
    Leftover(leftovers, ShownPath(staging), contents.error,
             "the staging folder could not be listed: the earlier versions it keeps stay");
  for (const JournalEntry& entry : journal.plan) {
    if (!KeepsEarlierVersion(entry.step) || !contents.backups.count(entry.index)) continue;
    const std::wstring backup = BackupPath(staging, entry.index);
    const DWORD error = DeleteFileAlways(backup);
    if (!error) continue;
    // Still loaded by a program: Windows removes it when it next starts,
    // before any program can load it again.
    const bool held = error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED;
    if (held && scheduled && MoveFileExW(backup.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT)) {
      scheduled->push_back(ShownPath(backup));
      continue;
    }
    Leftover(leftovers, ShownPath(backup), error, "the earlier version of " + entry.path + " could not be removed");
  }
}

bool ScheduleRemovalAtStart(const std::wstring& path, std::vector<InstallFailure>* leftovers) {
  if (MoveFileExW(path.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT)) return true;
  Leftover(leftovers, ShownPath(path), GetLastError(), "its removal at the next start could not be scheduled");
  return false;
}

void ScheduleStagingRemoval(const std::wstring& staging, const std::string& journalPath,
                            std::vector<InstallFailure>* leftovers) {
  const auto schedule = [&](const std::wstring& path) { ScheduleRemovalAtStart(path, leftovers); };
  std::vector<ListedEntry> entries;
  ListFolder(staging, &entries);
  for (const ListedEntry& entry : entries) {
    const std::wstring path = staging + L"\\" + entry.name;
    if (entry.IsFolder() && !entry.IsLink() && !RemoveDirectoryW(path.c_str())) schedule(path);
  }
  schedule(staging);
  if (!journalPath.empty()) schedule(LongPath(journalPath));
}

bool RemoveStagingFolder(const std::wstring& staging, std::vector<InstallFailure>* leftovers) {
  std::vector<ListedEntry> entries;
  if (const DWORD error = ListFolder(staging, &entries)) {
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return true;
    Leftover(leftovers, ShownPath(staging), error, "the staging folder could not be listed");
    return false;
  }
  std::vector<std::wstring> backups, files;
  bool clean = true;
  for (const ListedEntry& entry : entries) {
    const std::wstring path = staging + L"\\" + entry.name;
    const bool numbered = entry.name.size() > 1 && IsNumber(entry.name.substr(1));
    if (numbered && entry.name[0] == L'b' && entry.IsFolder() && !entry.IsLink()) {
      backups.push_back(path);
    } else if (numbered && entry.name[0] == L't' && !entry.IsFolder()) {
      files.push_back(path);
    } else {
      Leftover(leftovers, ShownPath(path), ERROR_DIR_NOT_EMPTY, "the installer did not make it, so it is left");
      clean = false;
    }
  }
  // Only empty backup folders go: an earlier version is never deleted here.
  for (const std::wstring& folder : backups) {
    if (clean && !RemoveDirectoryW(folder.c_str())) {
      const DWORD error = GetLastError();
      Leftover(leftovers, ShownPath(folder), error, "it still holds earlier versions of files");
      clean = false;
    }
  }
  if (!clean) return false;
  for (const std::wstring& file : files)
    if (const DWORD error = DeleteFileAlways(file)) {
      Leftover(leftovers, ShownPath(file), error, "it could not be removed");
      clean = false;
    }
  if (!clean) return false;
  if (!RemoveDirectoryW(staging.c_str())) {
    const DWORD error = GetLastError();
    Leftover(leftovers, ShownPath(staging), error, "the staging folder could not be removed");
    return false;
  }
  return true;
}

void RemoveMadeFolders(const Journal& journal, UndoCounts* counts, std::vector<InstallFailure>* leftovers) {
  for (auto folder = journal.made.rbegin(); folder != journal.made.rend(); ++folder) {
    const std::wstring path = LongPath(*folder);
    const DWORD attributes = Attributes(path);
    if (attributes == INVALID_FILE_ATTRIBUTES) continue;
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY) || (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) return;
    if (RemoveDirectoryW(path.c_str())) {
      ++counts->removedFolders;
      continue;
    }
    const DWORD error = GetLastError();
    // Others put something in it since: it stays, and so do those above.
    if (error != ERROR_DIR_NOT_EMPTY)
      Leftover(leftovers, *folder, error, "the folder could not be removed");
    return;
  }
}
