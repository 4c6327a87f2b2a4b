#include "imagelib/TargaReader.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "imagelib/ByteReader.h"
#include "imagelib/WholeFile.h"

namespace {

// Image types: true colour and grey, plain and run-length encoded.
constexpr uint8_t kTrueColor = 2;
constexpr uint8_t kGrey = 3;
constexpr uint8_t kRunLengthTrueColor = 10;
constexpr uint8_t kRunLengthGrey = 11;

// Image descriptor bits: the file's first pixel is at the right, or at the
// top, of the picture.
constexpr uint8_t kRightToLeft = 0x10;
constexpr uint8_t kTopToBottom = 0x20;

// The longest run a packet holds, and the bit that marks a repeated pixel.
constexpr int kMaxPacketPixels = 128;
constexpr uint8_t kRunPacket = 0x80;

// Hands out the store's pixels in the order the file holds them.
class PixelCursor {
public:
  PixelCursor(PixelStore* store, uint8_t descriptor)
      : store(store),
        topFirst((descriptor & kTopToBottom) != 0),
        rightFirst((descriptor & kRightToLeft) != 0),
        step(rightFirst ? -store->bytesPerPixel : store->bytesPerPixel) {
    StartRow();
  }

  // The next pixel, or null after the last.
  uint8_t* Next() {
    if (row == store->height) return nullptr;
    uint8_t* pixel = current;
    current += step;
    if (++column == store->width) {
      column = 0;
      ++row;
      StartRow();
    }
    return pixel;
  }

private:
  void StartRow() {
    if (row == store->height) return;
    current = store->Pixel(rightFirst ? store->width - 1 : 0, topFirst ? store->height - 1 - row : row);
  }

  PixelStore* store;  // not owned
  const bool topFirst;
  const bool rightFirst;
  const int step;
  int32_t row = 0;
  int32_t column = 0;
  uint8_t* current = nullptr;
};

// One stored pixel of each depth into the image's bytes.
template <int Depth>
void ConvertPixel(const uint8_t* in, uint8_t* out);

template <>
void ConvertPixel<8>(const uint8_t* in, uint8_t* out) {
  out[0] = out[1] = out[2] = in[0];
}

// A 5-bit value v as a byte: trunc(v * 255 / 31), so that 31 becomes 255.
struct FiveBitTable {
  constexpr FiveBitTable() : bytes() {
    for (int v = 0; v < 32; ++v) bytes[v] = static_cast<uint8_t>(v * 255 / 31);
  }
  uint8_t bytes[32];
};
constexpr FiveBitTable kFiveBits;

template <>
void ConvertPixel<16>(const uint8_t* in, uint8_t* out) {
  const unsigned v = in[0] | in[1] << 8;  // bit 15 carries nothing here
  out[0] = kFiveBits.bytes[v >> 10 & 31];
  out[1] = kFiveBits.bytes[v >> 5 & 31];
  out[2] = kFiveBits.bytes[v & 31];
  out[3] = 255;
}

template <>
void ConvertPixel<24>(const uint8_t* in, uint8_t* out) {
  out[0] = in[2];
  out[1] = in[1];
  out[2] = in[0];
}

// A transparent pixel keeps no colour.
template <>
void ConvertPixel<32>(const uint8_t* in, uint8_t* out) {
  if (in[3] == 0) {
    std::memset(out, 0, 4);
    return;
  }
  out[0] = in[2];
  out[1] = in[1];
  out[2] = in[0];
  out[3] = in[3];
}

template <int Depth>
bool DecodePlain(ByteReader& reader, PixelStore* store, uint8_t descriptor) {
  constexpr int kBytes = Depth / 8;
  const uint64_t pixels = uint64_t(store->width) * uint64_t(store->height);
  const uint8_t* in = reader.Take(pixels * kBytes);
  if (!in) return false;
  PixelCursor cursor(store, descriptor);
  while (uint8_t* out = cursor.Next()) {
    ConvertPixel<Depth>(in, out);
    in += kBytes;
  }
  return true;
}

template <int Depth>
bool DecodeRunLength(ByteReader& reader, PixelStore* store, uint8_t descriptor) {
  constexpr int kBytes = Depth / 8;
  uint64_t left = uint64_t(store->width) * uint64_t(store->height);
  PixelCursor cursor(store, descriptor);
  while (left > 0) {
    const uint8_t header = reader.U8();
    const uint64_t count = std::min<uint64_t>((header & 0x7F) + 1, left);
    if (header & kRunPacket) {
      const uint8_t* in = reader.Take(kBytes);
      if (!in) return false;
      uint8_t first[4];
      ConvertPixel<Depth>(in, first);
      for (uint64_t i = 0; i < count; ++i) std::memcpy(cursor.Next(), first, size_t(store->bytesPerPixel));
    } else {
      const uint8_t* in = reader.Take(count * kBytes);
      if (!in) return false;
      for (uint64_t i = 0; i < count; ++i, in += kBytes) ConvertPixel<Depth>(in, cursor.Next());
    }
    left -= count;
  }
  return !reader.Failed();
}

template <int Depth>
bool DecodeData(ByteReader& reader, PixelStore* store, uint8_t descriptor, bool runLength) {
  return runLength ? DecodeRunLength<Depth>(reader, store, descriptor)
                   : DecodePlain<Depth>(reader, store, descriptor);
}

// A 32-bit file whose alpha is zero everywhere has no alpha at all: it
// shows as opaque (and, its colours cleared, black).
void OpaqueWhenNoAlpha(PixelStore* store) {
  const size_t bytes = store->ByteCount();
  for (size_t i = 3; i < bytes; i += 4) {
    if (store->data[i] != 0) return;
  }
  for (size_t i = 3; i < bytes; i += 4) store->data[i] = 255;
}

}  // namespace

