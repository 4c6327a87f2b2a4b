// Removing what an install placed, as its record says (InstallRecord.h):
// by the uninstaller, and by an upgrade for the files of the earlier
// version that the new one no longer has.
//
// Exactly what was installed goes, and nothing else: a recorded file goes
// only while it is still the file the install placed (its size and content
// hash); one changed since is kept, and named; a file the record does not
// name is never looked at; a folder goes only when the install made it and
// it is empty once the files are gone. Files go through the install's
// transaction (InstallTransaction.h), all or nothing: a file in use, or
// any failure, puts back every file already moved, and the whole removal
// fails naming the file. Nothing is removed through a link or a junction.
#pragma once

#include <set>
#include <string>
#include <vector>

#include "app/install/InstallFailure.h"
#include "app/install/InstallJournal.h"
#include "app/install/InstallRecord.h"

class InstallLog;

// A path's key for comparing recorded paths as Windows compares names.
std::wstring RecordedPathKey(const std::string& path);

// The removal of a record's files, worked out before anything changes.
struct RemovalPlan {
  std::vector<JournalEntry> steps;  // kRemoveFile, indices from the first given
  std::vector<std::string> kept;    // recorded files changed since the install, relative
  uint64_t bytes = 0;               // of the files that go
};

// Plans removing the record's files from its destination, leaving those
// whose key is in keep (an upgrade's new payload). False, with failure,
// when a file cannot be read to tell whether it changed: one in use for
// writing by a program that shares it with no one.
bool PlanRemovals(const InstallRecord& record, const std::set<std::wstring>& keep, uint32_t firstIndex,
                  RemovalPlan* plan, InstallFailure* failure);

// Removes the record's folders that are empty (innermost first), those in
// keep aside; without keep, the destination and the folders above it that
// the install made too, while they are empty. Returns the recorded
// folders still there, in the record's order, and counts those removed.
std::vector<std::string> RemoveEmptyFolders(const InstallRecord& record, const std::set<std::wstring>& keep,
                                            size_t* removed);

struct RemovalOutcome {
  bool removed = false;
  InstallFailure failure;           // what failed it; nothing was removed then
  std::vector<std::string> kept;    // changed files left, relative to the destination
  size_t files = 0, folders = 0;    // removed
  uint64_t bytes = 0;
  std::vector<InstallFailure> leftovers;  // what a good removal could not clean up
};

// Removes everything the record installed, holding the destination's
// lock and putting right an install into it that was killed first. A
// destination that is gone leaves nothing to remove. Logged to log (may be
// null).
RemovalOutcome RemoveInstalledFiles(const InstallRecord& record, InstallLog* log);
