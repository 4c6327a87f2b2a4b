// The install-files folder and the registry-value rule as plain text
// arithmetic over path buffers. Nothing here calls the platform, so it
// builds natively too and runs under the sanitizers; InstallTarget asks the
// platform for the module name and the registry values and hands them here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "app/install/PathNames.h"
#include "app/install/PayloadRules.h"

// The install-files folder of a module: the module's folder + "\install
// files". A plug-in whose own file is an ".aex" (any case) finds it beside
// itself as the program does; an ".aex" anywhere else in the path is an
// ordinary part of a folder's name and cuts nothing. False when the name
// passes 259 characters (it is refused, never cut), has no backslash after
// its first character, when the folder and a name of nameLength characters
// would not fit in 260 bytes, or when the install-files folder itself
// would pass 259 characters.
bool InstallFilesFolderOf(const char* moduleName, size_t nameLength, char* folder);

// The install-files folder, worked out from the first module name that
// gives one and kept: later calls give that folder, whatever module they
// name. The installer keeps one for the process (InstallTarget.h).
class InstallFilesCache {
public:
  // The folder into out (260 bytes). False, with out empty, when it cannot
  // be formed.
  bool Folder(const char* moduleName, char* out);
  // The path of name inside the folder. Empty when the folder cannot be
  // formed (the cache then stays empty) or the path would pass 259
  // characters.
  char* Path(const char* moduleName, char* out, const char* name);
  bool Known() const { return filled; }

private:
  char folder[kPathBufferSize] = {};
  bool filled = false;
};

// Turns the text of a registry value (its bytes, whether or not they end in
// a zero) into a plug-in folder: cut at the first zero, one trailing
// backslash removed. False, with out empty and *why saying so, when the
// folder is empty, longer than 259 characters or not a location to install
// into (LocationProblem): the value is then taken as absent.
bool PluginFolderFromText(const std::string& value, char* out, std::string* why,
                          LeadBytePredicate isLeadByte = nullptr);
