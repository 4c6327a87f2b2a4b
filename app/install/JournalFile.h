// Where the journals of installs and uninstalls lie (journal rule 8), and
// the one writer of one: the file is made anew in the journal folder
// (AdminFolder.h), kept open for writing, shared only with readers, for as
// long as its run goes on (so that a later run that can open it for
// writing knows its run is gone), and deleted when the run is done.
//
//   <journal folder>\<16 hex digits: the root's identity>.qvsetup-<pid>
//
// The name begins with the root's identity, so that a run finds the
// journals of its own folder without reading the others.
#pragma once

#include <string>
#include <vector>

#include "app/install/AFile.h"
#include "app/install/FileFlusher.h"
#include "app/install/InstallFailure.h"

// The journal of the run whose staging folder in root is staging (a name).
std::string JournalPathOf(const std::string& root, const std::string& staging);
// What every journal of root's begins with, in the journal folder.
std::string JournalPrefixOf(const std::string& root);

// Deletes the journal at path, which no run has open, and the journal
// folder and the admin folder with it when they are left empty; a failure
// goes to leftovers. True when it is gone.
bool DeleteJournalAt(const std::string& path, std::vector<InstallFailure>* leftovers);

// The marker of a group of installs (one install into several folders,
// each with its journal): a file named after the group beside the
// journals, made once every journal of the group has its "G" line and
// every file is on the disk. While it is there, each of the group's
// journals counts as committed (journal rule 7).
//
//   <journal folder>\group-<16 hex digits>
//
// A new group's name, unlike any other's.
std::string NewGroupName();
std::string GroupMarkerPath(const std::string& name);
// Makes the marker and puts it on the disk; one there already fails it.
bool MakeGroupMarker(const std::string& name, DiskFlush& disk, InstallFailure* failure);
// Whether the group's marker is there: a plain file of the installer's.
bool GroupCommitted(const std::string& name);
// Deletes the marker (a failure goes to leftovers), and the journal folder
// and admin folder when they are left empty.
void DeleteGroupMarker(const std::string& name, std::vector<InstallFailure>* leftovers);

class JournalFile {
public:
  JournalFile() = default;
  ~JournalFile() { Close(); }
  JournalFile(const JournalFile&) = delete;
  JournalFile& operator=(const JournalFile&) = delete;

  // Makes the journal of root's run with staging folder staging; one there
  // already fails it (ERROR_FILE_EXISTS).
  bool Create(const std::string& root, const std::string& staging, InstallFailure* failure);
  // Appends lines; flushed to the disk when flush.
  bool Write(const std::string& lines, bool flush, InstallFailure* failure);
  // Lets it go: from here on a later run may read it and act.
  void Close();
  // Deletes it, closed; a failure goes to leftovers. True when it is gone.
  bool Delete(std::vector<InstallFailure>* leftovers);

  bool IsOpen() const { return file.handle != INVALID_HANDLE_VALUE && file.handle != nullptr; }
  const std::string& Path() const { return path; }
  // How it is put on the disk: a test's seam; disk must outlive it.
  void SetDiskFlush(DiskFlush& seam) { disk = &seam; }

private:
  std::string path;  // empty until made
  AFile file;
  DiskFlush* disk = &PlatformDiskFlush();  // not owned
};
