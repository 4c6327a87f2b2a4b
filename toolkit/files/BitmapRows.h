// The pixel rows of a picture's bitmap as the platform lays them out, seen
// as plain bytes: three bytes per pixel in the order blue, green, red (four
// at 32 bits, the fourth unused), every row padded to a multiple of 4 bytes.
// The picture code, its thumbnails and its JPEG streams all go through
// these, so the row arithmetic and the channel swap live here once, away
// from the platform, and build natively for the sanitizer and fuzzing runs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Bytes in one row of a bitmap `width` pixels wide at `depth` bits per
// pixel, padded to a multiple of 4; counted in 64 bits. 0 for a negative
// width or depth.
int64_t BitmapStride(int64_t width, int depth);

// Copies `count` pixels from `from` to `to` with the first and third byte
// exchanged: red, green, blue becomes blue, green, red and back. Pixels are
// `fromStep` and `toStep` bytes apart (3, or 4 for a 32-bit row, whose
// fourth byte is neither read nor written). The ranges must not overlap.
void SwapRedBlue(const uint8_t* from, uint8_t* to, size_t count, int fromStep = 3, int toStep = 3);

// A view of a picture's pixels, rows counted from the top. The view owns
// nothing.
struct BitmapRows {
  uint8_t* bits = nullptr;  // not owned
  int32_t width = 0;
  int32_t height = 0;
  int bytesPerPixel = 3;  // 3 or 4
  size_t stride = 0;      // bytes from one stored row to the next
  bool topDown = true;    // the top row is stored first

  bool Empty() const { return !bits || width <= 0 || height <= 0; }
  uint8_t* Row(int32_t y) const {
    const size_t stored = static_cast<size_t>(topDown ? y : height - 1 - y);
    return bits + stored * stride;
  }
};

// A top-down 24-bit bitmap in ordinary memory, for code that needs a
// picture's rows without a platform bitmap (tools, tests, fuzzing).
class BitmapBuffer {
public:
  // Makes a zero-filled width x height bitmap; false, leaving the buffer
  // empty, for sizes the image library would refuse or memory that cannot
  // be had.
  bool Make(int32_t width, int32_t height);
  const BitmapRows& Rows() const { return rows; }

private:
  std::vector<uint8_t> bytes;  // owned
  BitmapRows rows;
};
