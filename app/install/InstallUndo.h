// Undoing and finishing an install: the one way anything an install did is
// undone or finished, by a failed install itself and by a later run that
// finds the journal of an install that was killed (InstallRecovery.h), and
// the hidden staging folder an install keeps in its root folder while it
// runs, which the undo works with. Both work from the install's
// journal (InstallJournal.h) against what the disk holds, so undoing twice
// does no harm and a half-done undo can be taken up again.
//
// Layout, for an install whose root is R (its journal lies elsewhere,
// JournalFile.h):
//
//   R\.qvsetup-<pid>\t<i>       entry i's new contents, until renamed into place
//   R\.qvsetup-<pid>\b<k>\<i>   the earlier version of the file entry i replaces or removes (k = i / 256)
//
// A replaced file's earlier version is the very file (a second name, a hard
// link, or the file moved there where the volume has no hard links), so
// putting it back keeps its bytes, times and attributes. Undoing never
// deletes an earlier version: the folder stays for as long as one is in it.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "app/install/InstallFailure.h"
#include "app/install/InstallJournal.h"

std::wstring StagingFilePath(const std::wstring& staging, uint32_t index);
std::wstring BackupFolderPath(const std::wstring& staging, uint32_t index);
// k of the folder "b<k>" that entry index's earlier version goes in.
size_t BackupFolderNumber(uint32_t index);
std::wstring BackupPath(const std::wstring& staging, uint32_t index);

// What an undo did.
struct UndoCounts {
  size_t removedFiles = 0;
  size_t restoredFiles = 0;
  size_t removedFolders = 0;
};

// Undoes what the journal's steps did, newest first: the registration is
// put back as it was (ProductRegistration.h), files the install placed are
// removed while they hold the bytes it placed, files it replaced are put
// back (with the attributes they had) over only those, files it removed
// come back, folders it made inside root are removed while empty. Nothing
// is done through a link, a junction or a file of more than one name.
// What cannot be undone goes to leftovers.
void UndoSteps(const Journal& journal, const std::string& root, const std::wstring& staging, UndoCounts* counts,
               std::vector<InstallFailure>* leftovers);

// Finishes a committed install: the earlier versions of the files it
// replaced or removed, and of its registration, are deleted. One that a
// program still holds (a host with the earlier plug-in loaded) is
// scheduled for removal when Windows next starts, and named in scheduled,
// when given; without it, or when that cannot be scheduled, it is a
// leftover.
void FinishCommittedSteps(const Journal& journal, const std::wstring& staging, std::vector<InstallFailure>* leftovers,
                          std::vector<std::string>* scheduled = nullptr);

// Schedules path (a file, or a folder empty by then) for removal when
// Windows next starts; false, with a leftover, when it cannot be.
bool ScheduleRemovalAtStart(const std::wstring& path, std::vector<InstallFailure>* leftovers);

// After FinishCommittedSteps scheduled removals: the staging folder's
// empty backup folders go now, and the others, the staging folder and the
// journal at journalPath are scheduled for removal at the next start,
// after the files they hold. What cannot be scheduled goes to leftovers.
void ScheduleStagingRemoval(const std::wstring& staging, const std::string& journalPath,
                            std::vector<InstallFailure>* leftovers);

// Removes the staging folder: its staging files and its empty backup
// folders. A folder that still holds
// an earlier version, or anything the installer does not make, stays, and
// leftovers says why. True when it is gone.
bool RemoveStagingFolder(const std::wstring& staging, std::vector<InstallFailure>* leftovers);

// Removes the folders the journal says were made at or above the root,
// innermost first, while they are empty; one that holds what others put
// there since is kept. Counted in counts.
void RemoveMadeFolders(const Journal& journal, UndoCounts* counts, std::vector<InstallFailure>* leftovers);
