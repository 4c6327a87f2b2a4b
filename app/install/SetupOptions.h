// The installer's command line:
//
//   setup.exe [/S] [/LOG=FILE] [/D=FOLDER]
//
// /S installs without a window; /LOG=FILE appends an install log to FILE,
// with or without /S; /D=FOLDER sets the install location. Options are
// case-insensitive. /D= comes last and takes the rest of the command line
// as the folder, spaces included; the same option wrapped in quotes as a
// whole ("/D=C:\Some Folder") is read alike. FILE may be quoted, or the
// whole /LOG= option may be, for names with spaces. Anything else is a usage
// error. Plain text work over the raw command line, as the platform gives it
// with the program's name first.
#pragma once

#include <string>

struct SetupOptions {
  bool silent = false;   // /S
  std::string logPath;   // /LOG=, empty when not given
  std::string location;  // /D=, empty for the target's default location
  std::string error;     // what was wrong with the line; empty when it was understood
};

// One line for a usage error.
extern const char kSetupUsage[];

// Reads the options after the program's name (quoted or not) of a raw
// command line; a null line reads as an empty one. Parsing stops at the
// first error, which is set in the result.
SetupOptions ParseSetupCommandLine(const char* commandLine);
