// The installer's command line:
//
//   setup.exe [/S] [/LOG=FILE] [/D=FOLDER]
//   setup.exe /?
//
// /S installs without a window; /LOG=FILE appends an install log to FILE,
// with or without /S; /D=FOLDER sets the install location, which must be a
// full path (a drive and a backslash, or \\server\share); /?, /H and
// /HELP ask for the usage. Options are case-insensitive. /D= comes last and takes the rest of the command line
// as the folder, spaces included; the same option wrapped in quotes as a
// whole ("/D=C:\Some Folder") is read alike. FILE may be quoted, or the
// whole /LOG= option may be, for names with spaces. Anything else is a usage
// error. Plain text work over the raw command line, as the platform gives it
// with the program's name first.
#pragma once

#include <string>

struct SetupOptions {
  bool silent = false;   // /S
  bool help = false;     // /?, /H or /HELP
  std::string logPath;   // /LOG=, empty when not given
  std::string location;  // /D=, empty for the target's default location
  std::string error;     // what was wrong with the line; empty when it was understood
};

// Exit statuses of setup.exe.
enum SetupExit : int {
  kExitInstalled = 0,       // every file copied
  kExitCopyFailed = 1,      // the install failed and was undone (the log says where and why)
  kExitUsage = 2,           // a usage error or /?, or no location: /D= not given and no default
  kExitUnknownProduct = 3,  // no "product.txt" that can be read, or a product name that cannot be installed
  kExitLeftWithoutInstalling = 4,  // the window was left before any install ran, or its install was cancelled
  kExitNoWindow = 5,               // the window could not be made
  kExitWindowUnknownProduct = -1,  // the window's "Unknown product" end
};

// One line for a usage error.
extern const char kSetupUsage[];
// The usage with a line for each option, as /? shows it.
extern const char kSetupHelp[];

// Reads the options after the program's name (quoted or not) of a raw
// command line; a null line reads as an empty one. Parsing stops at the
// first error, which is set in the result.
SetupOptions ParseSetupCommandLine(const char* commandLine);
