// copytree SOURCE DESTINATION: copies a folder tree the way the installer
// copies its payload and prints one line with the outcome. Exit status 0
// when the copy succeeded, 1 when it failed, 2 on a usage error.
#include <windows.h>

#include <cstdio>

#include "app/install/FileTree.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: copytree SOURCE DESTINATION\n");
    return 2;
  }
  LARGE_INTEGER frequency, start, end;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);
  CopyTally tally;
  const bool copied = CopyTree(argv[2], argv[1], &tally);
  QueryPerformanceCounter(&end);
  const double seconds = double(end.QuadPart - start.QuadPart) / double(frequency.QuadPart);
  std::printf("%s files=%llu bytes=%llu seconds=%.3f\n", copied ? "copied" : "FAILED",
              static_cast<unsigned long long>(tally.files), static_cast<unsigned long long>(tally.bytes), seconds);
  return copied ? 0 : 1;
}
