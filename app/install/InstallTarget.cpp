#include "app/install/InstallTarget.h"

#include <cstdio>
#include <cstring>
#include <set>
#include <vector>

#include "app/install/FileTree.h"
#include "app/install/HostVersions.h"
#include "app/install/PathNames.h"
#include "common/AnsiText.h"

namespace {

// The program's install-files folder, worked out once for the process.
InstallFilesCache processFolder;

const TargetRow kTargetRows[] = {
    {TargetNone, "Temp Files", "Please select a folder", nullptr},
    {TargetApplication, "App Files", "Select the Program Files folder", ProgramFilesFolder},
    {TargetAfterEffects, "AE Files", "Select the After Effects Plug-ins folder", AfterEffectsPluginFolder},
    {TargetFxPlug, "FX Files", "Select the FxPlugs folder", ProgramFilesFolder},
    {TargetPhotoshop, "PS Files", "Select the Photoshop Plug-ins folder", PhotoshopPluginFolder},
    {TargetMediaCore, "MediaCore Files", "Select the MediaCore Plug-ins folder of After Effects and Premiere Pro",
     MediaCorePluginFolder},
};

// What each plug-in kind reads of its hosts: their keys, the value naming
// the folder in each version's key, and who loads from the folder. The
// MediaCore folder is named alike by After Effects and by Premiere Pro.
struct KindHosts {
  TargetKind kind;
  std::vector<HostSource> sources;
  const char* valueName;
  const char* users;
};
const HostSource kAfterEffects = {"SOFTWARE\\Adobe\\After Effects", "After Effects"};
const KindHosts kKindHosts[] = {
    {TargetAfterEffects, {kAfterEffects}, "PluginInstallPath", "After Effects"},
    {TargetPhotoshop, {{"SOFTWARE\\Adobe\\Photoshop", "Photoshop"}}, "PluginPath", "Photoshop"},
    {TargetMediaCore, {kAfterEffects, {"SOFTWARE\\Adobe\\Premiere Pro", "Premiere Pro"}}, "CommonPluginInstallPath",
     "After Effects and Premiere Pro"},
};

const KindHosts* HostsOf(TargetKind kind) {
  for (const KindHosts& hosts : kKindHosts)
    if (hosts.kind == kind) return &hosts;
  return nullptr;
}

char* PluginFolderOfKind(TargetKind kind, char* out, std::string* why, HostReport* host) {
  const KindHosts& hosts = *HostsOf(kind);
  return PluginFolderOfHosts(hosts.sources, hosts.valueName, out, why, host);
}

// A value longer than any path could be is not read at all (characters).
constexpr DWORD kLongestValueRead = 4096;

void TakeRow(const TargetRow& row, InstallTarget* target) {
  target->kind = row.kind;
  std::snprintf(target->payloadFolder, sizeof target->payloadFolder, "%s", row.payloadFolder);
  std::snprintf(target->folderPrompt, sizeof target->folderPrompt, "%s", row.folderPrompt);
  target->location[0] = '\0';
  target->locationNote.clear();
  target->host = HostReport();
  if (row.defaultLocation) row.defaultLocation(target->location, &target->locationNote, &target->host);
}

const char* TypeName(DWORD type) {
  switch (type) {
    case REG_BINARY: return "REG_BINARY";
    case REG_DWORD: return "REG_DWORD";
    case REG_DWORD_BIG_ENDIAN: return "REG_DWORD_BIG_ENDIAN";
    case REG_MULTI_SZ: return "REG_MULTI_SZ";
    case REG_QWORD: return "REG_QWORD";
    case REG_LINK: return "REG_LINK";
    case REG_NONE: return "REG_NONE";
  }
  return "of an unknown type";
}

// The value's text, read wide, in UTF-8, or false with why set.
bool ReadTextValue(HKEY key, const char* valueName, std::string* text, std::string* why) {
  const std::wstring name = WideFromUtf8(valueName);
  DWORD type = 0, size = 0;
  LONG status = RegQueryValueExW(key, name.c_str(), nullptr, &type, nullptr, &size);
  if (status != ERROR_SUCCESS) {
    *why = status == ERROR_FILE_NOT_FOUND ? "is missing" : "cannot be read (error " + std::to_string(status) + ")";
    return false;
  }
  if (type != REG_SZ && type != REG_EXPAND_SZ) {
    *why = std::string("is ") + TypeName(type) + ", not text";
    return false;
  }
  if (size > kLongestValueRead * sizeof(wchar_t)) {
    *why = "is " + std::to_string(size) + " bytes long, far longer than a path";
    return false;
  }
  // Zeroed past what is read: the text always ends.
  std::vector<wchar_t> data(size / sizeof(wchar_t) + 2, L'\0');
  status = RegQueryValueExW(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size);
  if (status != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) {
    *why = "changed while it was read";
    return false;
  }
  std::wstring wide(data.data());
  if (type == REG_EXPAND_SZ) {
    std::vector<wchar_t> expanded(kLongestValueRead);
    const DWORD length = ExpandEnvironmentStringsW(wide.c_str(), expanded.data(), kLongestValueRead);
    if (length == 0 || length > kLongestValueRead) {
      *why = "cannot be expanded";
      return false;
    }
    wide = expanded.data();
  }
  if (!Utf8FromWide(wide, text)) {
    *why = "is not well-formed UTF-16 (a surrogate without its other half): \"" + Utf8MarkingUnpaired(wide, '?') +
           "\"";
    return false;
  }
  return true;
}

// Whether this 32-bit program runs on 64-bit Windows, where the registry
// has two views.
bool TwoRegistryViews() {
  BOOL wow64 = FALSE;
  return IsWow64Process(GetCurrentProcess(), &wow64) && wow64;
}

// The access flag of the view a version was found in.
REGSAM ViewOf(const HostVersion& version) {
  if (!TwoRegistryViews()) return 0;
  return version.view64 ? KEY_WOW64_64KEY : KEY_WOW64_32KEY;
}

// The version keys of one view; on a name too long for a version the
// enumeration goes on, and it stops after kMostVersionKeys keys. Returns
// whether it stopped there with keys left: the list was cut.
bool AddVersionsOfView(const std::wstring& hostKey, REGSAM view, bool view64, std::vector<HostVersion>* versions) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, hostKey.c_str(), 0, KEY_READ | view, &key) != ERROR_SUCCESS) return false;
  DWORD keys = 0;
  const bool cut = RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &keys, nullptr, nullptr, nullptr, nullptr, nullptr,
                                    nullptr, nullptr) == ERROR_SUCCESS &&
                   keys > kMostVersionKeys;
  for (DWORD index = 0; index < kMostVersionKeys; ++index) {
    wchar_t name[256];
    DWORD length = 256;
    const LONG status = RegEnumKeyExW(key, index, name, &length, nullptr, nullptr, nullptr, nullptr);
    if (status == ERROR_NO_MORE_ITEMS) break;
    if (status != ERROR_SUCCESS) continue;
    // A version is plain digits and dots: anything else is not one.
    std::string ascii;
    bool plain = true;
    for (DWORD i = 0; i < length && plain; ++i) {
      plain = name[i] < 0x80;
      ascii += static_cast<char>(name[i]);
    }
    HostVersion version;
    if (!plain || !ParseHostVersion(ascii, &version)) continue;
    version.view64 = view64;
    versions->push_back(version);
  }
  RegCloseKey(key);
  return cut;
}

