// bench_install SOURCE [RUNS]: times the work an install adds around its
// copy, in milliseconds, first run and median of RUNS (default 10):
//  - the walk over the payload before the copy (WalkPayload: one listing
//    of each folder, every name checked, the totals counted);
//  - the install log: one "copied" line for each file counted, written to a
//    new file in the temporary folder through InstallLog.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "app/install/PayloadWalk.h"
#include "app/install/InstallLog.h"
#include "app/install/InstallLogText.h"

namespace {

void Time(const char* what, int runs, const std::function<void()>& work) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  std::vector<double> times;
  for (int i = 0; i < runs; ++i) {
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    work();
    QueryPerformanceCounter(&end);
    times.push_back(1000.0 * double(end.QuadPart - start.QuadPart) / double(frequency.QuadPart));
  }
  const double first = times[0];
  std::sort(times.begin(), times.end());
  std::printf("%s: first %.1f ms, median %.1f ms\n", what, first, times[times.size() / 2]);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || argc > 3) {
    std::fprintf(stderr, "usage: bench_install SOURCE [RUNS]\n");
    return 2;
  }
  const int runs = argc == 3 ? std::max(1, std::atoi(argv[2])) : 10;
  Payload totals;
  bool clean = true;
  Time("walk and checks", runs, [&] {
    clean = WalkPayload(argv[1], "C:\\Program Files\\Product", &totals, [](const PayloadProblem&) { return true; });
  });
  std::printf("payload: %llu files, %llu bytes%s\n", static_cast<unsigned long long>(totals.files),
              static_cast<unsigned long long>(totals.bytes), clean ? "" : " (with problems)");

  char folder[MAX_PATH];
  GetTempPathA(MAX_PATH, folder);
  const std::string logPath = std::string(folder) + "bench_install.log";
  const std::string file = std::string(argv[1]) + "\\folder042\\file01234.dat";
  Time("install log", runs, [&] {
    DeleteFileA(logPath.c_str());
    InstallLog log(logPath.c_str());
    log.BeginBlock();
    for (uint64_t i = 0; i < totals.files; ++i) log.Line(LogCopiedLine(file.c_str(), 4096));
    log.EndBlock();
  });
  DeleteFileA(logPath.c_str());
  return 0;
}
