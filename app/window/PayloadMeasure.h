// The payload's size, measured on a thread of its own while the window
// shows, so that the location step can tell the room an install needs
// without holding up the window. It posts kPayloadMeasuredMessage to the
// window once it knows.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <string>
#include <thread>

constexpr UINT kPayloadMeasuredMessage = WM_APP + 3;

class PayloadMeasure {
public:
  PayloadMeasure(HWND window, std::string payload);
  // Waits for the walk to end.
  ~PayloadMeasure();
  PayloadMeasure(const PayloadMeasure&) = delete;
  PayloadMeasure& operator=(const PayloadMeasure&) = delete;

  bool Done() const { return done.load(); }
  // The payload's bytes, once done (0 when it could not be walked).
  uint64_t Bytes() const { return bytes; }

private:
  std::thread walk;
  std::atomic<bool> done{false};
  uint64_t bytes = 0;  // written by the walk before done
};

// The volume that holds location (its deepest folder that exists), and
// the bytes free on it for this user. False when neither can be told.
bool FreeSpaceOf(const std::string& location, std::string* volume, uint64_t* free);
