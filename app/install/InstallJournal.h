// The journal of one install: what it is about to do to the install folder,
// written into its staging folder before it does it, so that a later run can
// tell exactly what a killed install did and undo it (InstallRecovery.h).
//
// The journal is text, one record a line, each line ending in its CRC-32:
//
//   qvsetup-journal 3 4242 26:C:\Plug-ins\Quorvin Tools 13:.qvsetup-1092 #1a2b3c4d
//   A 26:C:\Plug-ins\Quorvin Tools #...     a folder made before the journal was (the root, or above it)
//   F 3 7:Presets #...                      plan: entry 3 makes this folder
//   N 4 18:Presets\One.ffx #...             plan: entry 4 places a new file
//   R 5 21 10:Plugin.aex #...               plan: entry 5 replaces a file that had attributes 0x21
//   D 6 20 7:Old.aex #...                   plan: entry 6 removes a file that had attributes 0x20
//   K 7 1 75:C:\...\Kestrova Uninstall\Kestrova Lumen\install record #...
//                                           plan: entry 7 puts this file of the registration in force
//                                           (ProductRegistration.h); 1: one was there before
//   E 8 1 8:20261201 60:C:\...\Kestrova Uninstall\Kestrova Lumen #...
//                                           plan: entry 8 writes the Apps & features entry of the product
//                                           registered there; 1: one was there, installed on 20261201
//   U 1 60:C:\...\Kestrova Uninstall\Kestrova Lumen #...
//                                           plan: entry 1 removes that registration (an uninstall's journal)
//   P 4 #...                                the plan is whole: 4 entries
//   S 3 #...                                entry 3's step begins
//   S 4 1234 9f86...0a08 #...               entry 4's step begins: the file it places has these size and SHA-256
//   G 22:group-0000a1b2c3d4e5f6 60:C:\...\Kestrova Uninstall\Kestrova Lumen #...
//                                           one install of a group (an install of the product
//                                           registered there into several folders): it is
//                                           committed once the group's marker, a file of that
//                                           name beside the journals, is there
//   C #...                                  the install is committed
//
// Texts are UTF-8; a journal of the second form ("qvsetup-journal 2",
// written by earlier versions) has them in the ANSI code page and is read
// so. The header names the install's root folder, process and staging folder
// (InstallUndo.h); every other path is relative to the root, except the
// "A" folders, which are the root or folders above it, and the
// registration's folder. The plan is written whole and flushed before the
// first step; an "S" line is written before each step, and one that places
// a file says which bytes it places, so that an undo removes only those. A
// line cut short by the process's end is ignored: the step it announces
// never began.
//
// The rules every install keeps, on which recovery relies; the code names
// them where it keeps them ("journal rule 3"):
//
//   1. Nothing in the install folder changes before the whole plan is in
//      the journal and on the disk.
//   2. Each step is announced by its "S" line before it is taken: a step
//      without one never began.
//   3. No file in place is opened for writing. New contents are written
//      to a staging file and only a whole one is renamed into place; the
//      file it replaces keeps a second name (or is moved) in the staging
//      folder, and a removed file is moved there, until the commit.
//   4. The new install record and uninstaller are written and flushed
//      beside the ones in force before the commit, so that an install
//      that cannot keep its record is undone.
//   5. Everything the commit makes permanent is on the disk before the
//      commit line is written: each placed file is flushed (FileFlusher.h)
//      and the line itself is flushed. Folders and renames are the
//      volume's metadata, which the file system logs in order (NTFS; ext4
//      under Wine): the flush of the journal puts them on the disk too.
//   6. The earlier versions are deleted only once the commit line is on
//      the disk.
//   7. A later run undoes the steps of a journal without a commit line,
//      newest first, and finishes one with it (InstallRecovery.h). A
//      journal of a group counts as committed once the group's marker is
//      there: every journal of the group is on the disk with its "G" line,
//      and every file of every one flushed, before the marker is made.
//   8. The journal lies only where administrators write (AdminFolder.h),
//      never in the install folder: a journal found anywhere else, or a
//      staging folder without one, is kept and never acted on.
//   9. The record, the uninstaller and the entry are put in force by a
//      step of the install's own journal, before the commit, so that they
//      are undone or kept with the install. An uninstall's removal of them
//      is a journal of its own, which a later run finishes whether or not
//      it was committed: the files they told of are gone already.
//
// Even so, the reader trusts nothing in it: every name is checked by the
// rules the installer makes names by, every path must stay inside the
// root, and anything out of order makes the whole journal unreadable.
// Plain text work over bytes: it builds natively and is fuzzed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "app/install/PayloadRules.h"
#include "app/install/TextFields.h"
#include "common/Sha256.h"

