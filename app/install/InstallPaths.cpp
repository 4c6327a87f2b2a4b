#include "app/install/InstallPaths.h"

#include <cstring>
#include <string>

#include "app/install/PathNames.h"

namespace {

const char kInstallFilesName[] = "install files";

}  // namespace

bool InstallFilesFolderOf(const char* moduleName, size_t nameLength, char* folder) {
  std::string module(moduleName);
  if (module.empty() || PathLength(module) > kMaxPathLength) return false;
  const size_t slash = module.rfind('\\');
  if (slash == std::string::npos || slash == 0) return false;
  module.resize(slash);
  if (PathLength(module.substr(0, slash)) + nameLength + 1 > kMaxPathLength + 1) return false;

  return JoinPathWithin(module.c_str(), kInstallFilesName, folder);
}

char* InstallFilesCache::Path(const char* moduleName, char* out, const char* name) {
  if (!filled) {
    if (!InstallFilesFolderOf(moduleName, std::strlen(name), folder)) {
      out[0] = '\0';
      return out;
    }
    filled = true;
  }
  JoinPathWithin(folder, name, out);
  return out;
}

bool InstallFilesCache::Folder(const char* moduleName, char* out) {
  if (!filled) {
    if (!InstallFilesFolderOf(moduleName, 0, folder)) {
      out[0] = '\0';
      return false;
    }
    filled = true;
  }
  std::strcpy(out, folder);
  return true;
}

bool PluginFolderFromText(const std::string& value, char* out, std::string* why, LeadBytePredicate isLeadByte) {
  out[0] = '\0';
  std::string text = value.substr(0, std::strlen(value.c_str()));
  if (!text.empty() && text.back() == '\\') text.pop_back();
  if (text.empty()) {
    *why = "is empty";
    return false;
  }
  if (PathLength(text) > kMaxPathLength) {
    *why = "is " + std::to_string(PathLength(text)) + " characters long; a path holds at most " +
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
