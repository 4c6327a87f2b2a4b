#include "app/install/InstallTarget.h"

#include <cstdio>
#include <cstring>
#include <iterator>
#include <vector>

#include "app/install/FileTree.h"
#include "app/install/PathNames.h"

namespace {

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

// A value longer than any path could be is not read at all.
constexpr DWORD kLongestValueRead = 4096;

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

// The value's text, or false with why set.
bool ReadTextValue(HKEY key, const char* valueName, std::string* text, std::string* why) {
  DWORD type = 0, size = 0;
  LONG status = RegQueryValueExA(key, valueName, nullptr, &type, nullptr, &size);
  if (status != ERROR_SUCCESS) {
    *why = status == ERROR_FILE_NOT_FOUND ? "is missing" : "cannot be read (error " + std::to_string(status) + ")";
    return false;
  }
  if (type != REG_SZ && type != REG_EXPAND_SZ) {
    *why = std::string("is ") + TypeName(type) + ", not text";
    return false;
  }
  if (size > kLongestValueRead) {
    *why = "is " + std::to_string(size) + " bytes long, far longer than a path";
    return false;
  }
  std::vector<char> data(size + 1, '\0');
  status = RegQueryValueExA(key, valueName, nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size);
  if (status != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) {
    *why = "changed while it was read";
    return false;
  }
  text->assign(data.data(), size);
  text->resize(std::strlen(text->c_str()));
  if (type == REG_EXPAND_SZ) {
    char expanded[kLongestValueRead];
    const DWORD length = ExpandEnvironmentStringsA(text->c_str(), expanded, sizeof expanded);
    if (length == 0 || length > sizeof expanded) {
      *why = "cannot be expanded";
      return false;
    }
    *text = expanded;
  }
  return true;
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

void ResolveInstallTarget(InstallTarget* target) {
  char folder[kPathBufferSize];
  ResolveInstallTargetIn(InstallFilesFolder(folder), target);
}

char* InstallFilesFolder(char* out) {
  char module[kPathBufferSize] = {};
  if (!InstallFilesFolderKnown()) GetModuleFileNameA(nullptr, module, 255);
  InstallFilesFolderFrom(module, out);
  return out;
}

char* InstallFilesPath(char* out, const char* name) {
  char module[kPathBufferSize] = {};
  if (!InstallFilesFolderKnown()) GetModuleFileNameA(nullptr, module, 255);
  return InstallFilesPathFrom(module, out, name);
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
  const bool read = ReadTextValue(key, valueName, &text, &reason) && PluginFolderFromText(text, out, &reason);
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
