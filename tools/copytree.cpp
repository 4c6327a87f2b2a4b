// copytree SOURCE DESTINATION: copies a folder tree the way the installer
// copies its payload, with the same checks and all or nothing, and prints
// one line with the outcome, and the failure's path and cause on a second
// when it failed. Exit status 0 when the copy succeeded, 1 when it failed
// (the destination is then as it was), 2 on a usage error.
#include <windows.h>

#include <cstdio>

#include "app/install/CopyEngine.h"
#include "app/install/InstallLog.h"

namespace {

class FailureNote : public CopyObserver {
public:
  void FileCopied(const char*, const char*, uint64_t) override {}
  void CopyFailed(const InstallFailure& what) override { failure = what; }
  InstallFailure failure;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: copytree SOURCE DESTINATION\n");
    return 2;
  }
  LARGE_INTEGER frequency, start, end;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);
  CopyTally tally;
  FailureNote note;
  const bool copied = CopyTree(argv[2], argv[1], &tally, &note);
  QueryPerformanceCounter(&end);
  const double seconds = double(end.QuadPart - start.QuadPart) / double(frequency.QuadPart);
  std::printf("%s files=%llu bytes=%llu seconds=%.3f\n", copied ? "copied" : "FAILED",
              static_cast<unsigned long long>(tally.files), static_cast<unsigned long long>(tally.bytes), seconds);
  if (!copied)
    std::printf("error: %s: %s (error %u)\n", note.failure.path.c_str(), FailureText(note.failure).c_str(),
                static_cast<unsigned>(note.failure.error));
  return copied ? 0 : 1;
}
