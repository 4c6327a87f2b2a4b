#include "app/install/InstallTarget.h"

#include <cstdio>
#include <cstring>
#include <iterator>
#include <vector>

#include "app/install/FileTree.h"
#include "app/install/PathNames.h"
#include "common/AnsiText.h"

namespace {

// The program's install-files folder, worked out once for the process.
InstallFilesCache processFolder;

const char* const kAfterEffectsKeys[] = {
    "SOFTWARE\\Adobe\\After Effects\\9.0",
    "SOFTWARE\\Adobe\\After Effects\\8.0",
    "SOFTWARE\\Adobe\\After Effects\\7.0",
};

const char* const kPhotoshopKeys[] = {
    "SOFTWARE\\Adobe\\Photoshop\\11.0", "SOFTWARE\\Adobe\\Photoshop\\10.0",
    "SOFTWARE\\Adobe\\Photoshop\\9.0",  "SOFTWARE\\Adobe\\Photoshop\\8.0",
    "SOFTWARE\\Adobe\\Photoshop\\7.0",  "SOFTWARE\\Adobe\\Photoshop\\6.0",
};

const TargetRow kTargetRows[] = {
    {TargetNone, "Temp Files", "Please select a folder", nullptr},
    {TargetApplication, "App Files", "Select the Program Files folder", ProgramFilesFolder},
    {TargetAfterEffects, "AE Files", "Select the After Effects Plug-ins folder", AfterEffectsPluginFolder},
    {TargetFxPlug, "FX Files", "Select the FxPlugs folder", ProgramFilesFolder},
    {TargetPhotoshop, "PS Files", "Select the Photoshop Plug-ins folder", PhotoshopPluginFolder},
};

// A value longer than any path could be is not read at all (characters).
constexpr DWORD kLongestValueRead = 4096;

// The longest module path asked for (characters): past the longest path
// the platform has.
constexpr DWORD kLongestModulePath = 65536;

void TakeRow(const TargetRow& row, InstallTarget* target) {
  target->kind = row.kind;
  std::snprintf(target->payloadFolder, sizeof target->payloadFolder, "%s", row.payloadFolder);
  std::snprintf(target->folderPrompt, sizeof target->folderPrompt, "%s", row.folderPrompt);
  target->location[0] = '\0';
  target->locationNote.clear();
  if (row.defaultLocation) row.defaultLocation(target->location, &target->locationNote);
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

// The value's text, read wide and converted to the ANSI code page exactly,
// or false with why set.
bool ReadTextValue(HKEY key, const char* valueName, std::string* text, std::string* why) {
  const std::wstring name = WideFromAnsi(valueName);
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
  if (!AnsiFromWide(wide, text)) {
    *why = "holds characters that the ANSI code page (" + AnsiCodePageName() + ") cannot hold exactly: \"" +
           AnsiMarkingUnconvertible(wide, '?') + "\"";
    return false;
  }
  return true;
}

// The program's own path, read wide into a buffer that grows until the
// whole path fits. False, with why set, when it cannot be read, does not
// convert to the ANSI code page exactly or does not fit a path buffer.
bool ModulePath(std::string* path, std::string* why) {
  std::wstring wide(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, &wide[0], static_cast<DWORD>(wide.size()));
    if (length == 0) {
      *why = "the program's path cannot be read (error " + std::to_string(GetLastError()) + ")";
      return false;
    }
    if (length < wide.size()) {
      wide.resize(length);
      break;
    }
    if (wide.size() >= kLongestModulePath) {
      *why = "the program's path is too long: more than " + std::to_string(kLongestModulePath) + " characters";
      return false;
    }
    wide.resize(wide.size() * 2);
  }
  if (!AnsiFromWide(wide, path)) {
    *why = "the program's path \"" + AnsiMarkingUnconvertible(wide, '?') +
           "\" cannot be held exactly in the ANSI code page (" + AnsiCodePageName() + ")";
    return false;
  }
  if (path->size() > kMaxPathLength) {
    *why = "the program's path \"" + *path + "\" is too long: " + std::to_string(path->size()) +
           " characters, where the installer's paths hold at most " + std::to_string(kMaxPathLength);
    return false;
  }
  return true;
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
  return kTargetRows[kind >= TargetNone && kind <= TargetPhotoshop ? kind : TargetNone];
}

void ResolveInstallTargetIn(const char* installFilesFolder, InstallTarget* target) {
  TakeRow(kTargetRows[TargetNone], target);
  if (installFilesFolder[0] == '\0') return;
  for (TargetKind kind : {TargetApplication, TargetAfterEffects, TargetFxPlug, TargetPhotoshop}) {
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

char* ProgramFilesFolder(char* out, std::string*) {
  std::strcpy(out, "C:\\Program Files");
  return out;
}

char* PluginFolderFromRegistry(const char* const* keys, int keyCount, const char* valueName, char* out,
                               std::string* why) {
  out[0] = '\0';
  std::string reason;
  HKEY key = nullptr;
  int opened = 0;
  for (; opened < keyCount && !key; ++opened)
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, keys[opened], 0, KEY_READ, &key) != ERROR_SUCCESS) key = nullptr;
  if (!key) {
    if (why) *why = std::string("no key ") + (keyCount ? keys[0] : "") + " or older under HKEY_LOCAL_MACHINE";
    return out;
  }
  std::string text;
  const bool read =
      ReadTextValue(key, valueName, &text, &reason) && PluginFolderFromText(text, out, &reason, IsAnsiLeadByte);
  RegCloseKey(key);
  if (!read && why)
    *why = std::string(valueName) + " under HKEY_LOCAL_MACHINE\\" + keys[opened - 1] + " " + reason +
           ": taken as absent";
  return out;
}

char* AfterEffectsPluginFolder(char* out, std::string* why) {
  return PluginFolderFromRegistry(kAfterEffectsKeys, std::size(kAfterEffectsKeys), "PluginInstallPath", out, why);
}

char* PhotoshopPluginFolder(char* out, std::string* why) {
  return PluginFolderFromRegistry(kPhotoshopKeys, std::size(kPhotoshopKeys), "PluginPath", out, why);
}