// Every version key of a host in the views this Windows has, newest first;
// *cut tells whether a view had more keys than were read.
std::vector<HostVersion> HostVersionsInRegistry(const std::wstring& hostKey, bool* cut) {
  std::vector<HostVersion> versions;
  if (TwoRegistryViews()) {
    *cut = AddVersionsOfView(hostKey, KEY_WOW64_64KEY, true, &versions);
    *cut = AddVersionsOfView(hostKey, KEY_WOW64_32KEY, false, &versions) || *cut;
  } else {
    *cut = AddVersionsOfView(hostKey, 0, false, &versions);
  }
  SortHostVersions(&versions);
  return versions;
}

// The module path the install-files cache needs: empty once the cache is
// filled. False, with out and *why set, when it is needed and cannot be had.
bool ModulePathForCache(std::string* module, char* out, std::string* why) {
  std::string reason;
  if (processFolder.Known() || ModulePath(module, &reason)) return true;
  out[0] = '\0';
  if (why) *why = reason;
  return false;
}

}  // namespace



const TargetRow& TargetRowFor(TargetKind kind) {
  return kTargetRows[kind >= TargetNone && kind <= kLastTargetKind ? kind : TargetNone];
}

void ResolveInstallTargetIn(const char* installFilesFolder, InstallTarget* target) {
  TakeRow(kTargetRows[TargetNone], target);
  if (installFilesFolder[0] == '\0') return;
  for (TargetKind kind : kPayloadKinds) {
    char payload[kPathBufferSize];
    if (JoinPathWithin(installFilesFolder, TargetRowFor(kind).payloadFolder, payload) && FolderExists(payload))
      TakeRow(TargetRowFor(kind), target);
  }
}

char* InstallFilesFolder(char* out, std::string* why) {
  std::string module;
  if (!ModulePathForCache(&module, out, why)) return out;
  if (!processFolder.Folder(module.c_str(), out) && why)
    *why = "the install-files folder beside the program's path \"" + module + "\" would pass " +
           std::to_string(kMaxPathLength) + " characters";
  return out;
}

char* InstallFilesPath(char* out, const char* name, std::string* why) {
  std::string module;
  if (!ModulePathForCache(&module, out, why)) return out;
  if (!processFolder.Path(module.c_str(), out, name)[0] && why)
    *why = std::string("the path of \"") + name + "\" in the install-files folder would pass " +
           std::to_string(kMaxPathLength) + " characters";
  return out;
}

