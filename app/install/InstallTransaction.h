// Makes an install all or nothing. Every folder the install creates and
// every file it places goes through here and is noted, so that a failed
// or stopped install can be undone: what it made is removed and every file
// it replaced is put back, the very file with its bytes and times.
//
// No existing file is ever opened for writing. A file's new contents are
// written to a staging file in a hidden folder inside the install's root
// folder, and only a whole, closed-over copy is renamed into place; a
// replaced file is first given a second name (a hard link) in the staging
// folder, so that the rename swaps one whole file for another and the old
// one stays until the install is committed. A process killed at any moment
// therefore leaves every file either as it was or whole and new, and the
// earlier versions of replaced files still in the staging folder.
//
// Where the volume has no hard links, the old file is renamed into the
// staging folder first instead: the name is then empty for the moment
// between the two renames.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "app/install/InstallFailure.h"

class InstallTransaction {
public:
  // root: the full, normalised path of the folder the install writes in
  // (it may not exist yet; the install makes it first, through
  // MakeFolder).
  explicit InstallTransaction(std::string root);
  // Undoes whatever was not committed.
  ~InstallTransaction();
  InstallTransaction(const InstallTransaction&) = delete;
  InstallTransaction& operator=(const InstallTransaction&) = delete;

  // Creates one folder (its parent must exist) and notes it.
  bool MakeFolder(const std::string& path, InstallFailure* failure);

  // Opens a new staging file to write a file's contents to; the handle has
  // the access PlaceFile needs. The caller writes and keeps it open.
  bool OpenStagingFile(HANDLE* file, InstallFailure* failure);
  // Moves a staging file opened above into place as target, replacing the
  // file there when replaces is set (kept for Rollback), and closes it. On
  // failure the staging file is deleted and the target is as it was.
  bool PlaceFile(HANDLE file, const std::string& target, bool replaces, InstallFailure* failure);
  // Deletes a staging file that will not be placed, and closes it.
  void DiscardStagingFile(HANDLE file);

  // The install succeeded: the earlier versions of replaced files and the
  // staging folder go. What cannot be removed is told in leftovers.
  void Commit(std::vector<InstallFailure>* leftovers);
  // The install failed: everything noted is undone, newest first. What
  // cannot be undone is told in leftovers (the destination is then not as
  // it was, and the leftovers say where).
  void Rollback(std::vector<InstallFailure>* leftovers);

  // Files placed new, files replaced and folders made so far.
  size_t NewFiles() const;
  size_t ReplacedFiles() const;
  size_t MadeFolders() const;

private:
  enum class Kind { kFolder, kNewFile, kReplacedFile };
  struct Step {
    Kind kind;
    std::string target;   // ANSI path
    std::wstring backup;  // the replaced file's second name, for kReplacedFile
  };

  bool EnsureStaging(InstallFailure* failure);
  // The next backup name, in a bucket folder of at most kBucketSize names
  // (Wine looks a new name up in the whole folder, so one folder of every
  // backup would cost quadratic time).
  bool NextBackupName(std::wstring* name, InstallFailure* failure);
  void RemoveStaging(std::vector<InstallFailure>* leftovers);

  const std::string root;
  std::wstring staging;  // long path of the staging folder; empty until made
  std::vector<Step> steps;
  std::vector<std::wstring> buckets;
  uint32_t stagingCount = 0;
  uint32_t backupCount = 0;
  bool finished = false;
};
