#include "app/install/InstallTarget.h"

#include <iterator>

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

void TakeRow(const TargetRow& row, InstallTarget* target) {
  target->kind = row.kind;
  BoundedCopy(row.payloadFolder, target->payloadFolder);
  BoundedCopy(row.folderPrompt, target->folderPrompt);
  target->location[0] = '\0';
  if (row.defaultLocation) row.defaultLocation(target->location);
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
    if (!JoinPathWithin(installFilesFolder, TargetRowFor(kind).payloadFolder, payload)) continue;
    char* entry = FolderEntry(payload, 1);
    if (!entry) continue;
    delete[] entry;
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

char* ProgramFilesFolder(char* out) {
  BoundedCopy("C:\\Program Files", out);
  return out;
}

char* PluginFolderFromRegistry(const char* const* keys, int keyCount, const char* valueName, char* out) {
  out[0] = '\0';
  HKEY key = nullptr;
  for (int i = 0; i < keyCount && !key; ++i)
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, keys[i], 0, KEY_READ, &key) != ERROR_SUCCESS) key = nullptr;
  if (!key) return out;

  uint8_t data[255];
  DWORD size = sizeof data;
  if (RegQueryValueExA(key, valueName, nullptr, nullptr, data, &size) == ERROR_SUCCESS)
    PluginFolderFromValue(data, size, out);
  RegCloseKey(key);
  return out;
}

char* AfterEffectsPluginFolder(char* out) {
  return PluginFolderFromRegistry(kAfterEffectsKeys, std::size(kAfterEffectsKeys), "PluginInstallPath", out);
}

char* PhotoshopPluginFolder(char* out) {
  return PluginFolderFromRegistry(kPhotoshopKeys, std::size(kPhotoshopKeys), "PluginPath", out);
}
