#include "toolkit/files/BitmapRows.h"

#include <new>

#include "imagelib/RasterImage.h"

int64_t BitmapStride(int64_t width, int depth) {
  if (width < 0 || depth < 0) return 0;
  return (width * depth + 31) / 32 * 4;
}

void SwapRedBlue(const uint8_t* from, uint8_t* to, size_t count, int fromStep, int toStep) {
  for (size_t i = 0; i < count; ++i, from += fromStep, to += toStep) {
    to[0] = from[2];
    to[1] = from[1];
    to[2] = from[0];
  }
}

bool BitmapBuffer::Make(int32_t width, int32_t height) {
  std::vector<uint8_t>().swap(bytes);
  rows = BitmapRows();
  const int64_t stride = BitmapStride(width, 24);
  size_t total = 0;
  if (width <= 0 || height <= 0 || !ImageByteCount(width, height, 3, &total) ||
      uint64_t(stride) * uint64_t(height) > kMaxBlockBytes) {
    return false;
  }
  try {
    bytes.assign(static_cast<size_t>(stride) * static_cast<size_t>(height), 0);
  } catch (const std::bad_alloc&) {
    return false;
  }
  rows.bits = bytes.data();
  rows.width = width;
  rows.height = height;
  rows.bytesPerPixel = 3;
  rows.stride = static_cast<size_t>(stride);
  rows.topDown = true;
  return true;
}
