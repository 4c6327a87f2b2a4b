// The install log: a text file that each run of the installer appends a
// block to (InstallLogText.h shows one). Opened with /LOG=FILE in the window
// and in the unattended install alike. A log that cannot be opened or
// written is given up quietly: it never stops an install.
//
// Lines are held in memory and appended in batches of whole lines, one
// write each, so that installs sharing one log never cut each other's
// lines; a write that comes up short gives the log up rather than go on
// after a cut line. Each write is also made under a mutex named after the
// file's identity (volume and file index): an append to the end is not one
// step on every platform (Wine finds the end, then writes there), and two
// installs writing at one end would lose a batch. A mutex that another
// program keeps is waited for once, then written without. The log is
// UTF-8: its words English, its names and paths as they are.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "app/install/InstallFailure.h"

class InstallLog {
public:
  InstallLog() = default;
  // Opens path at once when it is not null or empty.
  explicit InstallLog(const char* path);
  InstallLog(const InstallLog&) = delete;
  InstallLog& operator=(const InstallLog&) = delete;
  // Writes what is still held and closes the file.
  ~InstallLog();

  // Opens path for appending, creating it when missing; others may read
  // and append meanwhile. False when it cannot be opened: every later call
  // then does nothing.
  bool Open(const char* path);
  bool IsOpen() const { return file != INVALID_HANDLE_VALUE; }

  // Keeps every line in memory, without opening the file, until Release:
  // for a log that may turn out to name a file where nothing may be
  // written yet (inside the install folder). A held log still held when
  // the object goes is released then.
  void Hold(const char* path);
  // The file of a held log; empty when none is held.
  const std::string& HeldPath() const { return heldPath; }
  // Opens a held log and writes what it holds.
  void Release();
  // Forgets a held log and everything it holds: nothing is written.
  void Drop();

  // Starts a block with the dated line unless one is started already;
  // true when this call started it (the caller then ends it).
  bool BeginBlock();
  void EndBlock();
  // The program's exit status as the block's last line, the block ended;
  // returns status.
  int EndWithStatus(int status);

  // One line, its control characters escaped; "\r\n" is added. Written in
  // batches, and at once by Flush, Error and EndBlock.
  void Line(const std::string& line);
  // An error line with the platform's text for code and the path concerned.
  void Error(const char* path, uint32_t code);
  // An error line for a failure: its reason, or the platform's text.
  void Error(const InstallFailure& failure);
  // An error line for each of leftovers, what they were not ("not undone",
  // "not cleaned up") first.
  void Leftovers(const std::vector<InstallFailure>& leftovers, const char* what);
  void Flush();

private:
  void Close();

  HANDLE file = INVALID_HANDLE_VALUE;  // owned
  HANDLE appending = nullptr;          // owned: the file's append mutex, or null
  std::string heldPath;               // a held log's file; empty when not held
  std::string pending;
  bool inBlock = false;
};

// The platform's text for an error code, on one line; "unknown error" when
// it has none.
// In language (a Windows language identifier) where the system has its
// texts in it, else in the system's own: English for the log, the user's
// language for the windows.
std::string SystemErrorText(uint32_t code, uint16_t language = 0x0409);

// Why a failure happened, in words: its reason, or else the platform's
// text for its code.
std::string FailureText(const InstallFailure& failure);
