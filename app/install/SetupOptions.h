// The installer's command line:
//
//   setup.exe [/S] [/LOG=FILE] [/ALLOWDOWNGRADE] [/HOSTS=newest|all] [/LANG=TAG] [/D=FOLDER]
//   uninstall.exe /UNINSTALL [/S] [/LOG=FILE] [/LANG=TAG]
//   setup.exe /?
//
// /S installs without a window; /LOG=FILE appends an install log to FILE,
// with or without /S; /ALLOWDOWNGRADE lets a lower version of the product
// go over a higher one; /UNINSTALL makes the program the uninstaller of
// the install record beside it, which takes neither /D= nor
// /ALLOWDOWNGRADE; /HOSTS=all installs a plug-in into every version of its
// host found (newest, the default: the newest only), and takes no /D=,
// which names one folder; /LANG=TAG chooses the language (Languages.h) over
// the user's own; /D=FOLDER sets the install location, which must be a
// full path (a drive and a backslash, or \\server\share) that Windows takes
// for that folder and nothing else (LocationProblem); /?, /H and
// /HELP ask for the usage. Options are case-insensitive. /D= comes last and
// takes the rest of the command line as the folder, spaces included; the
// same option wrapped in quotes as a whole ("/D=C:\Some Folder") is read
// alike. FILE may be quoted, or the whole /LOG= option may be, for names
// with spaces. Anything else is a usage error. Plain text work over the raw
// command line with the program's name first, in UTF-8 as
// ReadSetupCommandLine (SetupCommandLine.h) gives it.
#pragma once

#include <string>

struct SetupOptions {
  bool silent = false;   // /S
  bool help = false;     // /?, /H or /HELP
  bool uninstall = false;       // /UNINSTALL
  bool allowDowngrade = false;  // /ALLOWDOWNGRADE
  bool allHosts = false;        // /HOSTS=all (/HOSTS=newest, the default, leaves it false)
  std::string language;         // /LANG='s language, its tag as the table writes it; empty when not given
  std::string logPath;   // /LOG=, empty when not given
  std::string location;  // /D=, empty for the target's default location
  std::string error;     // what was wrong with the line; empty when it was understood
};

// Exit statuses of setup.exe.
enum SetupExit : int {
  kExitInstalled = 0,       // every file copied; for the uninstaller, every installed file removed
  kExitCopyFailed = 1,      // the install (or removal) failed and was undone (the log says where and why)
  kExitUsage = 2,           // a usage error or /?, no location (/D= not given and no default), or a location
                            // or log the install refuses (a device, ".." out of a missing folder, a log inside it)
  kExitUnknownProduct = 3,  // no "product.txt" that can be read, or a product name that cannot be installed
  kExitLeftWithoutInstalling = 4,  // the window was left before any install ran, or its install was cancelled
  kExitNoWindow = 5,               // the window could not be made
  kExitDowngradeRefused = 6,       // a lower version over a higher one, without /ALLOWDOWNGRADE
  kExitDistributionChanged = 7,    // a file of a signed distribution was changed, removed or added after
                                   // signing: nothing installed (download the distribution again)
  kExitInstalledRestartHost = 8,   // installed, but a running program (a host with the plug-in loaded) keeps
                                   // the earlier version until it restarts: deployment tools' "soft reboot"
  kExitWindowUnknownProduct = -1,  // the window's "Unknown product" end
};

// One line for a usage error.
extern const char kSetupUsage[];
// The usage with a line for each option, as /? shows it, the languages
// listed.
std::string SetupHelp();

// Stands in the command line for a UTF-16 unit that no UTF-8 holds, a
// surrogate without its other half (ReadSetupCommandLine puts it there):
// an option that holds one is a usage error, and messages show it as '?'.
// A control character, which no file or folder name holds.
constexpr char kUnconvertibleCharacter = '\x1A';

// Reads the options after the program's name (quoted or not) of a raw
// command line; a null line reads as an empty one. A usage error does not
// end the reading: every /S, /? and /LOG= counts wherever it stands, so
// that the error is logged where the command line asked. The first error
// is the one set in the result.
SetupOptions ParseSetupCommandLine(const char* commandLine);
