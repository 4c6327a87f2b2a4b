// Keeps the platform's critical-error and open-file error boxes off for
// the life of the object (a missing disk, say, fails the call instead of
// asking the user), then restores the mode it found.
#pragma once

#include <windows.h>

class QuietErrorMode {
public:
  QuietErrorMode() : previous(GetErrorMode()) {
    SetErrorMode(previous | SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  }
  ~QuietErrorMode() { SetErrorMode(previous); }
  QuietErrorMode(const QuietErrorMode&) = delete;
  QuietErrorMode& operator=(const QuietErrorMode&) = delete;

private:
  UINT previous;
};
