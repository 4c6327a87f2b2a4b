// Where the payload to install is, and where it goes by default. All that
// the installer reads lies in the "install files" folder beside the program
// module; the payload folder found there decides the target kind, and the
// kind decides the default location: a fixed Program Files folder, or the
// plug-in folder of an installed After Effects or Photoshop, read from the
// registry. Every path returned here is at most 259 characters.
#pragma once

#include <windows.h>

#include <cstdint>

#include "app/install/InstallPaths.h"
#include "app/install/TargetKind.h"

// One row of the target table: what a payload folder means.
struct TargetRow {
  TargetKind kind;
  const char* payloadFolder;
  const char* folderPrompt;
  char* (*defaultLocation)(char* out);  // null: no default location
};

// The row of a kind; TargetNone gives the window's defaults.
const TargetRow& TargetRowFor(TargetKind kind);

// The outcome of looking for a payload folder.
struct InstallTarget {
  TargetKind kind;
  char payloadFolder[260];
  char folderPrompt[260];
  char location[260];  // empty when not set
};

// Starts from TargetNone's row and takes every row whose payload folder
// exists in installFilesFolder, so the last one found wins. Only the rows
// found compute their default location (and so read the registry). A
// payload path that would not fit in 259 characters counts as absent; an
// empty folder finds nothing.
void ResolveInstallTargetIn(const char* installFilesFolder, InstallTarget* target);

// The same over the program's own install-files folder.
void ResolveInstallTarget(InstallTarget* target);

// The program's install-files folder: "install files" beside the program
// module, worked out once per process and kept; empty when it cannot be
// formed.
char* InstallFilesFolder(char* out);

// The path of name inside the install-files folder, or empty when that
// folder cannot be formed from the module's file name. The folder is worked
// out once per process and kept.
char* InstallFilesPath(char* out, const char* name);

// "C:\Program Files": fixed, the system's own setting is not consulted.
char* ProgramFilesFolder(char* out);

// The plug-in folders named by the newest installed version's registry key
// under HKEY_LOCAL_MACHINE, or empty. Only the first key that opens is read:
// a newer version without the value does not fall back to an older one.
char* AfterEffectsPluginFolder(char* out);
char* PhotoshopPluginFolder(char* out);

// The registry lookup behind both, over any list of keys.
char* PluginFolderFromRegistry(const char* const* keys, int keyCount, const char* valueName, char* out);
