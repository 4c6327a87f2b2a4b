// RasterImage: the image library's in-memory image. Readers fill one from a
// file, the image operations work on it in place, and the toolkit turns it
// into a drawable picture. A record is small: the size, a pixel-layout code,
// two names and one PixelStore that holds every pixel in one zero-filled
// block, rows packed without padding, pixel (x, y) at element y * width + x.
// Readers leave row 0 as the bottom row of the picture; FlipImageVertically
// turns it top row first.
//
// A record without a store is empty (type kPixelNone). The record owns its
// store and frees it when cleared or destroyed. This part of the library is
// plain C++ and builds for every platform. The record also owns `handle`, a
// platform object a picture may hang on it, but cannot release it here:
// whoever deletes the record releases it first.
#pragma once

#include <cstddef>
#include <cstdint>

// The pixel layouts. The numbers are the codes kept in RasterImage::type.
enum PixelType : uint32_t {
  kPixelRgb8 = 0,         // red, green, blue bytes
  kPixelRgba8 = 1,        // red, green, blue, alpha bytes
  kPixelArgb8 = 2,        // alpha, red, green, blue bytes
  kPixelArgb16 = 3,       // alpha, red, green, blue 16-bit words
  kPixelOpaque128a = 4,   // 16 bytes with no colour meaning: reads black, writes zeros
  kPixelOpaque128b = 5,   // the same as kPixelOpaque128a
  kPixelArgbFloat = 6,    // alpha, red, green, blue floats
  kPixelNone = 7,         // no pixels: the record is empty
};

// Bytes one pixel of `type` takes in a store; 0 for kPixelNone and above.
int BytesPerPixel(uint32_t type);

// Images never get larger than this, whatever a file claims: larger requests
// fail as an allocation failure does.
constexpr int32_t kMaxImageSide = 16384;
#ifdef QV_FUZZING_MAX_PIXELS
constexpr int64_t kMaxImagePixels = QV_FUZZING_MAX_PIXELS;  // the fuzzing build's
#else
constexpr int64_t kMaxImagePixels = int64_t{1} << 28;
#endif
// The largest block one object may take: the product is a 32-bit program,
// where no object can be larger than PTRDIFF_MAX (containers refuse more
// with std::length_error). Both builds refuse the same sizes.
constexpr uint64_t kMaxBlockBytes = 0x7FFFFFFF;

// The bytes of a width x height block of bytesPerPixel-byte pixels, counted
// in 64 bits. False for a negative size or pixel size, a size over
// kMaxImageSide or kMaxImagePixels, or a block over kMaxBlockBytes.
bool ImageByteCount(int64_t width, int64_t height, int bytesPerPixel, size_t* bytes);

// Room for a name in a record, terminator included.
constexpr int kImageNameSize = 260;

// One zero-filled block of pixels, made by AllocatePixels.
class PixelStore {
public:
  // Throws std::bad_alloc when the block cannot be had.
  PixelStore(int32_t width, int32_t height, int bytesPerPixel);
  ~PixelStore();
  PixelStore(const PixelStore&) = delete;
  PixelStore& operator=(const PixelStore&) = delete;

  // Bytes in one row and in the whole block.
  size_t RowBytes() const { return static_cast<size_t>(width) * bytesPerPixel; }
  size_t ByteCount() const { return RowBytes() * static_cast<size_t>(height); }
  uint8_t* Pixel(int32_t x, int32_t y) {
    return data + (static_cast<size_t>(y) * width + x) * bytesPerPixel;
  }

  const int32_t width;
  const int32_t height;
  const int bytesPerPixel;
  uint8_t* data = nullptr;  // owned
};

struct RasterImage {
  RasterImage() = default;
  // Frees the store. A non-null `handle` must have been released before.
  ~RasterImage();
  RasterImage(const RasterImage&) = delete;
  RasterImage& operator=(const RasterImage&) = delete;

  PixelStore* store = nullptr;  // owned; null when the record is empty
  int32_t width = 0;
  int32_t height = 0;
  char path[kImageNameSize] = {};        // the name the image was opened from
  uint32_t type = kPixelNone;            // a PixelType
  char sourcePath[kImageNameSize] = {};  // set after a successful open, or by SetImageNames
  int32_t userValue = 0;
  void* handle = nullptr;  // owned: released by whoever deletes the record, before it does
};

// Makes the record empty: frees its store, empties both names, zeroes the
// size, userValue and handle, and sets the type to kPixelNone.
void InitImage(RasterImage* image);

// Frees the store, zeroes the size and sets the type to kPixelNone; the
// names, userValue and handle stay. What every failed read leaves.
void EmptyImage(RasterImage* image);

// Replaces the pixels with a new zero-filled store of width x height pixels
// of `type`, and empties sourcePath. False, with the record empty, for a
// size ImageByteCount refuses, a type without pixels, or a block that
// cannot be had.
bool TryAllocatePixels(RasterImage* image, int32_t width, int32_t height, uint32_t type);

// The same, throwing std::bad_alloc (with the record empty) where
// TryAllocatePixels returns false.
void AllocatePixels(RasterImage* image, int32_t width, int32_t height, uint32_t type);

// How many times a pixel block has been asked for since the program
// started, refused requests included: tests show with it that a reader
// refused a header before allocating anything.
uint64_t PixelBlockRequests();

// Frees the store, whatever the type. The size and type stay as they were
// (EmptyImage resets them too).
void ClearImage(RasterImage* image);

// With a name: sourcePath and path get its last 259 characters (all of it
// when shorter). With null, sourcePath becomes empty.
void SetImageNames(RasterImage* image, const char* name);

// The size, or -1 when the record has no store.
int32_t GetImageWidth(const RasterImage* image);
int32_t GetImageHeight(const RasterImage* image);
