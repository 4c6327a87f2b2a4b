// The lines of the install log, as plain text: one run of the installer
// appends a block that starts with a dated line, names the product, the
// target, source and destination, lists every file copied with its size,
// tells the failure with the platform's own words and the path concerned,
// and ends with the result. InstallLog writes them; the wording lives here
// so it can be checked without a file.
//
//   ---- 2024-05-01 12:34:56 process 1234
//   product: Quorvin Tools
//   target: After Effects plug-in (AE Files)
//   source: C:\Setup\install files\AE Files
//   destination: C:\Plug-ins\Quorvin Tools
//   payload: 12 files, 3,456 bytes
//   copied: C:\Plug-ins\Quorvin Tools\a.aex (1,234 bytes)
//   error: C:\Plug-ins\Quorvin Tools\b.aex: Access denied. (error 5)
//   undone: 1 file removed, 0 replaced files put back, 1 folder removed
//   result: failed, 1 file, 1,234 bytes, 0.10 seconds
//
// Control characters in a name are written as "<0A>" and the like, which
// no Windows name can hold, so a line of the log is always one line.
#pragma once

#include <cstdint>
#include <string>

#include "app/install/TargetKind.h"

// Local date and time of a log block.
struct LogClock {
  int year, month, day, hour, minute, second;
};

// "---- 2024-05-01 12:34:56 process 1234": the first line of every block.
// Installs that share one log tell their lines apart by the process.
std::string LogStartLine(const LogClock& clock, uint32_t processId);

// "key: value".
std::string LogField(const char* key, const std::string& value);

// "After Effects plug-in (AE Files)".
std::string LogTargetText(TargetKind kind, const char* payloadFolder);

// "12 files, 3,456 bytes"; "1 file, 1 byte".
std::string LogTallyText(uint64_t files, uint64_t bytes);

// "copied: C:\Plug-ins\Quorvin Tools\a.aex (1,234 bytes)".
std::string LogCopiedLine(const char* destination, uint64_t bytes);
// "unchanged: C:\...\a.aex (1,234 bytes, left in place)": a file there held
// the payload file's bytes already.
std::string LogUnchangedLine(const char* destination, uint64_t bytes);

// "error: PATH: TEXT (error CODE)"; without a path, "error: TEXT (error
// CODE)"; without a code (0), no "(error ...)". For a failure, TEXT is its
// reason, or else the given platform text.
std::string LogErrorLine(const char* path, uint32_t code, const std::string& text);

// Where a copy's time went, in seconds (CopyPayload adds to them).
struct CopyTimes {
  double opening = 0;  // opening each source and the file already in its place
  double reading = 0;  // reading, comparing, hashing and writing the bytes
  double staging = 0;  // making the staged copies
  double placing = 0;  // putting them in place: the journal, the earlier version kept, the rename
};

// Where an install's time went, for the log's "timing:" line.
struct InstallTimes {
  double checks = 0;  // from the lock to the volume's room
  CopyTimes copy;
  double record = 0;  // writing the install record and the uninstaller
  double commit = 0;  // the commit, with the earlier versions removed
};

// "timing: checks 0.31 s; copy: opening files 2.21 s, reading, comparing,
// hashing and writing 1.83 s, staging 1.52 s, placing 5.87 s; record
// 0.06 s; commit 2.93 s".
std::string LogTimingLine(const InstallTimes& times);

// "result: installed, 12 files, 3,456 bytes, 0.42 seconds" or "result:
// failed, ...", the counts being what was copied.
std::string LogResultLine(bool installed, uint64_t files, uint64_t bytes, double seconds);

// line with every control character (below 32, and 127) written as "<XX>"
// in hexadecimal.
std::string LogEscaped(const std::string& line);

// A platform message made fit for one log line: line breaks and runs of
// white space become one space, and white space at either end goes.
std::string OneLineMessage(const char* text);