// What one entry of the plan does.
enum class JournalStep : char {
  kMakeFolder = 'F',
  kNewFile = 'N',
  kReplaceFile = 'R',
  kRemoveFile = 'D',  // an earlier install's file that goes: moved aside until the commit, like a replaced one
  kRegister = 'K',    // a file of the product's registration (a record, the uninstaller) put in force
  kEntry = 'E',       // the product's Apps & features entry written
  kUnregister = 'U',  // the product's registration removed
};

// The steps that act outside the root, on the product's registration.
inline bool IsRegistration(JournalStep step) {
  return step == JournalStep::kRegister || step == JournalStep::kEntry || step == JournalStep::kUnregister;
}

// The steps that place a file, whose "S" line says which bytes.
inline bool PlacesFile(JournalStep step) {
  return step == JournalStep::kNewFile || step == JournalStep::kReplaceFile;
}

// The steps that keep a file's earlier version until the commit.
inline bool KeepsEarlierVersion(JournalStep step) {
  return step == JournalStep::kReplaceFile || step == JournalStep::kRemoveFile;
}

struct JournalEntry {
  JournalStep step;
  uint32_t index;        // the payload entry's index: names its staging file and backup
  uint32_t attributes;   // of the file replaced or removed, as the plan found them; for K and E, 1
                         // when there was one before; 0 otherwise
  std::string path;      // relative to the root; a full path for K, E and U
  std::string note = {}; // E: the install date of the entry it replaces ("" when none)
};

// The bytes a file step placed.
struct PlacedFile {
  uint64_t size = 0;
  Sha256Digest digest{};
};

// A journal as read back.
struct Journal {
  std::string root;                  // the install's root folder, a full path
  uint32_t processId = 0;            // of the install that wrote it
  std::string staging;               // the name of its staging folder in the root
  std::vector<std::string> made;     // "A" folders, in the order made (outermost first)
  std::vector<JournalEntry> plan;    // in index order
  bool planWhole = false;            // the "P" line was read: steps may have begun
  std::set<uint32_t> begun;          // indices of the entries whose step began
  std::map<uint32_t, PlacedFile> placed;  // of the begun entries that place a file
  bool committed = false;
  std::string group;                 // the group's name ("G"); empty for an install of its own
  std::string groupOwner;            // the registration folder of the group's product

  const JournalEntry* Entry(uint32_t index) const;
};

// Every staging folder's name begins so; the process id in hexadecimal
// follows, and "-<n>" when that name was taken.
extern const char kStagingPrefix[];
bool IsStagingName(const std::string& name);

// A group's name: "group-" and 16 lowercase hexadecimal digits.
extern const char kGroupPrefix[];
bool IsGroupName(const std::string& name);

// Longest journal read back; a larger file is refused.
constexpr size_t kMaxJournalBytes = 64u << 20;

// The lines that make a journal, each with its CRC and "\r\n".
std::string JournalHeaderLine(const std::string& root, uint32_t processId, const std::string& staging);
std::string JournalMadeLine(const std::string& folder);
std::string JournalPlanLine(const JournalEntry& entry);
std::string JournalPlanEndLine(size_t entries);
std::string JournalBeginLine(uint32_t index);
std::string JournalPlaceLine(uint32_t index, const PlacedFile& file);
std::string JournalGroupLine(const std::string& name, const std::string& owner);
std::string JournalCommitLine();

// Reads a journal's bytes. False, with *why, when they are not a journal
// this installer wrote or break its rules; a last line cut short is not
// an error (*journal then holds what came before it). A journal of the
// second form is read in the ANSI code page ansi tells of, its texts
// handed back in UTF-8.
bool ReadJournal(const uint8_t* data, size_t size, Journal* journal, std::string* why, const AnsiForm& ansi = {});

