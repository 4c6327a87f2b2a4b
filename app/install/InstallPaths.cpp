#include "app/install/InstallPaths.h"

#include <cstring>
#include <string>

#include "app/install/PathNames.h"

namespace {

const char kInstallFilesName[] = "install files";

// Longest module name the rule looks at.
constexpr size_t kModuleNameLimit = 255;

char cachedFolder[kPathBufferSize];
bool cacheFilled = false;

}  // namespace

bool InstallFilesFolderOf(const char* moduleName, size_t nameLength, char* folder) {
  char module[kPathBufferSize] = {};
  std::strncpy(module, moduleName, kModuleNameLimit);

  const size_t length = std::strlen(module);
  if (length == 0) return false;
  size_t searchPoint = length - 1;
  for (size_t i = 0; i < length; ++i) {
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

  return JoinPathWithin(module, kInstallFilesName, folder);
}

char* InstallFilesPathFrom(const char* moduleName, char* out, const char* name) {
  if (!cacheFilled) {
    if (!InstallFilesFolderOf(moduleName, std::strlen(name), cachedFolder)) {
      out[0] = '\0';
      return out;
    }
    cacheFilled = true;
  }
  JoinPathWithin(cachedFolder, name, out);
  return out;
}

bool InstallFilesFolderFrom(const char* moduleName, char* out) {
  if (!cacheFilled) {
    if (!InstallFilesFolderOf(moduleName, 0, cachedFolder)) {
      out[0] = '\0';
      return false;
    }
    cacheFilled = true;
  }
  std::strcpy(out, cachedFolder);
  return true;
}

void ForgetInstallFilesFolder() {
  cacheFilled = false;
  cachedFolder[0] = '\0';
}

bool InstallFilesFolderKnown() { return cacheFilled; }

bool PluginFolderFromText(const std::string& value, char* out, std::string* why) {
  out[0] = '\0';
  std::string text = value.substr(0, std::strlen(value.c_str()));
  if (!text.empty() && text.back() == '\\') text.pop_back();
  if (text.empty()) {
    *why = "is empty";
    return false;
  }
  if (text.size() > kMaxPathLength) {
    *why = "is " + std::to_string(text.size()) + " characters long; a path holds at most " +
           std::to_string(kMaxPathLength);
    return false;
  }
  if (!IsAbsoluteWindowsPath(text.c_str())) {
    *why = "is not a full path: \"" + text + "\"";
    return false;
  }
  std::memcpy(out, text.c_str(), text.size() + 1);
  return true;
}
