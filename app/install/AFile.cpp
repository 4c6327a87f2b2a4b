#include "app/install/AFile.h"

#include "common/AnsiText.h"

void AFile::Clear() {
  handle = INVALID_HANDLE_VALUE;
  name = nullptr;
  baseOffset = 0;
}

AFile::~AFile() { Close(); }

bool AFile::Failed() { return Failed(GetLastError()); }

bool AFile::Failed(uint32_t code) {
  error = code;
  return false;
}

bool AFile::OpenWith(DWORD access, DWORD share, DWORD disposition) {
  handle = CreateFileW(WideFromUtf8(name).c_str(), access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
  return handle != INVALID_HANDLE_VALUE || Failed();
}

bool AFile::OpenRead() { return OpenWith(GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING); }

bool AFile::OpenAppend() {
  if (!OpenWith(GENERIC_WRITE, 0, OPEN_EXISTING)) return false;
  LARGE_INTEGER zero = {};
  return SetFilePointerEx(handle, zero, nullptr, FILE_END) || Failed();
}

bool AFile::OpenWrite() { return OpenWith(GENERIC_WRITE, 0, CREATE_ALWAYS); }

bool AFile::OpenCreateNew() { return OpenWith(GENERIC_WRITE, 0, CREATE_NEW); }

bool AFile::OpenReadWrite() { return OpenWith(GENERIC_READ | GENERIC_WRITE, 0, OPEN_ALWAYS); }

void AFile::Close() {
  if (handle != nullptr) {
    if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
    handle = nullptr;
  }
}

bool AFile::Size(uint64_t* size) {
  LARGE_INTEGER value;
  if (!GetFileSizeEx(handle, &value)) return Failed();
  *size = static_cast<uint64_t>(value.QuadPart);
  return true;
}

bool AFile::MarkBase() {
  int64_t position = 0;
  if (!Tell(&position)) return false;
  baseOffset = position;
  return true;
}

bool AFile::Tell(int64_t* position) {
  LARGE_INTEGER zero = {}, now;
  if (!SetFilePointerEx(handle, zero, &now, FILE_CURRENT)) return Failed();
  *position = now.QuadPart;
  return true;
}

bool AFile::SeekFromBase(int64_t offset) {
  LARGE_INTEGER target;
  target.QuadPart = baseOffset + offset;
  return SetFilePointerEx(handle, target, nullptr, FILE_BEGIN) || Failed();
}

bool AFile::Read(void* buffer, uint32_t count, uint32_t* got) {
  DWORD read = 0;
  *got = 0;
  if (!ReadFile(handle, buffer, count, &read, nullptr)) return Failed();
  *got = read;
  return true;
}

bool AFile::ReadWhole(void* buffer, uint32_t count) {
  auto* at = static_cast<char*>(buffer);
  while (count > 0) {
    uint32_t got = 0;
    if (!Read(at, count, &got)) return false;
    if (got == 0) return Failed(ERROR_HANDLE_EOF);
    at += got;
    count -= got;
  }
  return true;
}

bool AFile::Write(const void* buffer, uint32_t count) {
  const auto* at = static_cast<const char*>(buffer);
  while (count > 0) {
    DWORD written = 0;
    if (!WriteFile(handle, at, count, &written, nullptr)) return Failed();
    // A full volume takes what fits and reports success; only the next
    // write fails. One that takes nothing at all has no room left.
    if (written == 0) return Failed(ERROR_DISK_FULL);
    at += written;
    count -= written;
  }
  return true;
}

namespace {

bool IsLineEnd(char c) { return c == '\n' || c == '\r'; }

}  // namespace

int AFile::ReadLine(char* buffer, int max) {
  int count = 0;
  uint32_t got = 0;
  while (count < max) {
    if (!Read(buffer + count, 1, &got) || got != 1) break;
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
  uint32_t got = 0;
  while (count < max) {
    if (!Read(buffer + count, 1, &got) || got != 1) break;
    if (IsLineEnd(buffer[count])) {
      if (count == 0) buffer[count++] = ' ';
      break;
    }
    ++count;
  }
  buffer[count] = '\0';
  return count;
}
