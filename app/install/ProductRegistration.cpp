#include "app/install/ProductRegistration.h"

#include <windows.h>

#include <vector>

#include "app/install/FileTree.h"
#include "app/install/InstallLog.h"
#include "app/install/InstallTarget.h"
#include "app/install/PathNames.h"
#include "app/install/StagingFolder.h"
#include "common/AnsiText.h"
#include "common/ContentHash.h"

const char kPublisher[] = "Kestrova";

namespace {

const char kBaseFolder[] = "\\Common Files\\Kestrova Uninstall";
const char kRecordName[] = "install record";
const char kUninstallerName[] = "uninstall.exe";
// The new record and uninstaller wait beside those in force under a name
// of their own process's, so that two installs never write one file.
std::string Staged(const std::string& path) { return path + ".new-" + std::to_string(GetCurrentProcessId()); }
constexpr size_t kStagedSuffixLength = 16;
const wchar_t kUninstallKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
constexpr REGSAM kView = KEY_WOW64_32KEY;

std::string BaseFolder() {
  char programFiles[kPathBufferSize];
  return std::string(ProgramFilesFolder(programFiles)) + kBaseFolder;
}

// The product's own name where it makes a good folder name and the paths
// fit; else one made from a hash of it, letter case aside.
std::string FolderNameOf(const std::string& product) {
  const size_t longest = kMaxPathLength - BaseFolder().size() - 2 - sizeof kUninstallerName - kStagedSuffixLength;
  if (CheckName(product.c_str(), IsAnsiLeadByte) == NameProblem::kNone && product.size() <= longest) return product;
  const std::wstring folded = CaseFolded(WideFromAnsi(product));
  return "product-" + HashText(ContentHash::Of(folded.data(), folded.size() * sizeof(wchar_t)));
}

// Makes each folder from the base's parent down to folder that is not
// there; one that is a link or a junction, or a file, fails it: nothing is
// written through one.
// Makes folder and the folders above it that are missing; made receives
// those it made, outermost first.
bool MakeFolders(const std::string& folder, std::vector<std::string>* made, InstallFailure* failure) {
  std::vector<std::string> chain;
  for (std::string at = folder; at.size() > 3; at = ParentFolder(at)) chain.insert(chain.begin(), at);
  for (const std::string& at : chain) {
    const std::wstring path = LongPath(at);
    DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
      if (CreateDirectoryW(path.c_str(), nullptr)) {
        made->push_back(at);
      } else {
        const DWORD error = GetLastError();
        if (error != ERROR_ALREADY_EXISTS) return Fail(failure, at, error);
      }
      attributes = GetFileAttributesW(path.c_str());
    }
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY) ||
        (attributes & FILE_ATTRIBUTE_REPARSE_POINT))
      return Fail(failure, at, ERROR_NOT_SUPPORTED,
                  "it is not a plain folder (a file, a link or a junction), and the record is written in none");
  }
  return true;
}

