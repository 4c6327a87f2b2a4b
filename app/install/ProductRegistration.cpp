#include "app/install/ProductRegistration.h"

#include <windows.h>

#include <algorithm>
#include <set>
#include <vector>

#include "app/install/AdminFolder.h"
#include "app/install/FileTree.h"
#include "app/install/InstallLog.h"
#include "app/install/InstallTarget.h"
#include "app/install/PathNames.h"
#include "app/install/InstallUndo.h"
#include "common/AnsiText.h"
#include "common/ContentHash.h"

const char kPublisher[] = "Kestrova";

namespace {

const char kRecordName[] = "install record";
const char kUninstallerName[] = "uninstall.exe";
// The longest name of a file beside the record: a kept record's, staged.
constexpr size_t kLongestFileName = sizeof kRecordName + 16 + 16;
const wchar_t kUninstallKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
constexpr REGSAM kView = KEY_WOW64_32KEY;

// A new file waits beside the one in force under a name of its own
// process's, so that two runs never write one file; the one in force
// waits so, once moved aside, until the commit.
std::string Staged(const std::string& path, uint32_t process) { return path + ".new-" + std::to_string(process); }
std::string Earlier(const std::string& path, uint32_t process) { return path + ".old-" + std::to_string(process); }
uint32_t Self() { return GetCurrentProcessId(); }

bool Exists(const std::string& path) { return GetFileAttributesW(LongPath(path).c_str()) != INVALID_FILE_ATTRIBUTES; }

// The product's own name where it makes a good folder name and the paths
// fit; else one made from a hash of it, letter case aside.
std::string FolderNameOf(const std::string& product) {
  const size_t base = std::max(AdminFolder().size(), LegacyAdminFolder().size());
  const size_t longest = kMaxPathLength > base + 2 + kLongestFileName ? kMaxPathLength - base - 2 - kLongestFileName : 0;
  if (CheckName(product.c_str()) == NameProblem::kNone && PathLength(product) <= longest) return product;
  const std::wstring folded = CaseFolded(WideFromUtf8(product));
  return "product-" + HashText(ContentHash::Of(folded.data(), folded.size() * sizeof(wchar_t)));
}

RegistrationPlace PlaceNamed(const std::string& folder, const std::string& folderName) {
  RegistrationPlace place;
  place.folder = folder;
  place.record = folder + "\\" + kRecordName;
  place.uninstaller = folder + "\\" + kUninstallerName;
  place.key = kUninstallKey + WideFromUtf8(std::string(kPublisher) + "." + folderName);
  return place;
}

// A registration's folder that a journal names: a product's folder in the
// admin folder or the legacy one, never anywhere else.
bool IsRegistrationFolder(const std::string& folder) {
  const std::string parent = ParentFolder(folder);
  const std::string name = folder.substr(std::min(folder.size(), parent.size() + 1));
  return !parent.empty() && CheckName(name.c_str()) == NameProblem::kNone &&
         (PathKey(parent) == PathKey(AdminFolder()) || PathKey(parent) == PathKey(LegacyAdminFolder()));
}

RegistrationPlace PlaceAt(const std::string& folder) {
  const std::string parent = ParentFolder(folder);
  return PlaceNamed(folder, folder.substr(parent.size() + 1));
}

bool IsHexName(const std::string& text) {
  if (text.size() != 16) return false;
  for (char c : text)
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
  return true;
}

// A file of a registration that a journal names: the record, the
// uninstaller or a kept record, in a registration's folder.
bool IsRegistrationFile(const std::string& path) {
  const std::string folder = ParentFolder(path);
  if (folder.empty() || !IsRegistrationFolder(folder)) return false;
  const std::string name = path.substr(folder.size() + 1);
  const size_t record = sizeof kRecordName - 1;
  return name == kRecordName || name == kUninstallerName ||
         (name.size() == record + 17 && name.compare(0, record, kRecordName) == 0 && name[record] == ' ' &&
          IsHexName(name.substr(record + 1)));
}

bool ReadBytes(const std::string& path, std::string* bytes) {
  const HANDLE file = CreateFileW(LongPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  std::vector<uint8_t> read;
  const bool whole = ReadWholeFile(file, kMaxRecordBytes, &read);
  CloseHandle(file);
  bytes->assign(read.begin(), read.end());
  return whole;
}

bool WriteWholeFile(const std::string& path, const std::string& bytes, DiskFlush& disk, InstallFailure* failure) {
  AFile file(nullptr, CreateFileW(LongPath(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
  if (file.handle == INVALID_HANDLE_VALUE) return Fail(failure, path, GetLastError());
  const bool ok = WriteDurably(file, bytes, true, disk, path, "the file", failure);
  file.Close();
  if (!ok) DeleteFileW(LongPath(path).c_str());
  return ok;
}

void Leftover(std::vector<InstallFailure>* leftovers, const std::string& path, DWORD error, const std::string& why) {
  leftovers->push_back(MakeFailure(path, error, why));
}

bool SetString(HKEY key, const wchar_t* name, const std::string& value) {
  const std::wstring wide = WideFromUtf8(value);
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

// The installed date of the entry at key, when it has one of eight digits.
bool EntryThere(const std::wstring& key, std::string* date) {
  HKEY open = nullptr;
  date->clear();
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_QUERY_VALUE | kView, &open) != ERROR_SUCCESS) return false;
  wchar_t value[16] = {};
  DWORD type = 0, size = sizeof value - sizeof(wchar_t);
  if (RegQueryValueExW(open, L"InstallDate", nullptr, &type, reinterpret_cast<BYTE*>(value), &size) == ERROR_SUCCESS &&
      type == REG_SZ && size >= 8 * sizeof(wchar_t)) {
    std::string text;
    for (int i = 0; i < 8; ++i)
      if (value[i] >= L'0' && value[i] <= L'9') text += static_cast<char>(value[i]);
    if (text.size() == 8 && (value[8] == 0 || size == 8 * sizeof(wchar_t))) *date = text;
  }
  RegCloseKey(open);
  return true;
}

// Writes the entry of record, installed on date ("" for today), and puts
// it on the disk.
bool WriteEntry(const RegistrationPlace& place, const InstallRecord& record, const std::string& date,
                InstallFailure* failure) {
  UninstallEntry entry = EntryOf(record, place.uninstaller);
  if (!date.empty()) entry.installDate = date;
  const std::string shown = "HKLM\\" + ShownPath(place.key);
  HKEY key = nullptr;
  const LONG made = RegCreateKeyExW(HKEY_LOCAL_MACHINE, place.key.c_str(), 0, nullptr, 0, KEY_SET_VALUE | kView,
                                    nullptr, &key, nullptr);
  if (made != ERROR_SUCCESS) return Fail(failure, shown, made, "the Apps & features entry could not be made");
  bool set = SetString(key, L"DisplayName", entry.displayName) && SetString(key, L"Publisher", entry.publisher) &&
             SetString(key, L"InstallLocation", entry.installLocation) &&
             SetString(key, L"UninstallString", entry.uninstallString) &&
             SetString(key, L"QuietUninstallString", entry.quietUninstallString) &&
             SetString(key, L"DisplayIcon", entry.displayIcon) && SetString(key, L"InstallDate", entry.installDate) &&
             SetNumber(key, L"EstimatedSize", entry.estimatedSizeKiB) && SetNumber(key, L"NoModify", 1) &&
             SetNumber(key, L"NoRepair", 1);
  // An upgrade to a version-less product leaves no stale version behind.
  if (set && !entry.displayVersion.empty()) {
    set = SetString(key, L"DisplayVersion", entry.displayVersion);
  } else if (set) {
    const LONG removed = RegDeleteValueW(key, L"DisplayVersion");
    set = removed == ERROR_SUCCESS || removed == ERROR_FILE_NOT_FOUND;
  }
  const LONG flushed = set ? RegFlushKey(key) : ERROR_SUCCESS;
  RegCloseKey(key);
  if (!set || flushed != ERROR_SUCCESS)
    return Fail(failure, shown, set ? flushed : ERROR_WRITE_FAULT, "the Apps & features entry could not be written whole");
  return true;
}

// Moves a file, replacing what is there, and the move onto the disk.
DWORD MoveReplacing(const std::string& from, const std::string& to) {
  return MoveFileExW(LongPath(from).c_str(), LongPath(to).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)
             ? 0
             : GetLastError();
}

void DeleteIfThere(const std::string& path, const char* what, std::vector<InstallFailure>* leftovers) {
  const DWORD error = DeleteFileAlways(LongPath(path));
  if (error && error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND)
    Leftover(leftovers, path, error, std::string(what) + " could not be removed");
}

// The registration entries of journal that name a place the installer
// keeps registrations in; others are told, and never acted on.
std::vector<const JournalEntry*> TrustedRegistrationSteps(const Journal& journal,
                                                          std::vector<InstallFailure>* leftovers) {
  std::vector<const JournalEntry*> steps;
  for (const JournalEntry& entry : journal.plan) {
    if (!IsRegistration(entry.step)) continue;
    const bool placed = entry.step == JournalStep::kRegister ? IsRegistrationFile(entry.path)
                                                             : IsRegistrationFolder(entry.path);
    if (placed)
      steps.push_back(&entry);
    else
      Leftover(leftovers, entry.path, ERROR_NOT_SUPPORTED,
               "a journal names it as a product's registration, which it is not, so it is left");
  }
  return steps;
}

}  // namespace

RegistrationPlace RegistrationPlaceIn(const std::string& folder, const std::string& product) {
  return PlaceNamed(folder, FolderNameOf(product));
}

RegistrationPlace RegistrationPlaceOf(const std::string& product) {
  const std::string name = FolderNameOf(product);
  const RegistrationPlace place = PlaceNamed(AdminFolder() + "\\" + name, name);
  if (PathKey(AdminFolder()) == PathKey(LegacyAdminFolder()) || Exists(place.record)) return place;
  // Registered by a release that wrote under the legacy path: it stays
  // there, so that upgrades and the uninstaller find one record.
  const RegistrationPlace legacy = PlaceNamed(LegacyAdminFolder() + "\\" + name, name);
  return Exists(legacy.record) ? legacy : place;
}

std::string OtherRecordPath(const RegistrationPlace& place, const std::string& destination) {
  return place.record + " " + PathKeyHash(destination);
}

std::vector<std::string> OtherRecordPaths(const RegistrationPlace& place) {
  std::vector<std::string> paths;
  std::vector<ListedEntry> entries;
  ListFolder(LongPath(place.folder), &entries);
  for (const ListedEntry& entry : entries) {
    std::string name;
    if (entry.IsFolder() || !Utf8FromWide(entry.name, &name)) continue;
    const std::string path = place.folder + "\\" + name;
    if (name != kRecordName && IsRegistrationFile(path) && name.compare(0, sizeof kRecordName - 1, kRecordName) == 0)
      paths.push_back(path);
  }
  return paths;
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
  return ReadRecord(bytes.data(), bytes.size(), record, why, SystemAnsiForm());
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

std::vector<JournalEntry> Registration::Plan(uint32_t first, const std::string& destination,
                                             const std::vector<std::string>& others) {
  std::vector<JournalEntry> plan;
  uint32_t index = first;
  const auto file = [&](const std::string& path) {
    plan.push_back({JournalStep::kRegister, index++, Exists(path) ? 1u : 0u, path});
  };
  file(place.record);
  file(place.uninstaller);
  std::set<std::wstring> installed = {PathKey(destination)};
  for (const std::string& other : others) installed.insert(PathKey(other));
  // The record in force tells of another folder that is still there, and
  // that this install does not go into: it stays, beside the new one, byte
  // for byte as read here once.
  InstallRecord inForce;
  std::string why;
  keptPath.clear();
  if (ReadBytes(place.record, &keptBytes) &&
      ReadRecord(reinterpret_cast<const uint8_t*>(keptBytes.data()), keptBytes.size(), &inForce, &why,
                 SystemAnsiForm()) &&
      !installed.count(PathKey(inForce.destination)) && FolderExists(inForce.destination.c_str())) {
    keptPath = OtherRecordPath(place, inForce.destination);
    file(keptPath);
  } else {
    keptBytes.clear();
  }
  // This folder's own kept record: the new record takes its place.
  const std::string own = OtherRecordPath(place, destination);
  if (Exists(own)) file(own);
  // Each other folder of the install has its own record beside it.
  otherPaths.clear();
  for (const std::string& other : others) {
    otherPaths.push_back(OtherRecordPath(place, other));
    file(otherPaths.back());
  }
  std::string date;
  const bool hadEntry = EntryThere(place.key, &date);
  plan.push_back({JournalStep::kEntry, index++, hadEntry ? 1u : 0u, place.folder, date});
  return plan;
}

bool Registration::Prepare(const InstallRecord& installed, InstallFailure* failure,
                           const std::vector<InstallRecord>& others) {
  record = installed;
  prepared = true;
  if (others.size() != otherPaths.size())
    return Fail(failure, place.folder, ERROR_INVALID_PARAMETER, "the records do not match the registration's plan");
  if (!MakeAdminFolders(place.folder, &madeFolders, failure) ||
      !WriteWholeFile(Staged(place.record, Self()), RecordText(record), *disk, failure) ||
      (!keptPath.empty() && !WriteWholeFile(Staged(keptPath, Self()), keptBytes, *disk, failure)))
    return false;
  for (size_t i = 0; i < others.size(); ++i)
    if (!WriteWholeFile(Staged(otherPaths[i], Self()), RecordText(others[i]), *disk, failure)) return false;
  std::string self, why;
  const std::string staged = Staged(place.uninstaller, Self());
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

bool Registration::TakeStep(const JournalEntry& entry, InstallFailure* failure) {
  if (!prepared) return Fail(failure, place.folder, ERROR_INVALID_PARAMETER, "the registration is not prepared");
  if (entry.step == JournalStep::kEntry) return WriteEntry(place, record, std::string(), failure);
  if (entry.step != JournalStep::kRegister)
    return Fail(failure, place.folder, ERROR_INVALID_PARAMETER, "the step is not the registration's");
  // The one in force aside (deleted at the commit, put back by an undo),
  // then the new one in.
  const std::string& path = entry.path;
  if (Exists(path))
    if (const DWORD error = MoveReplacing(path, Earlier(path, Self())))
      return Fail(failure, path, error, "the file in force could not be moved aside");
  if (Exists(Staged(path, Self())))
    if (const DWORD error = MoveReplacing(Staged(path, Self()), path))
      return Fail(failure, path, error, "the new file could not be put in force");
  return true;
}

void Registration::Discard() {
  if (!prepared) return;
  prepared = false;
  for (const std::string& path : {place.record, place.uninstaller, keptPath})
    if (!path.empty()) DeleteFileW(LongPath(Staged(path, Self())).c_str());
  for (const std::string& path : otherPaths) DeleteFileW(LongPath(Staged(path, Self())).c_str());
  // The folders Prepare made (a first install's, and the shared folder of
  // uninstallers when there was none), innermost first, while empty.
  for (auto folder = madeFolders.rbegin(); folder != madeFolders.rend(); ++folder)
    RemoveDirectoryW(LongPath(*folder).c_str());
  madeFolders.clear();
}

void UndoRegistration(const Journal& journal, std::vector<InstallFailure>* leftovers) {
  const std::vector<const JournalEntry*> steps = TrustedRegistrationSteps(journal, leftovers);
  const uint32_t process = journal.processId;
  std::string folder;
  // Files first, newest first: the entry is rewritten from the record
  // put back.
  for (auto at = steps.rbegin(); at != steps.rend(); ++at) {
    const JournalEntry& entry = **at;
    if (entry.step != JournalStep::kRegister) continue;
    folder = ParentFolder(entry.path);
    if (journal.begun.count(entry.index)) {
      if (Exists(Earlier(entry.path, process))) {
        if (const DWORD error = MoveReplacing(Earlier(entry.path, process), entry.path))
          Leftover(leftovers, entry.path, error,
                   "the earlier one could not be put back; it is kept as " + Earlier(entry.path, process));
      } else if (entry.attributes == 0) {
        DeleteIfThere(entry.path, "the new one", leftovers);
      }
    }
    DeleteIfThere(Staged(entry.path, process), "a new file", leftovers);
  }
  for (const JournalEntry* entry : steps) {
    if (!journal.begun.count(entry->index)) continue;
    const RegistrationPlace place = PlaceAt(entry->path);
    folder = entry->path;
    if (entry->step == JournalStep::kUnregister) {
      Unregister(place, leftovers);
    } else if (entry->step == JournalStep::kEntry && entry->attributes == 0) {
      const LONG deleted = RegDeleteKeyExW(HKEY_LOCAL_MACHINE, place.key.c_str(), kView, 0);
      if (deleted != ERROR_SUCCESS && deleted != ERROR_FILE_NOT_FOUND)
        Leftover(leftovers, "HKLM\\" + ShownPath(place.key), deleted, "the Apps & features entry could not be removed");
    } else if (entry->step == JournalStep::kEntry) {
      InstallRecord earlier;
      std::string why;
      bool missing = false;
      InstallFailure failure;
      if (!LoadInstallRecord(place.record, &earlier, &why, &missing))
        Leftover(leftovers, "HKLM\\" + ShownPath(place.key), ERROR_INVALID_DATA,
                 "the Apps & features entry could not be put back: the record is not read (" + why + ")");
      else if (!WriteEntry(place, earlier, entry->note, &failure))
        leftovers->push_back(failure);
    }
  }
  // A first registration's folder goes with it, and the shared folder
  // with the last one, while empty.
  if (!folder.empty()) {
    RemoveDirectoryW(LongPath(folder).c_str());
    RemoveDirectoryW(LongPath(ParentFolder(folder)).c_str());
  }
}

void FinishRegistration(const Journal& journal, std::vector<InstallFailure>* leftovers) {
  for (const JournalEntry* entry : TrustedRegistrationSteps(journal, leftovers)) {
    if (entry->step == JournalStep::kRegister) {
      // The earlier uninstaller may be running (its question open while
      // this install ran): it goes as a running program's file does.
      const std::string earlier = Earlier(entry->path, journal.processId);
      if (const DWORD error = DeleteRunningFile(earlier, leftovers))
        Leftover(leftovers, earlier, error, "an earlier file of the registration could not be removed");
      DeleteIfThere(Staged(entry->path, journal.processId), "a new file", leftovers);
    } else if (entry->step == JournalStep::kUnregister && journal.begun.count(entry->index)) {
      Unregister(PlaceAt(entry->path), leftovers);
    }
  }
}

void Unregister(const RegistrationPlace& place, std::vector<InstallFailure>* leftovers) {
  const LONG deleted = RegDeleteKeyExW(HKEY_LOCAL_MACHINE, place.key.c_str(), kView, 0);
  if (deleted != ERROR_SUCCESS && deleted != ERROR_FILE_NOT_FOUND)
    Leftover(leftovers, "HKLM\\" + ShownPath(place.key), deleted, "the Apps & features entry could not be removed");
  for (const std::string& other : OtherRecordPaths(place)) DeleteIfThere(other, "a kept install record", leftovers);
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
