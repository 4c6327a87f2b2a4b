#include "app/install/AFile.h"

int AFile::Clear() {
  handle = INVALID_HANDLE_VALUE;
  name = nullptr;
  baseOffset = 0;
  return 0;
}

AFile::~AFile() { Close(); }

HANDLE AFile::OpenWith(DWORD access, DWORD disposition) {
  return CreateFileA(name, access, 0, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
}

int AFile::OpenRead(int) {
  handle = OpenWith(GENERIC_READ, OPEN_EXISTING);
  return handle == INVALID_HANDLE_VALUE ? 1 : 0;
}

int AFile::OpenAppend(int) {
  handle = OpenWith(GENERIC_WRITE, OPEN_EXISTING);
  if (handle == INVALID_HANDLE_VALUE) return -1;
  LARGE_INTEGER zero = {};
  return SetFilePointerEx(handle, zero, nullptr, FILE_END) ? 0 : -1;
}

int AFile::OpenWrite(int, int, int) {
  handle = OpenWith(GENERIC_WRITE, CREATE_ALWAYS);
  return handle == INVALID_HANDLE_VALUE ? 1 : 0;
}

int AFile::OpenReadWrite(int, int, int) {
  handle = OpenWith(GENERIC_READ | GENERIC_WRITE, OPEN_ALWAYS);
  return handle == INVALID_HANDLE_VALUE ? 1 : 0;
}

void AFile::Close() {
  if (handle != nullptr) {
    if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
    handle = nullptr;
  }
}

int AFile::Size() {
  if (handle == nullptr) return 0;
  return static_cast<int>(GetFileSize(handle, nullptr));
}

int AFile::MarkBase() {
  DWORD position = SetFilePointer(handle, 0, nullptr, FILE_CURRENT);
  if (position == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR) return -1;
  baseOffset = static_cast<int32_t>(position);
  return 0;
}

int AFile::Tell() { return static_cast<int>(SetFilePointer(handle, 0, nullptr, FILE_CURRENT)); }

int AFile::SeekFromBase(int offset) {
  LARGE_INTEGER target;
  target.QuadPart = static_cast<LONGLONG>(baseOffset) + offset;
  return SetFilePointerEx(handle, target, nullptr, FILE_BEGIN) ? 0 : -1;
}

int AFile::Write(const void* buffer, int count) {
  DWORD written = 0;
  if (count < 0 || !WriteFile(handle, buffer, static_cast<DWORD>(count), &written, nullptr)) return 0;
  return static_cast<int>(written);
}

int AFile::Read(void* buffer, int count) {
  DWORD got = 0;
  if (count < 0 || !ReadFile(handle, buffer, static_cast<DWORD>(count), &got, nullptr)) return 0;
  return static_cast<int>(got);
}

static bool IsLineEnd(char c) { return c == '\n' || c == '\r'; }

int AFile::ReadLine(char* buffer, int max) {
  int count = 0;
  while (count < max) {
    if (Read(buffer + count, 1) != 1) break;
    if (IsLineEnd(buffer[count])) {
      if (count == 0) continue;
      break;
    }
    ++count;
  }
  if (max >= 0) buffer[count] = '\0';
  return count;
}

int AFile::ReadLineKeepBlank(char* buffer, int max) {
  int count = 0;
  if (max <= 0) {
    if (max == 0) buffer[0] = '\0';
    return 0;
  }
  while (count < max) {
    if (Read(buffer + count, 1) != 1) break;
    if (IsLineEnd(buffer[count])) {
      if (count == 0) buffer[count++] = ' ';
      break;
    }
    ++count;
  }
  buffer[count] = '\0';
  return count;
}
