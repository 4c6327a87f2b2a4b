// Elapsed time from the performance counter, for the install log's times.
#pragma once

#include <windows.h>

class Stopwatch {
public:
  Stopwatch() { QueryPerformanceCounter(&start); }

  double Seconds() const {
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return double(now.QuadPart - start.QuadPart) / double(frequency.QuadPart);
  }
  // The seconds since the start or the last lap, and a new lap begun.
  double Lap() {
    const double seconds = Seconds();
    QueryPerformanceCounter(&start);
    return seconds;
  }

private:
  LARGE_INTEGER start;
};
