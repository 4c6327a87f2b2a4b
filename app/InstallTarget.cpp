#include "app/InstallTarget.h"

#include <cstring>
#include <string>

#include "app/FileTree.h"
#include "app/PathNames.h"

namespace {

const char kInstallFilesName[] = "install files";

char cachedFolder[kPathBufferSize];
bool cacheFilled = false;

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

void ResolveInstallTarget(InstallTarget* target) {
  TakeRow(kTargetRows[TargetNone], target);
  for (TargetKind kind : {TargetApplication, TargetAfterEffects, TargetFxPlug, TargetPhotoshop}) {
    char payload[kPathBufferSize];
    InstallFilesPath(payload, TargetRowFor(kind).payloadFolder);
    char* entry = FolderEntry(payload, 1);
    if (!entry) continue;
    delete[] entry;
    TakeRow(TargetRowFor(kind), target);
  }
}

bool InstallFilesFolderOf(const char* moduleName, size_t nameLength, char* folder) {
  char module[kPathBufferSize] = {};
  std::strncpy(module, moduleName, 255);

  size_t searchPoint = std::strlen(module);
  if (searchPoint > 0) --searchPoint;
  for (size_t i = 0; module[i] != '\0' && i < 256; ++i) {
    if (std::strncmp(module + i, ".aex", 4) == 0) {
      module[i] = '\0';
      searchPoint = i;
      break;
    }
  }
  size_t slash = searchPoint;
  while (slash > 0 && module[slash] != '\\') --slash;
  if (slash == 0) return false;
  module[slash] = '\0';
  if (slash + nameLength + 1 > kPathBufferSize) return false;

  std::string path(module);
  path += '\\';
  path += kInstallFilesName;
  BoundedCopy(path.c_str(), folder);
  return true;
}

char* InstallFilesPathFrom(const char* moduleName, char* out, const char* name) {
  if (!cacheFilled) {
    if (!InstallFilesFolderOf(moduleName, std::strlen(name), cachedFolder)) {
      out[0] = '\0';
      return out;
    }
    cacheFilled = true;
  }
  std::strcpy(out, cachedFolder);
  AppendPathName(out, name);
  return out;
}

char* InstallFilesPath(char* out, const char* name) {
  char module[kPathBufferSize] = {};
  if (!cacheFilled) GetModuleFileNameA(nullptr, module, 255);
  return InstallFilesPathFrom(module, out, name);
}

void ForgetInstallFilesFolder() {
  cacheFilled = false;
  cachedFolder[0] = '\0';
}

char* ProgramFilesFolder(char* out) {
  BoundedCopy("C:\\Program Files", out);
  return out;
}

void PluginFolderFromValue(const uint8_t* data, size_t size, char* out) {
  std::string text(reinterpret_cast<const char*>(data), size);
  text.resize(std::strlen(text.c_str()));
  if (!text.empty() && text.back() == '\\') text.pop_back();
  BoundedCopy(text.c_str(), out);
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
  return PluginFolderFromRegistry(kAfterEffectsKeys, 3, "PluginInstallPath", out);
}

char* PhotoshopPluginFolder(char* out) {
  return PluginFolderFromRegistry(kPhotoshopKeys, 6, "PluginPath", out);
}
