#include "app/install/AdminFolder.h"

#include <windows.h>
#include <sddl.h>
#include <shlobj.h>

#include "app/install/FileTree.h"
#include "app/install/PathNames.h"
#include "common/AnsiText.h"
#include "common/SystemDll.h"

const char kLegacyCommonFiles[] = "C:\\Program Files\\Common Files";

namespace {

const char kAdminFolderName[] = "\\Kestrova Uninstall";
const char kJournalFolderName[] = "\\journals";

// Full control for the system and administrators, passed on to all inside,
// and reading for everyone else; nothing inherited from above.
const wchar_t kAdminOnly[] = L"D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;GRGX;;;BU)";

// A usable answer: an absolute path, well-formed UTF-16 (a folder that is
// not is no one to write in by name).
std::string UsableFolder(const wchar_t* path) {
  std::string utf8;
  return path && Utf8FromWide(path, &utf8) && IsAbsoluteWindowsPath(utf8.c_str()) ? utf8 : std::string();
}

// The value the system keeps the known folder in, read in this process's
// own registry view (a 32-bit program on 64-bit Windows reads the x86
// folder's, as the shell answers it); *present: the value exists. Only a
// plain string serves: one to expand takes its parts from the environment,
// which whoever started the program chose, and the shell would expand it
// the same way, so it is not asked either.
std::string CommonFilesFromRegistry(bool* present) {
  wchar_t value[kPathBufferSize] = {};
  DWORD size = sizeof value - sizeof(wchar_t), type = REG_NONE;
  const LSTATUS read = RegGetValueW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion",
                                    L"CommonFilesDir", RRF_RT_ANY | RRF_NOEXPAND, &type, value, &size);
  *present = read != ERROR_FILE_NOT_FOUND;
  return read == ERROR_SUCCESS && type == REG_SZ ? UsableFolder(value) : std::string();
}

// The shell's answer, with the shell loaded for it: importing it would
// load it and OLE before every start of the program.
std::string CommonFilesFromShell() {
  using KnownFolderPath = HRESULT(WINAPI*)(REFKNOWNFOLDERID, DWORD, HANDLE, PWSTR*);
  using TaskMemFree = void(WINAPI*)(void*);
  const auto known = SystemFunction<KnownFolderPath>("shell32.dll", "SHGetKnownFolderPath");
  const auto release = SystemFunction<TaskMemFree>("ole32.dll", "CoTaskMemFree");
  if (!known || !release) return std::string();
  wchar_t* path = nullptr;
  std::string folder;
  if (SUCCEEDED(known(FOLDERID_ProgramFilesCommon, KF_FLAG_DONT_VERIFY, nullptr, &path))) folder = UsableFolder(path);
  release(path);
  return folder;
}

// The value when it serves; the shell's answer only when there is no
// value at all; else the fixed path.
std::string CommonFilesFolder() {
  bool present = false;
  std::string folder = CommonFilesFromRegistry(&present);
  if (folder.empty() && !present) folder = CommonFilesFromShell();
  return folder.empty() ? kLegacyCommonFiles : folder;
}

bool MakeFolder(const std::string& folder, bool adminOnly, bool* made) {
  *made = false;
  SECURITY_ATTRIBUTES security = {sizeof security, nullptr, FALSE};
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (adminOnly &&
      ConvertStringSecurityDescriptorToSecurityDescriptorW(kAdminOnly, SDDL_REVISION_1, &descriptor, nullptr))
    security.lpSecurityDescriptor = descriptor;
  const bool created = CreateDirectoryW(LongPath(folder).c_str(), descriptor ? &security : nullptr);
  const DWORD error = created ? 0 : GetLastError();
  if (descriptor) LocalFree(descriptor);
  *made = created;
  SetLastError(error);
  return created || error == ERROR_ALREADY_EXISTS;
}

}  // namespace

std::string AdminFolder() {
  // Asked of the system once: every registration and journal of a run
  // lies under the one folder, and the paths are compared often.
  static const std::string folder = CommonFilesFolder() + kAdminFolderName;
  return folder;
}

std::string LegacyAdminFolder() { return std::string(kLegacyCommonFiles) + kAdminFolderName; }

std::string JournalFolder() { return AdminFolder() + kJournalFolderName; }

bool MakeAdminFolders(const std::string& folder, std::vector<std::string>* made, InstallFailure* failure,
                      int retries) {
  std::vector<std::string> chain;
  for (std::string at = folder; at.size() > 3; at = ParentFolder(at)) chain.insert(chain.begin(), at);
  const std::wstring admin = PathKey(AdminFolder()), legacy = PathKey(LegacyAdminFolder());
  for (const std::string& at : chain) {
    const std::wstring path = LongPath(at);
    DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
      const std::wstring key = PathKey(at);
      bool madeIt = false;
      if (!MakeFolder(at, key == admin || key == legacy, &madeIt)) {
        // Another run removes the shared folders when it leaves them
        // empty: one gone between its making and its child's is made again.
        const DWORD error = GetLastError();
        if ((error == ERROR_PATH_NOT_FOUND || error == ERROR_FILE_NOT_FOUND) && retries-- > 0)
          return MakeAdminFolders(folder, made, failure, retries);
        return Fail(failure, at, error);
      }
      if (madeIt) made->push_back(at);
      attributes = GetFileAttributesW(path.c_str());
    }
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY) ||
        (attributes & FILE_ATTRIBUTE_REPARSE_POINT))
      return Fail(failure, at, ERROR_NOT_SUPPORTED,
                  "it is not a plain folder (a file, a link or a junction), and the installer writes in none");
  }
  return true;
}
