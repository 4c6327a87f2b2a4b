// ByteReader: reads a block of bytes front to back for the decoders. A read
// that reaches past the end yields zeros (or null for a run of bytes) and
// sets a failure flag that stays set, so a decoder reads a whole header or
// block and checks Failed() once instead of after every field.
#pragma once

#include <cstddef>
#include <cstdint>

class ByteReader {
public:
  ByteReader(const uint8_t* data, size_t size) : data(data), size(data ? size : 0) {}

  uint8_t U8() {
    const uint8_t* p = Take(1);
    return p ? p[0] : 0;
  }
  uint16_t U16le() {
    const uint8_t* p = Take(2);
    return p ? static_cast<uint16_t>(p[0] | p[1] << 8) : 0;
  }
  uint16_t U16be() {
    const uint8_t* p = Take(2);
    return p ? static_cast<uint16_t>(p[0] << 8 | p[1]) : 0;
  }
  uint32_t U32be() {
    const uint8_t* p = Take(4);
    return p ? uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3] : 0;
  }

  // The next `count` bytes, or null when fewer remain (which fails the
  // reader and consumes nothing).
  const uint8_t* Take(uint64_t count) {
    if (failed || count > size - position) {
      failed = true;
      return nullptr;
    }
    const uint8_t* p = data + position;
    position += static_cast<size_t>(count);
    return p;
  }
  void Skip(uint64_t count) { Take(count); }

  size_t Remaining() const { return size - position; }
  size_t Position() const { return position; }
  bool Failed() const { return failed; }

private:
  const uint8_t* data;  // not owned
  size_t size;
  size_t position = 0;
  bool failed = false;
};
