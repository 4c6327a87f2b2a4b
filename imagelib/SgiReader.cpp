#include "imagelib/SgiReader.h"

#include <vector>

#include "imagelib/ByteReader.h"
#include "imagelib/WholeFile.h"

int DecodeSgi(RasterImage* image, const uint8_t* data, size_t size) {
  EmptyImage(image);
  ByteReader header(data, size);
  const uint16_t magic = header.U16be();
  const uint8_t storage = header.U8();
  const uint8_t bytesPerChannel = header.U8();
  header.Skip(2);  // dimension: the channel count says it all
  const uint16_t width = header.U16be();
  const uint16_t height = header.U16be();
  const uint16_t channels = header.U16be();
  header.Skip(4 + 4 + 4 + 80);  // minimum and maximum value, reserved, name
  const uint32_t colorMap = header.U32be();
  if (header.Failed() || size < kSgiHeaderBytes) return -1;
  if (magic != kSgiMagic || storage != 0 || bytesPerChannel != 1 || colorMap != 0) return -1;
  if (channels != 3 && channels != 4) return -1;

  size_t planeBytes = 0;
  if (width == 0 || height == 0 || !ImageByteCount(width, height, 1, &planeBytes)) return -1;
  if (uint64_t(planeBytes) * channels > size - kSgiHeaderBytes) return -1;
  if (!TryAllocatePixels(image, width, height, channels == 3 ? kPixelRgb8 : kPixelRgba8)) return -1;

  // Plane c, row y lies at c * height + y rows after the header; its bytes
  // become component c of that row's pixels.
  const uint8_t* source = data + kSgiHeaderBytes;
  for (int c = 0; c < channels; ++c) {
    for (int y = 0; y < height; ++y, source += width) {
      uint8_t* target = image->store->Pixel(0, y) + c;
      for (int x = 0; x < width; ++x, target += channels) *target = source[x];
    }
  }
  return 0;
}

int ReadSgiFile(RasterImage* image, const char* path) {
  EmptyImage(image);
  std::vector<uint8_t> bytes;
  if (!ReadWholeFile(path, kMaxSgiFileBytes, &bytes)) return -1;
  return DecodeSgi(image, bytes.data(), bytes.size());
}
