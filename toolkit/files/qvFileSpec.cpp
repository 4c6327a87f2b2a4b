#include "toolkit/files/qvFileSpec.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <initializer_list>

#include "common/AnsiText.h"
#include "common/ModuleInstance.h"
#include "common/UnicodeText.h"

namespace {

// out = the parts one after the other, when they fit in a path buffer with
// the terminating zero; otherwise out is left as it was and the result is
// false. out may be one of the parts.
bool JoinWithin(char* out, std::initializer_list<const char*> parts) {
  char joined[kFileSpecPathSize];
  size_t used = 0, units = 0;
  for (const char* part : parts) {
    const size_t n = std::strlen(part);
    units += Utf16Length(part, n);
    if (n >= sizeof joined - used || units > 259) return false;
    std::memcpy(joined + used, part, n);
    used += n;
  }
  joined[used] = '\0';
  std::memcpy(out, joined, used + 1);
  return true;
}

bool EndsWithSeparator(const char* text) {
  const size_t n = std::strlen(text);
  return n > 0 && text[n - 1] == '\\';
}

}  // namespace

qvFileSpec::qvFileSpec() : findHandle(nullptr), findData(), firstPending(0) {
  fullPath[0] = fileName[0] = folder[0] = '\0';
}

qvFileSpec::qvFileSpec(const char* path) : qvFileSpec() {
  if (path && JoinWithin(fullPath, {path})) SplitPath();
}

qvFileSpec::~qvFileSpec() { qvFileSpec::EndFind(); }

void qvFileSpec::EnterFolder(const char* name) {
  EnsureFolderSeparator();
  if (!EndsWithSeparator(folder) || !JoinWithin(folder, {folder, name ? name : "", "\\"})) {
    fullPath[0] = '\0';
    return;
  }
  JoinPath();
}

void qvFileSpec::SetFileName(const char* name) {
  if (!JoinWithin(fileName, {name ? name : ""})) {
    fileName[0] = fullPath[0] = '\0';
    return;
  }
  JoinPath();
}

bool qvFileSpec::Exists() { return GetFileAttributesW(WideFromUtf8(fullPath).c_str()) != INVALID_FILE_ATTRIBUTES; }

const char* qvFileSpec::GetFullPath() { return fullPath; }
const char* qvFileSpec::GetFileName() { return fileName; }
const char* qvFileSpec::GetFolder() { return folder; }

bool qvFileSpec::FindFirst(int typeCode) {
  EndFind();
  EnsureFolderSeparator();
  char extension[8];
  ExtensionForType(typeCode, extension);
  char pattern[kFileSpecPathSize];
  firstPending = 0;
  if (!EndsWithSeparator(folder) || !JoinWithin(pattern, {folder, "*", extension})) return false;
  const HANDLE found = FindFirstFileW(WideFromUtf8(pattern).c_str(), &findData);
  if (found == INVALID_HANDLE_VALUE) return false;
  findHandle = found;
  return true;
}

bool qvFileSpec::FindNext() {
  while (findHandle) {
    if (firstPending == 0) {
      firstPending = 1;
    } else if (!FindNextFileW(findHandle, &findData)) {
      EndFind();
      return false;
    }
    // A name that is not well formed, or too long for the folder, is
    // passed over: never cut, never a look-alike.
    std::string name;
    char joined[kFileSpecPathSize];
    if (Utf8FromWide(findData.cFileName, &name) && JoinWithin(joined, {folder, name.c_str()})) {
      SetFileName(name.c_str());
      return true;
    }
  }
  return false;
}

void qvFileSpec::Clear() {
  EndFind();
  fullPath[0] = fileName[0] = folder[0] = '\0';
  firstPending = 0;
}

void qvFileSpec::EndFind() {
  if (findHandle) FindClose(findHandle);
  findHandle = nullptr;
}

void qvFileSpec::SplitPath() {
  const char* last = std::strrchr(fullPath, '\\');
  if (!last) {
    std::strcpy(folder, fullPath);
    return;
  }
  const size_t folderLength = static_cast<size_t>(last - fullPath) + 1;
  std::strcpy(fileName, last + 1);
  std::memcpy(folder, fullPath, folderLength);
  folder[folderLength] = '\0';
}

void qvFileSpec::JoinPath() {
  EnsureFolderSeparator();
  if (!EndsWithSeparator(folder) || !JoinWithin(fullPath, {folder, fileName})) fullPath[0] = '\0';
}

void qvFileSpec::EnsureFolderSeparator() {
  if (!EndsWithSeparator(folder)) JoinWithin(folder, {folder, "\\"});
}

void qvFileSpec::ExtensionForType(int typeCode, char* out) {
  const char* extension = typeCode == kFindIllustrator ? ".ai" : typeCode == kFindBitmap ? ".bmp" : ".*";
  std::strcpy(out, extension);
}

bool qvFileSpec::TakeDialogResult(bool chosen, const char* path, const char* title, size_t nameOffset,
                                  bool setFolder) {
  if (!chosen || !JoinWithin(fullPath, {path}) || !JoinWithin(fileName, {title})) {
    Clear();
    return false;
  }
  if (setFolder) {
    const size_t cut = nameOffset < std::strlen(fullPath) ? nameOffset : std::strlen(fullPath);
    std::memcpy(folder, fullPath, cut);
    folder[cut] = '\0';
  }
  return true;
}

bool qvFileSpec::TakeWideDialogResult(bool chosen, const wchar_t* path, const wchar_t* title, size_t nameOffset,
                                      bool setFolder) {
  const std::wstring wide = path;
  std::string utf8Path, utf8Title, head;
  const bool whole = chosen && Utf8FromWide(wide, &utf8Path) && Utf8FromWide(title, &utf8Title) &&
                     Utf8FromWide(wide.substr(0, std::min(nameOffset, wide.size())), &head);
  return TakeDialogResult(whole, utf8Path.c_str(), utf8Title.c_str(), head.size(), setFolder);
}

void CopyPathTail(const qvFileSpec& spec, char* destination) {
  const size_t n = std::strlen(spec.fullPath);
  const size_t start = n > kFileSpecPathSize - 1 ? n - (kFileSpecPathSize - 1) : 0;
  std::memmove(destination, spec.fullPath + start, n - start + 1);
}

bool ModuleHasDialog(int id) {
  return FindResourceA(ModuleInstance(), MAKEINTRESOURCEA(id), reinterpret_cast<LPCSTR>(RT_DIALOG)) != nullptr;
}
