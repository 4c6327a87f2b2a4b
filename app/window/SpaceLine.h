// The line of the location step that tells the room an install needs and
// the room its drive has, before Install is pressed. Plain text work.
#pragma once

#include <cstdint>
#include <string>

struct SpaceFigures {
  bool measured = false;   // the payload's size is known (it is measured beside the window)
  uint64_t needed = 0;     // the payload's bytes
  bool freeKnown = false;  // the drive could be asked
  uint64_t free = 0;       // bytes free for this user on the location's drive
  std::string volume;      // "C:\", as the platform names the drive
};

// "Needs 20.2 MB; C:\ has 1.2 GB free.", "... has only 1.2 MB free: choose
// another location." when it is too little, "Measuring the space it
// needs..." before the payload is measured; in the language of the texts
// (UiStrings.h), UTF-8.
std::string SpaceLine(const SpaceFigures& figures);
