// The files of "install files" that the installer reads before it installs
// anything ("product.txt", "bkgd.jpg", "readme.txt", "eula.txt"), and what
// a signed distribution's list says of them and of the rest of the folder.
//
// Each file is read once, whole, from a handle that lets no one write it
// meanwhile, into memory; when setup.exe's manifest slot is filled its
// bytes are hashed in that same read and checked against the list before
// anything parses, decodes or shows them, and from then on only the bytes
// in memory are used. A file that differs from the list, one the list
// names that is missing, and one the installer would read that the list
// does not name all make the distribution "changed": nothing is installed.
// Entries of "install files" that the installer never reads (a
// "desktop.ini" or "Thumbs.db" the system left, another folder) are
// ignored, and named in the log.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "app/install/DistributionManifest.h"
#include "app/install/ManifestSlot.h"

// One file of "install files" as it was read.
struct DistributionFile {
  std::string name;      // "eula.txt"
  bool read = false;     // opened and read to its end
  uint64_t size = 0;     // its whole size
  bool whole = false;    // bytes hold the whole file
  std::string bytes;     // the file, or its first part (DistributionFiles.cpp says how much is kept)
  uint32_t error = 0;    // the platform's code when it was not read; ERROR_FILE_NOT_FOUND when there is none
  Sha256Digest digest{};  // of the whole file, when it was hashed
};

// What the signature says of a distribution.
struct DistributionCoverage {
  enum class State {
    kNotCovered,  // the slot is empty: a development build, or an unsigned distribution
    kCovered,     // the list is the one signed, and every file read so far is as it lists
    kChanged,     // the list, or a file, is not as signed (changes and problem say how)
  };
  State state = State::kNotCovered;
  DistributionManifest manifest;          // the signed list, when covered
  std::vector<ManifestChange> changes;    // the files that differ from it
  std::string problem;                    // the slot or the list itself is not as signed; empty otherwise
  std::vector<std::string> ignored;       // names in "install files" the installer does not read (UTF-8)

  bool Covered() const { return state == State::kCovered; }
  bool Changed() const { return state == State::kChanged; }
  // The first thing wrong, in the words of the log and the messages.
  std::string FirstProblem() const;
  // How many files and folders the list covers.
  size_t CoveredFiles() const;
  size_t CoveredFolders() const;
};

// Reads the list the slot vouches for from installFiles: its size and
// SHA-256 must be the slot's. With an empty slot, nothing is read and the
// distribution is not covered. slotProblem: why the program's own slot
// could not be read (a program whose slot is damaged is no signed one);
// empty when it was.
DistributionCoverage CoverDistribution(const std::string& installFiles, const ManifestSlot& slot,
                                       const std::string& slotProblem);

// Reads the file name of installFiles, keeping at most keep bytes of it
// and hashing it whole when the distribution is covered, and checks it
// against the list. A covered distribution whose file is not as listed
// becomes changed.
DistributionFile ReadDistributionFile(const std::string& installFiles, const char* name, size_t keep,
                                      DistributionCoverage* coverage);

// Notes, for a covered distribution, every entry of installFiles that the
// installer never reads: any but the files above, the list and
// payloadFolder.
void NoteIgnoredEntries(const std::string& installFiles, const char* payloadFolder, DistributionCoverage* coverage);

// The failure a changed distribution ends an install with: the first
// change, at the path of the file concerned.
struct InstallFailure;
InstallFailure DistributionFailure(const std::string& installFiles, const DistributionCoverage& coverage);

// A path of the list (UTF-8) as the log and the messages show it, what is
// not well formed as U+FFFD.
std::string ShownListedPath(const std::string& path);

// The log's lines of what the signature covers: "signature: ...", a
// "changed: ..." line for each file not as signed, and an "ignored: ..."
// line for each entry of "install files" the installer passes over.
std::vector<std::string> CoverageLogLines(const DistributionCoverage& coverage);

// "signature: the distribution was changed after it was signed: ...",
// which begins what the log tells of a changed distribution.
std::string ChangedDistributionLogLine();
