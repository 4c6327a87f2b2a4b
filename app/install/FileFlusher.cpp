#include "app/install/FileFlusher.h"

#include <utility>

namespace {

// At most this many files wait for their flush, each holding a handle.
constexpr size_t kMostWaiting = 256;

class PlatformFlush : public DiskFlush {
public:
  bool Flush(HANDLE file, const std::string&) override { return FlushFileBuffers(file) != 0; }
};

}  // namespace

DiskFlush& PlatformDiskFlush() {
  static PlatformFlush platform;
  return platform;
}

bool WriteDurably(AFile& file, const std::string& bytes, bool flush, DiskFlush& disk, const std::string& path,
                  const std::string& what, InstallFailure* failure) {
  if (!file.Write(bytes.data(), static_cast<uint32_t>(bytes.size())))
    return Fail(failure, path, file.Error(), what + " could not be written");
  if (flush && !disk.Flush(file.handle, path)) {
    const DWORD error = GetLastError();
    return Fail(failure, path, error, what + " could not be written to the disk");
  }
  return true;
}

FileFlusher::FileFlusher(DiskFlush& disk) : disk(disk) {
  InitializeSRWLock(&lock);
  InitializeConditionVariable(&changed);
}

FileFlusher::~FileFlusher() {
  Abandon();
  if (!thread) return;
  AcquireSRWLockExclusive(&lock);
  quit = true;
  WakeAllConditionVariable(&changed);
  ReleaseSRWLockExclusive(&lock);
  WaitForSingleObject(thread, INFINITE);
  CloseHandle(thread);
}

void FileFlusher::Flush(Waiting& file) {
  if (disk.Flush(file.file->handle, file.path)) {
    file.file->Close();
    return;
  }
  const DWORD error = GetLastError();
  file.file->Close();
  AcquireSRWLockExclusive(&lock);
  if (!failed) {
    failed = true;
    firstFailure = MakeFailure(file.path, error, "the file could not be written to the disk");
  }
  ReleaseSRWLockExclusive(&lock);
}

void FileFlusher::Hand(std::unique_ptr<AFile> file, std::string path) {
  Waiting handed{std::move(file), std::move(path)};
  if (!thread) thread = CreateThread(nullptr, 0, Run, this, 0, nullptr);
  if (!thread) {
    Flush(handed);
    return;
  }
  AcquireSRWLockExclusive(&lock);
  while (waiting.size() >= kMostWaiting) SleepConditionVariableSRW(&changed, &lock, INFINITE, 0);
  waiting.push_back(std::move(handed));
  WakeAllConditionVariable(&changed);
  ReleaseSRWLockExclusive(&lock);
}

DWORD WINAPI FileFlusher::Run(void* self) {
  auto& flusher = *static_cast<FileFlusher*>(self);
  AcquireSRWLockExclusive(&flusher.lock);
  for (;;) {
    while (flusher.waiting.empty() && !flusher.quit)
      SleepConditionVariableSRW(&flusher.changed, &flusher.lock, INFINITE, 0);
    if (flusher.waiting.empty()) break;
    Waiting file = std::move(flusher.waiting.front());
    flusher.waiting.pop_front();
    ++flusher.busy;
    WakeAllConditionVariable(&flusher.changed);
    ReleaseSRWLockExclusive(&flusher.lock);
    flusher.Flush(file);
    AcquireSRWLockExclusive(&flusher.lock);
    --flusher.busy;
    WakeAllConditionVariable(&flusher.changed);
  }
  ReleaseSRWLockExclusive(&flusher.lock);
  return 0;
}

bool FileFlusher::Finish(InstallFailure* failure) {
  AcquireSRWLockExclusive(&lock);
  while (!waiting.empty() || busy) SleepConditionVariableSRW(&changed, &lock, INFINITE, 0);
  const bool ok = !failed;
  if (!ok) *failure = firstFailure;
  ReleaseSRWLockExclusive(&lock);
  return ok;
}

void FileFlusher::Abandon() {
  AcquireSRWLockExclusive(&lock);
  std::deque<Waiting> dropped = std::move(waiting);
  waiting.clear();
  WakeAllConditionVariable(&changed);
  // The one the thread flushes now is closed when its flush ends.
  while (busy) SleepConditionVariableSRW(&changed, &lock, INFINITE, 0);
  ReleaseSRWLockExclusive(&lock);
  // The handles close as the list goes.
}