bool WriteWholeFile(const std::string& path, const std::string& bytes, DiskFlush& disk, InstallFailure* failure) {
  const HANDLE file = CreateFileW(LongPath(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return Fail(failure, path, GetLastError());
  DWORD written = 0;
  // A failed write or flush tells its own error (WriteFile sets the count
  // to 0 first); a short write is a full disk.
  const bool wrote = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  const DWORD error = !wrote ? GetLastError()
                      : written != bytes.size() ? ERROR_DISK_FULL
                      : !disk.Flush(file, path) ? GetLastError()
                                                : 0;
  const bool ok = error == 0;
  CloseHandle(file);
  if (!ok) {
    DeleteFileW(LongPath(path).c_str());
    return Fail(failure, path, error);
  }
  return true;
}

void Leftover(std::vector<InstallFailure>* leftovers, const std::string& path, DWORD error, const std::string& why) {
  leftovers->push_back(MakeFailure(path, error, why));
}

bool SetString(HKEY key, const wchar_t* name, const std::string& value) {
  const std::wstring wide = WideFromAnsi(value);
  return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(wide.c_str()),
                        static_cast<DWORD>((wide.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

bool SetNumber(HKEY key, const wchar_t* name, uint32_t value) {
  const DWORD number = value;
  return RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof number) ==
         ERROR_SUCCESS;
}

// A running program's file cannot be deleted on Windows (Wine lets it
// be): it is renamed into the temporary folder, which frees its folder,
// and deleted at the next start. Returns 0, or the error of a file left
// where it was; a delete at the next start that is refused (it needs an
// administrator) is told in leftovers: the file then stays in the
// temporary folder.
DWORD DeleteRunningFile(const std::string& path, std::vector<InstallFailure>* leftovers) {
  const std::wstring place = LongPath(path);
  const DWORD error = DeleteFileAlways(place);
  if (!error || error == ERROR_FILE_NOT_FOUND) return 0;
  wchar_t temp[MAX_PATH + 1], name[MAX_PATH + 1];
  if (!GetTempPathW(MAX_PATH + 1, temp) || !GetTempFileNameW(temp, L"qvu", 0, name)) return error;
  if (!MoveFileExW(place.c_str(), name, MOVEFILE_REPLACE_EXISTING)) {
    DeleteFileW(name);
    return error;
  }
  if (!MoveFileExW(name, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT)) {
    const DWORD refused = GetLastError();
    Leftover(leftovers, ShownPath(std::wstring(name)), refused,
             "the uninstaller, moved here, could not be set to be deleted at the next start");
  }
  return 0;
}

}  // namespace

RegistrationPlace RegistrationPlaceIn(const std::string& folder, const std::string& product) {
  RegistrationPlace place;
  place.folder = folder;
  place.record = folder + "\\" + kRecordName;
  place.uninstaller = folder + "\\" + kUninstallerName;
  place.key = kUninstallKey + WideFromAnsi(std::string(kPublisher) + "." + FolderNameOf(product));
  return place;
}

RegistrationPlace RegistrationPlaceOf(const std::string& product) {
  return RegistrationPlaceIn(BaseFolder() + "\\" + FolderNameOf(product), product);
}

bool LoadInstallRecord(const std::string& path, InstallRecord* record, std::string* why, bool* missing) {
  *missing = false;
  const HANDLE file = CreateFileW(LongPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    *missing = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
    *why = SystemErrorText(error);
    return false;
  }
  std::vector<uint8_t> bytes;
  const bool read = ReadWholeFile(file, kMaxRecordBytes, &bytes);
  CloseHandle(file);
  if (!read) {
    *why = "it cannot be read whole, or is larger than any record";
    return false;
  }
  return ReadRecord(bytes.data(), bytes.size(), record, why, IsAnsiLeadByte);
}

UninstallEntry EntryOf(const InstallRecord& record, const std::string& uninstaller) {
  UninstallEntry entry;
  entry.displayName = record.product;
  entry.displayVersion = record.version;
  entry.publisher = kPublisher;
  entry.installLocation = record.destination;
  entry.uninstallString = "\"" + uninstaller + "\" /UNINSTALL";
  entry.quietUninstallString = entry.uninstallString + " /S";
  entry.displayIcon = uninstaller + ",0";
  uint64_t bytes = 0;
  for (const RecordedFile& file : record.files) bytes += file.size;
  const uint64_t kib = (bytes + 1023) / 1024;
  entry.estimatedSizeKiB = kib > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(kib);
  SYSTEMTIME today;
  GetLocalTime(&today);
  char date[16];
  wsprintfA(date, "%04u%02u%02u", today.wYear, today.wMonth, today.wDay);
  entry.installDate = date;
  entry.noModify = entry.noRepair = 1;
  return entry;
}

Registration::Registration(const std::string& product) : place(RegistrationPlaceOf(product)) {}

Registration::~Registration() { Discard(); }

bool Registration::Prepare(const InstallRecord& installed, InstallFailure* failure) {
  record = installed;
  prepared = true;
  if (!MakeFolders(place.folder, &madeFolders, failure) ||
      !WriteWholeFile(Staged(place.record), RecordText(record), *disk, failure))
    return false;
  std::string self, why;
  const std::string staged = Staged(place.uninstaller);
  if (!ModulePath(&self, &why)) return Fail(failure, staged, ERROR_BAD_PATHNAME, why);
  if (!CopyFileW(LongPath(self).c_str(), LongPath(staged).c_str(), FALSE)) {
    const DWORD error = GetLastError();
    return Fail(failure, staged, error, "the uninstaller could not be written");
  }
  const HANDLE copy = CreateFileW(LongPath(staged).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  const bool flushed = copy != INVALID_HANDLE_VALUE && disk->Flush(copy, staged);
  const DWORD error = flushed ? 0 : GetLastError();
  if (copy != INVALID_HANDLE_VALUE) CloseHandle(copy);
  if (!flushed) return Fail(failure, staged, error, "the uninstaller could not be written to the disk");
  return true;
}

void Registration::Publish(std::vector<InstallFailure>* leftovers) {
  if (!prepared) return;
  prepared = false;
  const auto put = [&](const std::string& path, const char* what) {
    if (MoveFileExW(LongPath(Staged(path)).c_str(), LongPath(path).c_str(),
                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
      return true;
    Leftover(leftovers, path, GetLastError(), std::string("the ") + what + " could not be put in force");
    return false;
  };
  if (!put(place.record, "install record") || !put(place.uninstaller, "uninstaller")) return;
  const UninstallEntry entry = EntryOf(record, place.uninstaller);
  HKEY key = nullptr;
  const LONG made = RegCreateKeyExW(HKEY_LOCAL_MACHINE, place.key.c_str(), 0, nullptr, 0, KEY_SET_VALUE | kView,
                                    nullptr, &key, nullptr);
  if (made != ERROR_SUCCESS) {
    Leftover(leftovers, "HKLM\\" + ShownPath(place.key), made, "the Apps & features entry could not be made");
    return;
  }
  bool set = SetString(key, L"DisplayName", entry.displayName) && SetString(key, L"Publisher", entry.publisher) &&
             SetString(key, L"InstallLocation", entry.installLocation) &&
             SetString(key, L"UninstallString", entry.uninstallString) &&
             SetString(key, L"QuietUninstallString", entry.quietUninstallString) &&
             SetString(key, L"DisplayIcon", entry.displayIcon) && SetString(key, L"InstallDate", entry.installDate) &&
             SetNumber(key, L"EstimatedSize", entry.estimatedSizeKiB) && SetNumber(key, L"NoModify", 1) &&
             SetNumber(key, L"NoRepair", 1);
  // An upgrade to a version-less product leaves no stale version behind.
  if (set && !entry.displayVersion.empty())
    set = SetString(key, L"DisplayVersion", entry.displayVersion);
  else if (set)
    RegDeleteValueW(key, L"DisplayVersion");
  RegCloseKey(key);
  if (!set)
    Leftover(leftovers, "HKLM\\" + ShownPath(place.key), ERROR_WRITE_FAULT,
             "the Apps & features entry could not be written whole");
}

void Registration::Discard() {
  if (!prepared) return;
  prepared = false;
  DeleteFileW(LongPath(Staged(place.record)).c_str());
  DeleteFileW(LongPath(Staged(place.uninstaller)).c_str());
  // The folders Prepare made (a first install's, and the shared folder of
  // uninstallers when there was none), innermost first.
  for (auto folder = madeFolders.rbegin(); folder != madeFolders.rend(); ++folder)
    RemoveDirectoryW(LongPath(*folder).c_str());
  madeFolders.clear();
}

void Unregister(const RegistrationPlace& place, std::vector<InstallFailure>* leftovers) {
  const LONG deleted = RegDeleteKeyExW(HKEY_LOCAL_MACHINE, place.key.c_str(), kView, 0);
  if (deleted != ERROR_SUCCESS && deleted != ERROR_FILE_NOT_FOUND)
    Leftover(leftovers, "HKLM\\" + ShownPath(place.key), deleted, "the Apps & features entry could not be removed");
  const DWORD error = DeleteFileAlways(LongPath(place.record));
  if (error && error != ERROR_FILE_NOT_FOUND)
    Leftover(leftovers, place.record, error, "the install record could not be removed");
  if (const DWORD running = DeleteRunningFile(place.uninstaller, leftovers))
    Leftover(leftovers, place.uninstaller, running, "the uninstaller could not be removed");
  if (!RemoveDirectoryW(LongPath(place.folder).c_str())) {
    const DWORD error = GetLastError();
    if (error != ERROR_FILE_NOT_FOUND) Leftover(leftovers, place.folder, error, "its folder could not be removed");
  }
  // The common folder goes with the last product in it.
  RemoveDirectoryW(LongPath(ParentFolder(place.folder)).c_str());
}
