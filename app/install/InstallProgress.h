// The progress text of an install and the pace of its repaints: the copy
// runs on a thread of its own and tells the window when the counts moved,
// at most about ten times a second. Plain text work, testable without a
// window.
#pragma once

#include <cstdint>
#include <string>

// At most one repaint in this many milliseconds: about ten a second.
constexpr uint32_t kProgressRepaintInterval = 100;

// n with a comma between each group of three digits: "1,234,567".
std::string FormatCount(uint64_t n);

// A size as people read it: "512 bytes", "12.3 KB", "20.7 MB", "1.5 GB"
// (units of 1,024, one decimal, rounded).
std::string FormatSize(uint64_t bytes);

// The same as the user reads them, in the language set (UiStrings.h): its
// digit groups, decimal sign, word for bytes and units ("1.234", "12,3 Ko").
// In English they are FormatCount's and FormatSize's.
std::string UiCount(uint64_t n);
std::string UiSize(uint64_t bytes);

// n and the noun that goes with it: "1 file", "1,234 files".
std::string CountOf(uint64_t n, const char* one, const char* many);

// "Installing. Please wait... 1,234 of 10,000 files, 3.2 MB of 4.7 MB", in
// the language of the texts (UiStrings.h), UTF-8: files and bytes each by
// its own measure; without any bytes to copy the
// bytes are left out. A count past its total (the payload changed after
// it was counted) raises the total to the count.
std::string ProgressText(uint64_t filesDone, uint64_t filesTotal, uint64_t bytesDone, uint64_t bytesTotal);

// Says when a repaint is due, from a millisecond tick count passed in (such
// as GetTickCount's; its wrap every 49.7 days is harmless). The first call
// is always due; after that, a call is due once the interval has passed
// since the last due one.
class RepaintThrottle {
public:
  explicit RepaintThrottle(uint32_t interval = kProgressRepaintInterval) : interval(interval) {}

  bool Due(uint32_t tick);

private:
  uint32_t interval;
  uint32_t last = 0;
  bool started = false;
};
