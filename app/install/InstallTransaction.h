// Makes an install all or nothing, and undoable even when its process is
// killed. Every folder the install makes and every file it places goes
// through here, as the plan given to Begin says, so that a failed or
// stopped install can be undone: what it made is removed and every file it
// replaced is put back, the very file with its bytes, times and attributes.
//
// No existing file is ever opened for writing. A file's new contents are
// written to a staging file in a hidden folder inside the install's root
// folder, and only a whole, closed-over copy is renamed into place; a
// replaced file is first given a second name (a hard link) in the staging
// folder, so that the rename swaps one whole file for another and the old
// one stays until the install is committed. Where the volume has no hard
// links, the old file is moved into the staging folder first instead: the
// name is then empty for the moment between the two renames.
//
// Before any step, the whole plan is written to the install's journal
// (JournalFile.h: in a folder only administrators write to, never in the
// install folder) and flushed to disk; each step is announced there before it is
// taken, and the commit is noted before the earlier versions go. A process
// killed at any moment therefore leaves every file either as it was or
// whole and new, and a journal from which a later run undoes the install,
// or finishes its commit (InstallRecovery.h). The journal stays open for
// writing, shared only with readers, for as long as the install runs: a
// later run that can open it for writing knows its install is gone.
//
// The journal is made first; the folders made before the staging folder
// (the root, and the folders above it that a location needs) are noted in
// it at once after each is made: a process killed in that instant leaves
// one, empty.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/install/AFile.h"
#include "app/install/FileFlusher.h"
#include "app/install/InstallFailure.h"
#include "app/install/InstallJournal.h"
#include "app/install/JournalFile.h"
#include "app/install/InstallUndo.h"

// The new contents of one planned file while they are written: a file in
// the staging folder that this object owns. The transaction hands one out
// (OpenStagingFile) and takes it back (PlaceFile, DiscardStagingFile);
// nothing else ever holds its handle.
class StagedFile {
public:
  StagedFile() = default;
  StagedFile(StagedFile&&) = default;
  StagedFile& operator=(StagedFile&&) = default;

  // The file to write the contents to.
  AFile& Contents() { return *file; }
  bool IsOpen() const { return file != nullptr; }

private:
  friend class InstallTransaction;
  StagedFile(HANDLE handle, uint32_t index) : file(std::make_unique<AFile>(nullptr, handle)), index(index) {}

  std::unique_ptr<AFile> file;  // owned; it owns the handle
  uint32_t index = 0;           // the plan's entry it holds the contents of
};

class InstallTransaction {
public:
  // How a replaced file's earlier version is kept: a second name (a hard
  // link), or, on volumes that have none, the file moved aside. A volume
  // without hard links is found when the link fails; kMoveAside takes that
  // road from the start.
  enum class Backups { kHardLink, kMoveAside };

  // root: the full, normalised path of the folder the install writes in.
  explicit InstallTransaction(std::string root, Backups backups = Backups::kHardLink);
  // Undoes whatever was not committed.
  ~InstallTransaction();
  InstallTransaction(const InstallTransaction&) = delete;
  InstallTransaction& operator=(const InstallTransaction&) = delete;

  // Entries for the end of the plan that the install's caller takes
  // itself (Step): the registration's. Set before Begin.
  void PlanAlso(std::vector<JournalEntry> entries) { laterEntries = std::move(entries); }

  // Makes the journal, each folder of makeFirst that is not there, in
  // order (outermost first; the last, when there is any, is the root),
  // then the staging folder, and writes the plan: every step the install
  // will take, in index order. Nothing else is written before this.
  bool Begin(const std::vector<std::string>& makeFirst, std::vector<JournalEntry> plan, InstallFailure* failure);

  // Announces the step of a PlanAlso entry, which the caller then takes;
  // an undo undoes it with the rest (UndoSteps).
  bool Step(uint32_t index, InstallFailure* failure);

  // The planned folder of entry index.
  bool MakeFolder(uint32_t index, InstallFailure* failure);

