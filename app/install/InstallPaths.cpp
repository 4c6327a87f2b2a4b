#include "app/install/InstallPaths.h"

#include <cstring>
#include <string>

#include "app/install/PathNames.h"

namespace {

const char kInstallFilesName[] = "install files";

char cachedFolder[kPathBufferSize];
bool cacheFilled = false;

}  // namespace

bool InstallFilesFolderOf(const char* moduleName, size_t nameLength, char* folder) {
  std::string module(moduleName);
  if (module.empty() || module.size() > kMaxPathLength) return false;
  const size_t slash = module.rfind('\\');
  if (slash == std::string::npos || slash == 0) return false;
  module.resize(slash);
  if (slash + nameLength + 1 > kPathBufferSize) return false;

  return JoinPathWithin(module.c_str(), kInstallFilesName, folder);
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

bool PluginFolderFromText(const std::string& value, char* out, std::string* why, LeadBytePredicate isLeadByte) {
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
  const std::string problem = LocationProblem(text, isLeadByte);
  if (!problem.empty()) {
    *why = "is \"" + text + "\": " + problem;
    return false;
  }
  std::memcpy(out, text.c_str(), text.size() + 1);
  return true;
}
