#include "app/install/PathNames.h"

#include <cstring>
#include <string>
#include <vector>

#include "common/UnicodeText.h"

namespace {

// The components of path after its root ("C:\" or the "\\" of a share,
// whose server and share names come first), split at backslashes that are
// not trail bytes.
std::vector<std::string> ComponentsAfterRoot(const std::string& path, LeadBytePredicate isLeadByte) {
  std::vector<std::string> components(1);
  const size_t root = path.size() > 1 && path[1] == ':' ? 3 : 2;
  for (size_t i = root; i < path.size(); ++i) {
    const char c = path[i];
    if (isLeadByte && isLeadByte(static_cast<uint8_t>(c)) && i + 1 < path.size()) {
      components.back() += c;
      components.back() += path[++i];
    } else if (c == '\\') {
      components.emplace_back();
    } else {
      components.back() += c;
    }
  }
  return components;
}

}  // namespace

size_t PathLength(const std::string& path) { return Utf16Length(path); }

size_t PathLength(const char* path) { return Utf16Length(path, std::strlen(path)); }

void BoundedCopy(const char* source, char* out) {
  size_t length = std::strlen(source);
  // Drop whole characters from the head until 259 units are left.
  for (size_t units = Utf16Length(source, length); units > kMaxPathLength;) {
    const uint8_t lead = static_cast<uint8_t>(*source);
    units -= Utf16UnitsOf(lead);
    do {
      ++source;
      --length;
    } while (length > 0 && (static_cast<uint8_t>(*source) & 0xC0) == 0x80);
  }
  std::memmove(out, source, length);
  out[length] = '\0';
}

bool JoinPathWithin(const char* folder, const char* name, char* out) {
  size_t folderLength = std::strlen(folder);
  size_t nameLength = std::strlen(name);
  if (PathLength(folder) + 1 + PathLength(name) > kMaxPathLength) {
    out[0] = '\0';
    return false;
  }
  std::memmove(out, folder, folderLength);
  out[folderLength] = '\\';
  std::memcpy(out + folderLength + 1, name, nameLength);
  out[folderLength + 1 + nameLength] = '\0';
  return true;
}

void LastPathComponent(const char* path, char* out) {
  if (out == nullptr) return;
  const char* slash = std::strrchr(path, '\\');
  const char* name = slash ? slash + 1 : path;
  size_t length = 0;
  for (size_t units = 0; name[length] != '\0';) {
    const uint8_t lead = static_cast<uint8_t>(name[length]);
    units += Utf16UnitsOf(lead);
    if (units > 255) break;
    do ++length;
    while ((static_cast<uint8_t>(name[length]) & 0xC0) == 0x80);
  }
  std::memmove(out, name, length);
  out[length] = '\0';
}

bool IsAbsoluteWindowsPath(const char* path) {
  const char letter = static_cast<char>(path[0] | 0x20);
  if (letter >= 'a' && letter <= 'z' && path[1] == ':' && path[2] == '\\') return true;
  if (path[0] != '\\' || path[1] != '\\') return false;
  const char* server = path + 2;
  const char* slash = std::strchr(server, '\\');
  if (!slash || slash == server) return false;
  // "\\.\" and "\\?\" name devices and raw namespaces, not shares.
  if (slash == server + 1 && (server[0] == '.' || server[0] == '?')) return false;
  const char* share = slash + 1;
  return *share != '\0' && *share != '\\';
}

std::string ParentFolder(const std::string& path) {
  const size_t slash = path.find_last_of('\\');
  if (slash == std::string::npos) return std::string();
  std::string parent = path.substr(0, slash);
  if (parent.size() == 2 && parent[1] == ':') parent += '\\';
  return parent;
}

std::string LocationProblem(const std::string& location, LeadBytePredicate isLeadByte) {
  if (location.find('\0') != std::string::npos || !IsAbsoluteWindowsPath(location.c_str()))
    return "not a full path: a drive and a backslash (C:\\Folder) or \\\\server\\share";
  for (const std::string& component : ComponentsAfterRoot(location, isLeadByte)) {
    if (component.empty() || component == "." || component == "..") continue;
    const NameProblem problem = CheckName(component.c_str(), isLeadByte);
    if (problem != NameProblem::kNone) return "\"" + component + "\" " + NameProblemText(problem);
  }
  return std::string();
}