  // Opens entry index's staging file for its new contents, with the access
  // PlaceFile needs.
  bool OpenStagingFile(uint32_t index, StagedFile* file, InstallFailure* failure);
  // Moves a staging file into its entry's place (replacing the file there
  // when the plan says so) and closes it. placed: its size and SHA-256,
  // which the journal keeps, so that an undo removes only these bytes. A
  // file it replaces that another program holds or has loaded fails it
  // before anything is done, as in use. On failure what the step did is
  // left for Rollback. replaceable: the caller has just opened the file it
  // replaces for deletion, which is not asked again.
  bool PlaceFile(StagedFile file, const PlacedFile& placed, InstallFailure* failure, bool replaceable = false);
  // Deletes a staging file that will not be placed.
  void DiscardStagingFile(StagedFile file);
  // Removes the file of entry index (a kRemoveFile entry): it is moved
  // into the staging folder, the very file, and deleted at the commit. A
  // file in use fails it, before anything is done.
  bool RemoveFile(uint32_t index, InstallFailure* failure);

  // Puts every placed file on the disk (Commit does it first anyway).
  bool FlushPlaced(InstallFailure* failure);
  // Makes this install one of a group (an install of the product
  // registered in owner into several folders): Begin writes the journal's
  // "G" line with its plan. Once the group's marker is made (JournalFile.h),
  // a later run finishes this install instead of undoing it, whether or
  // not its commit line was written. Set before Begin.
  void JoinGroup(const std::string& name, const std::string& owner) {
    group = name;
    groupOwner = owner;
  }

  // The install succeeded: once every placed file is on the disk, noted in
  // the journal, then the earlier versions of replaced files and the
  // staging folder go. False, with failure, when a file could not be put on
  // the disk or the commit cannot be noted: the transaction is then still
  // open, for Rollback. What cannot be cleaned up is told in leftovers.
  bool Commit(std::vector<InstallFailure>* leftovers, InstallFailure* failure);
  // Closes the journal and lets the install go without undoing it: a
  // group's install whose marker is made (JoinGroup) but whose own commit
  // failed, which the next run finishes.
  void LeaveForRecovery();
  // The install failed: everything done is undone, newest first. What
  // cannot be undone is told in leftovers (the destination is then not as
  // it was, and the leftovers say where; a staging folder that still holds
  // an earlier version stays, with its journal, for a later run).
  UndoCounts Rollback(std::vector<InstallFailure>* leftovers);

  // How files and the journal are put on the disk: a test's seam. Set
  // before Begin; disk must outlive the transaction.
  void SetDiskFlush(DiskFlush& seam) {
    disk = &seam;
    journalFile.SetDiskFlush(seam);
  }

  // The files this install replaced or removed while a program held them
  // (a host with its plug-in loaded): moved aside whole, the program keeps
  // using the earlier version until it restarts.
  const std::vector<std::string>& HeldAside() const { return heldAside; }
  // After Commit: the earlier versions that could not be removed because a
  // program still holds them, scheduled for removal when Windows next
  // starts.
  const std::vector<std::string>& ScheduledRemovals() const { return scheduled; }

  // The staging folder's long path; empty before Begin.
  const std::wstring& StagingFolder() const { return staging; }
  // The journal's path; empty before Begin.
  const std::string& JournalPath() const { return journalFile.Path(); }

private:
  const JournalEntry* Entry(uint32_t index) const;
  std::string FreeStagingName() const;
  bool MakeStaging(const std::string& name, InstallFailure* failure);
  bool Write(const std::string& lines, bool flush, InstallFailure* failure);
  bool Announce(uint32_t index, InstallFailure* failure, const PlacedFile* placed = nullptr, bool flush = false);
  // Ends the journal: closed, then deleted once the staging folder is gone.
  void EndJournal(bool stagingGone, std::vector<InstallFailure>* leftovers);
  // The folder entry index's earlier version is kept in.
  bool MakeBackupFolder(uint32_t index, InstallFailure* failure);

  const std::string root;
  const Backups backups;
  std::wstring staging;           // long path; empty until made
  std::vector<bool> backupFolders;  // by BackupFolderPath's number: made
  JournalFile journalFile;
  DiskFlush* disk = &PlatformDiskFlush();     // not owned
  std::unique_ptr<FileFlusher> flusher;       // the placed files' flushes, from Begin
  Journal journal;                // what the journal on disk says, kept in memory
  std::vector<JournalEntry> laterEntries;  // PlanAlso's, until Begin
  std::vector<std::string> heldAside;      // targets moved aside while held
  std::vector<std::string> scheduled;      // earlier versions removed at the next start
  bool finished = true;           // nothing to undo: before Begin, or after Commit or Rollback
  bool flushed = false;           // every placed file is on the disk
  std::string group, groupOwner;  // JoinGroup's, until Begin
};