char* ProgramFilesFolder(char* out, std::string*, HostReport*) {
  std::strcpy(out, "C:\\Program Files");
  return out;
}

std::vector<HostFolder> HostFoldersOf(const std::vector<HostSource>& sources, const char* valueName, size_t most,
                                      HostReport* host) {
  std::vector<HostVersion> versions;
  std::string seen;
  for (uint32_t source = 0; source < sources.size(); ++source) {
    bool cut = false;
    std::vector<HostVersion> own = HostVersionsInRegistry(WideFromUtf8(sources[source].key), &cut);
    seen += (seen.empty() ? "" : "; ") + std::string(sources[source].name) + ": " + HostVersionsText(own) +
            (cut ? " (the list was cut: only the first " + std::to_string(kMostVersionKeys) + " keys of a view are read)"
                 : "");
    for (HostVersion& version : own) version.source = source;
    versions.insert(versions.end(), own.begin(), own.end());
  }
  SortHostVersions(&versions);
  if (host) {
    host->seen = seen;
    host->chosen = versions.empty() ? "" : HostVersionText(sources[versions.front().source].name, versions.front());
  }
  std::vector<HostFolder> folders;
  for (size_t i = 0; i < versions.size() && i < most; ++i) {
    const HostVersion& version = versions[i];
    const HostSource& source = sources[version.source];
    const std::string keyName = std::string(source.key) + "\\" + version.key;
    HostFolder found;
    found.host = HostVersionText(source.name, version);
    found.keyName = "HKEY_LOCAL_MACHINE\\" + keyName + " (" + (version.view64 ? "64" : "32") + "-bit view)";
    std::string reason, text;
    char folder[kPathBufferSize] = "";
    HKEY key = nullptr;
    const LONG opened =
        RegOpenKeyExW(HKEY_LOCAL_MACHINE, WideFromUtf8(keyName).c_str(), 0, KEY_READ | ViewOf(version), &key);
    bool read = opened == ERROR_SUCCESS;
    if (!read) reason = "cannot be opened (error " + std::to_string(opened) + ")";
    read = read && ReadTextValue(key, valueName, &text, &reason) &&
           PluginFolderFromText(text, folder, &reason);
    if (key) RegCloseKey(key);
    if (read)
      found.folder = folder;
    else
      found.why = std::string(valueName) + " under " + found.keyName + " " + reason + ": taken as absent";
    folders.push_back(found);
  }
  return folders;
}

char* PluginFolderOfHosts(const std::vector<HostSource>& sources, const char* valueName, char* out, std::string* why,
                          HostReport* host) {
  out[0] = '\0';
  // The newest version is the only one read.
  const std::vector<HostFolder> newest = HostFoldersOf(sources, valueName, 1, host);
  if (newest.empty()) {
    if (why) {
      std::string keys;
      for (const HostSource& source : sources)
        keys += (keys.empty() ? "" : " or ") + std::string("HKEY_LOCAL_MACHINE\\") + source.key;
      *why = "no version key under " + keys + " in either view";
    }
    return out;
  }
  if (host) host->key = newest.front().keyName;
  std::snprintf(out, kPathBufferSize, "%s", newest.front().folder.c_str());
  if (out[0] == '\0' && why) *why = newest.front().why;
  return out;
}

char* PluginFolderOfHost(const char* hostKey, const char* hostName, const char* valueName, char* out,
                         std::string* why, HostReport* host) {
  return PluginFolderOfHosts({{hostKey, hostName}}, valueName, out, why, host);
}

char* AfterEffectsPluginFolder(char* out, std::string* why, HostReport* host) {
  return PluginFolderOfKind(TargetAfterEffects, out, why, host);
}

char* PhotoshopPluginFolder(char* out, std::string* why, HostReport* host) {
  return PluginFolderOfKind(TargetPhotoshop, out, why, host);
}

char* MediaCorePluginFolder(char* out, std::string* why, HostReport* host) {
  return PluginFolderOfKind(TargetMediaCore, out, why, host);
}

std::vector<HostFolder> HostChoices(TargetKind kind, HostReport* host) {
  const KindHosts* hosts = HostsOf(kind);
  if (!hosts) return {};
  const std::vector<HostFolder> found = HostFoldersOf(hosts->sources, hosts->valueName, kMostVersionKeys * 2, host);
  // Each folder once, under the newest version that names it (every
  // version of the MediaCore hosts names the same one); a version without
  // a usable folder is no choice.
  std::vector<HostFolder> choices;
  std::set<std::wstring> folders;
  for (const HostFolder& folder : found) {
    if (folder.folder.empty() || !folders.insert(PathKey(folder.folder)).second) continue;
    choices.push_back(folder);
    if (choices.size() == kMostHostChoices) break;
  }
  return choices;
}

const char* HostUsersOf(TargetKind kind) {
  const KindHosts* hosts = HostsOf(kind);
  return hosts ? hosts->users : nullptr;
}
