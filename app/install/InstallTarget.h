// Where the payload to install is, and where it goes by default. All that
// the installer reads lies in the "install files" folder beside the program
// module; the payload folder found there decides the target kind, and the
// kind decides the default location: a fixed Program Files folder, or the
// plug-in folder of an installed After Effects or Photoshop, read from the
// registry. Every path returned here is at most 259 characters.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "app/install/FileTree.h"

#include "app/install/InstallPaths.h"
#include "app/install/TargetKind.h"

// Which version of a host a plug-in folder was taken from, and every
// version seen, for the log and the window.
struct HostReport {
  std::string chosen;  // "After Effects 24.0 (64-bit)": the newest version found; empty when none
  std::string seen;    // every version found, newest first: "After Effects: 24.0 (64-bit), 9.0 (32-bit)";
                       // "...: none"; of several hosts, each in turn after "; "; empty when not looked for
  std::string key;     // the registry key the chosen version's folder was read from, with its view
};

// One row of the target table: what a payload folder means.
struct TargetRow {
  TargetKind kind;
  const char* payloadFolder;
  const char* folderPrompt;
  // The default location into out, or empty with *why saying why there is
  // none; null: the kind has no default location.
  char* (*defaultLocation)(char* out, std::string* why, HostReport* host);
};

// The kinds a payload folder can give, in the order they are looked for:
// the last one found wins.
constexpr TargetKind kPayloadKinds[] = {TargetApplication, TargetAfterEffects, TargetFxPlug, TargetPhotoshop,
                                        TargetMediaCore};

// The row of a kind; TargetNone gives the window's defaults.
const TargetRow& TargetRowFor(TargetKind kind);

// The outcome of looking for a payload folder.
struct InstallTarget {
  TargetKind kind;
  char payloadFolder[kPathBufferSize];
  char folderPrompt[kPathBufferSize];
  char location[kPathBufferSize];  // empty when not set
  std::string locationNote;  // why a kind that reads its location from the registry has none
  HostReport host;           // the host version the location was read from, for the plug-in kinds
};

// Starts from TargetNone's row and takes every row whose payload folder
// exists in installFilesFolder, so the last one found wins. Only the rows
// found compute their default location (and so read the registry). A
// payload path that would not fit in 259 characters counts as absent.
void ResolveInstallTargetIn(const char* installFilesFolder, InstallTarget* target);


// The program's install-files folder: "install files" beside the program
// module, worked out once per process and kept; empty, with *why saying
// why when given, when it cannot be formed. The module's path is read wide,
// taken as it is (never through a code page's look-alikes) and must fit in
// 259 UTF-16 units: a look-alike of it, or a path cut to fit, would lead
// to another distribution's folder.
char* InstallFilesFolder(char* out, std::string* why = nullptr);

// The path of name inside the install-files folder, or empty (with *why
// saying why when given) when that folder cannot be formed from the
// module's path or the path would pass 259 characters. The folder is
// worked out once per process and kept.
char* InstallFilesPath(char* out, const char* name, std::string* why = nullptr);

// "C:\Program Files": fixed, the system's own setting is not consulted.
// A 32-bit installer on 64-bit Windows writes there too: the platform
// redirects only its system folder.
char* ProgramFilesFolder(char* out, std::string* why = nullptr, HostReport* host = nullptr);

// The plug-in folders of the newest installed version of After Effects
// ("PluginInstallPath") and of Photoshop ("PluginPath"), or empty. Every
// version key under the host's key (SOFTWARE\Adobe\After Effects,
// SOFTWARE\Adobe\Photoshop) is looked at, in the 64-bit view of the
// registry and in the 32-bit one (on 32-bit Windows, in its one view), and
// the newest by number is the only one read: a newer version without its
// value gives no folder, and never falls back to an older one. Of one
// version in both views, the 64-bit one is newer.
char* AfterEffectsPluginFolder(char* out, std::string* why = nullptr, HostReport* host = nullptr);
char* PhotoshopPluginFolder(char* out, std::string* why = nullptr, HostReport* host = nullptr);

// The MediaCore folder ("CommonPluginInstallPath"), shared by After
// Effects, Premiere Pro and the hosts that load plug-ins from it: the
// version keys of After Effects and of Premiere Pro are taken together,
// and the newest of them all is the only one read, as above.
char* MediaCorePluginFolder(char* out, std::string* why = nullptr, HostReport* host = nullptr);

// The lookup behind these, for any host key under HKEY_LOCAL_MACHINE; at
// most kMostVersionKeys keys of each view are looked at. The value counts
// only as text (REG_SZ, or REG_EXPAND_SZ with its variables expanded),
// read wide and taken as it is (well-formed UTF-16), that holds a full
// path of at most 259 units fit to install into (LocationProblem);
// anything else is taken as absent, and *why, when given, says why.
constexpr unsigned kMostVersionKeys = 512;
char* PluginFolderOfHost(const char* hostKey, const char* hostName, const char* valueName, char* out,
                         std::string* why = nullptr, HostReport* host = nullptr);

// A host whose version keys are looked at: its key under
// HKEY_LOCAL_MACHINE and its name.
struct HostSource {
  const char* key;   // "SOFTWARE\Adobe\Photoshop"
  const char* name;  // "Photoshop"
};

// One version of a host and the plug-in folder its key names.
struct HostFolder {
  std::string host;     // "Photoshop 24.0 (64-bit)"
  std::string keyName;  // "HKEY_LOCAL_MACHINE\SOFTWARE\Adobe\Photoshop\24.0 (64-bit view)"
  std::string folder;   // empty when the key has no usable folder
  std::string why;      // why it has none
};

// The versions of every host of sources, taken together newest first (of
// one version in two hosts, the first source's first), and of the first
// most of them the folder named by valueName, read as PluginFolderOfHost
// reads it. host, when given, receives the newest version and every one
// seen.
std::vector<HostFolder> HostFoldersOf(const std::vector<HostSource>& sources, const char* valueName, size_t most,
                                      HostReport* host = nullptr);
char* PluginFolderOfHosts(const std::vector<HostSource>& sources, const char* valueName, char* out,
                          std::string* why = nullptr, HostReport* host = nullptr);

// The host versions a plug-in kind can install into, newest first: each
// usable folder once, under the newest version that names it, at most
// kMostHostChoices. Empty for the kinds without a host.
constexpr size_t kMostHostChoices = 12;
std::vector<HostFolder> HostChoices(TargetKind kind, HostReport* host = nullptr);

// Who loads the plug-ins of a kind's folder, for the window's texts
// ("After Effects and Premiere Pro"); null for the kinds without a host.
const char* HostUsersOf(TargetKind kind);
