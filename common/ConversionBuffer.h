// ConversionBuffer: the one process-wide buffer that turns the program's
// length-counted text into zero-terminated text for the platform's calls.
// Every conversion overwrites the last one, so a converted text is only good
// until the next conversion anywhere in the program; callers use it at once
// and never keep the pointer. The buffer is static storage: nothing owns it
// and it lives as long as the process.
#pragma once

class ConversionBuffer {
public:
  static constexpr int kSize = 10240;
  // Longest text a conversion keeps; one byte stays for the terminator.
  static constexpr int kMaxText = kSize - 1;

  // Copies `length` bytes of `text` into the buffer and terminates them.
  // Text past kMaxText bytes is cut off, so a conversion never writes beyond
  // the buffer. `text` may point into the buffer itself. A null text or a
  // length below 1 gives the empty text. Returns the buffer.
  static const char* Convert(const char* text, int length);

  // The buffer as the last conversion left it.
  static const char* Text();

  ConversionBuffer() = delete;
};