int DecodeTarga(RasterImage* image, const uint8_t* data, size_t size) {
  EmptyImage(image);
  ByteReader reader(data, size);
  const uint8_t idLength = reader.U8();
  reader.Skip(1);  // colour-map type: the map's length says whether one is there
  const uint8_t imageType = reader.U8();
  reader.Skip(2);  // first colour-map entry
  const uint16_t mapLength = reader.U16le();
  const uint8_t mapEntryBits = reader.U8();
  reader.Skip(4);  // x and y origin
  const uint16_t width = reader.U16le();
  const uint16_t height = reader.U16le();
  const uint8_t depth = reader.U8();
  const uint8_t descriptor = reader.U8();
  if (reader.Failed()) return -1;
  if (imageType != kTrueColor && imageType != kGrey && imageType != kRunLengthTrueColor &&
      imageType != kRunLengthGrey) {
    return -1;
  }
  if (depth != 8 && depth != 16 && depth != 24 && depth != 32) return -1;

  const int bytesPerPixel = depth / 8;
  const bool runLength = imageType == kRunLengthTrueColor || imageType == kRunLengthGrey;
  size_t imageBytes = 0;
  if (width == 0 || height == 0 || !ImageByteCount(width, height, 4, &imageBytes)) return -1;

  reader.Skip(idLength);
  reader.Skip((uint64_t(mapLength) * mapEntryBits + 7) / 8);
  if (reader.Failed()) return -1;
  // The least data the image needs: every pixel stored, or one full-length
  // run packet for every 128 pixels.
  const uint64_t pixels = uint64_t(width) * height;
  const uint64_t least = runLength ? (pixels + kMaxPacketPixels - 1) / kMaxPacketPixels * (1 + bytesPerPixel)
                                   : pixels * bytesPerPixel;
  if (least > reader.Remaining()) return -1;

  const uint32_t type = depth == 8 || depth == 24 ? kPixelRgb8 : kPixelRgba8;
  if (!TryAllocatePixels(image, width, height, type)) return -1;
  PixelStore* store = image->store;
  bool decoded = false;
  switch (depth) {
    case 8: decoded = DecodeData<8>(reader, store, descriptor, runLength); break;
    case 16: decoded = DecodeData<16>(reader, store, descriptor, runLength); break;
    case 24: decoded = DecodeData<24>(reader, store, descriptor, runLength); break;
    case 32: decoded = DecodeData<32>(reader, store, descriptor, runLength); break;
  }
  if (!decoded) {
    EmptyImage(image);
    return -1;
  }
  if (depth == 32) OpaqueWhenNoAlpha(store);
  return 0;
}

int ReadTargaFile(RasterImage* image, const char* path) {
  EmptyImage(image);
  std::vector<uint8_t> bytes;
  if (!ReadWholeFile(path, kMaxTargaFileBytes, &bytes)) return -1;
  return DecodeTarga(image, bytes.data(), bytes.size());
}
