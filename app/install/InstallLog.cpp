#include "app/install/InstallLog.h"

#include <cstdio>

#include "app/install/InstallLogText.h"
#include "common/AnsiText.h"

namespace {

// Lines held before a write: a few hundred file lines.
constexpr size_t kLogBatch = 16 << 10;

// The mutex that the writers of one log file take for each append, named
// after the file itself so that every spelling of its path meets on it.
// Null when it cannot be made: the write goes ahead without it.
HANDLE AppendMutexOf(HANDLE file) {
  BY_HANDLE_FILE_INFORMATION identity;
  if (!GetFileInformationByHandle(file, &identity)) return nullptr;
  char name[64];
  std::snprintf(name, sizeof name, "Global\\qvsetup-log-%08lx-%08lx%08lx",
                static_cast<unsigned long>(identity.dwVolumeSerialNumber),
                static_cast<unsigned long>(identity.nFileIndexHigh),
                static_cast<unsigned long>(identity.nFileIndexLow));
  return CreateMutexW(nullptr, FALSE, WideFromUtf8(name).c_str());
}

// How long a write waits for another installer's write to the same log.
constexpr DWORD kAppendWaitMs = 10000;

}  // namespace

InstallLog::InstallLog(const char* path) {
  if (path && path[0]) Open(path);
}

InstallLog::~InstallLog() {
  Release();
  Flush();
  Close();
}

void InstallLog::Close() {
  if (IsOpen()) CloseHandle(file);
  if (appending) CloseHandle(appending);
  file = INVALID_HANDLE_VALUE;
  appending = nullptr;
}

bool InstallLog::Open(const char* path) {
  if (IsOpen()) Flush();
  Close();
  // Append-only access: every write lands at the end, even when another
  // installer appends to the same log meanwhile.
  file = CreateFileW(WideFromUtf8(path).c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                     FILE_ATTRIBUTE_NORMAL, nullptr);
  if (IsOpen()) appending = AppendMutexOf(file);
  return IsOpen();
}

void InstallLog::Hold(const char* path) {
  heldPath = path ? path : "";
}

void InstallLog::Release() {
  if (heldPath.empty()) return;
  const std::string path = std::move(heldPath);
  heldPath.clear();
  Open(path.c_str());
  if (IsOpen())
    Flush();
  else
    pending.clear();
}

void InstallLog::Drop() {
  heldPath.clear();
  pending.clear();
}

bool InstallLog::BeginBlock() {
  if (inBlock) return false;
  inBlock = true;
  SYSTEMTIME now;
  GetLocalTime(&now);
  Line(LogStartLine({now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond}, GetCurrentProcessId()));
  Flush();
  return true;
}

void InstallLog::EndBlock() {
  inBlock = false;
  Flush();
}

void InstallLog::Line(const std::string& line) {
  if (!IsOpen() && heldPath.empty()) return;
  pending += LogEscaped(line);
  pending += "\r\n";
  if (pending.size() >= kLogBatch) Flush();
}

void InstallLog::Error(const char* path, uint32_t code) { Error(MakeFailure(path ? path : "", code)); }

int InstallLog::EndWithStatus(int status) {
  Line(LogField("exit status", std::to_string(status)));
  EndBlock();
  return status;
}

void InstallLog::Leftovers(const std::vector<InstallFailure>& leftovers, const char* what) {
  for (const InstallFailure& leftover : leftovers)
    Line(LogErrorLine(leftover.path.c_str(), leftover.error, std::string(what) + ": " + FailureText(leftover)));
}

void InstallLog::Error(const InstallFailure& failure) {
  const std::string heldBy = failure.holder.empty() ? "" : " (held by " + failure.holder + ")";
  Line(LogErrorLine(failure.path.c_str(), failure.error, FailureText(failure) + heldBy));
  Flush();
}

void InstallLog::Flush() {
  if (!heldPath.empty() || !IsOpen() || pending.empty()) return;
  // Abandoned: its writer died between whole writes. A wait that ends
  // without it writes all the same, and later writes do not wait: a
  // program that keeps the mutex must not slow every line of an install.
  const DWORD waited = appending ? WaitForSingleObject(appending, kAppendWaitMs) : WAIT_FAILED;
  const bool locked = waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED;
  if (appending && !locked) {
    CloseHandle(appending);
    appending = nullptr;
  }
  DWORD written = 0;
  const BOOL wrote = WriteFile(file, pending.data(), static_cast<DWORD>(pending.size()), &written, nullptr);
  if (locked) ReleaseMutex(appending);
  if (!wrote || written != pending.size()) {
    // Given up, not retried for every line, and never written after a cut.
    Close();
  }
  pending.clear();
}

std::string SystemErrorText(uint32_t code, uint16_t wanted) {
  wchar_t text[1024];
  DWORD length = 0;
  for (DWORD language : {DWORD(wanted), DWORD(0)}) {
    length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, language, text,
                            sizeof text / sizeof text[0], nullptr);
    if (length) break;
  }
  const std::string line = length ? OneLineMessage(Utf8FromWide(std::wstring(text, length)).c_str()) : "";
  return line.empty() ? "unknown error" : line;
}

std::string FailureText(const InstallFailure& failure) {
  return failure.reason.empty() ? SystemErrorText(failure.error) : failure.reason;
}
