// copytree SOURCE DESTINATION: copies a folder tree the way the installer
// copies its payload, with the same checks and all or nothing, and prints
// one line with the outcome, the failure's path and cause on a second when
// it failed, and a line for each thing it could not undo or clean up. Exit
// status 0 when the copy succeeded, 1 when it failed (the destination is
// then as it was), 2 on a usage error.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <string>
#include <vector>

#include "app/install/InstallJob.h"
#include "app/install/InstallLog.h"
#include "common/AnsiText.h"

namespace {

class FailureNote : public CopyObserver {
public:
  void FileCopied(const char*, const char*, uint64_t) override {}
  void CopyFailed(const InstallFailure& what) override { failure = what; }
  InstallFailure failure;
};

}  // namespace

// The arguments as given, read wide, in UTF-8: the platform's ANSI form
// would turn a full-width "．．" into "..".
bool ReadArguments(std::vector<std::string>* arguments) {
  int count = 0;
  wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
  if (!wide) return false;
  bool exact = true;
  for (int i = 1; i < count && exact; ++i) {
    arguments->emplace_back();
    exact = Utf8FromWide(wide[i], &arguments->back());
  }
  LocalFree(wide);
  return exact;
}

int main() {
  std::vector<std::string> argv;
  if (!ReadArguments(&argv)) {
    std::fprintf(stderr, "copytree: a path holds half a UTF-16 surrogate pair, which names no file\n");
    return 2;
  }
  if (argv.size() != 2) {
    std::fprintf(stderr, "usage: copytree SOURCE DESTINATION\n");
    return 2;
  }
  LARGE_INTEGER frequency, start, end;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);
  CopyTally tally;
  FailureNote note;
  std::vector<InstallFailure> leftovers;
  const bool copied = CopyTree(argv[1].c_str(), argv[0].c_str(), &tally, &note, &leftovers);
  QueryPerformanceCounter(&end);
  const double seconds = double(end.QuadPart - start.QuadPart) / double(frequency.QuadPart);
  std::printf("%s files=%llu bytes=%llu seconds=%.3f\n", copied ? "copied" : "FAILED",
              static_cast<unsigned long long>(tally.files), static_cast<unsigned long long>(tally.bytes), seconds);
  if (!copied)
    std::printf("error: %s: %s (error %u)\n", note.failure.path.c_str(), FailureText(note.failure).c_str(),
                static_cast<unsigned>(note.failure.error));
  // What could not be undone, or cleaned up after a copy that succeeded.
  for (const InstallFailure& leftover : leftovers)
    std::printf("left: %s: %s (error %u)\n", leftover.path.c_str(), FailureText(leftover).c_str(),
                static_cast<unsigned>(leftover.error));
  return copied ? 0 : 1;
}
