#include "imagelib/RasterImage.h"

#include <atomic>
#include <cstring>
#include <new>

int BytesPerPixel(uint32_t type) {
  switch (type) {
    case kPixelRgb8: return 3;
    case kPixelRgba8:
    case kPixelArgb8: return 4;
    case kPixelArgb16: return 8;
    case kPixelOpaque128a:
    case kPixelOpaque128b:
    case kPixelArgbFloat: return 16;
    default: return 0;
  }
}

bool ImageByteCount(int64_t width, int64_t height, int bytesPerPixel, size_t* bytes) {
  if (width < 0 || height < 0 || bytesPerPixel <= 0 || bytesPerPixel > 16) return false;
  if (width > kMaxImageSide || height > kMaxImageSide || width * height > kMaxImagePixels) return false;
  const uint64_t count = uint64_t(width) * uint64_t(height) * uint64_t(bytesPerPixel);
  if (count > kMaxBlockBytes) return false;
  *bytes = static_cast<size_t>(count);
  return true;
}

PixelStore::PixelStore(int32_t width, int32_t height, int bytesPerPixel)
    : width(width), height(height), bytesPerPixel(bytesPerPixel) {
  size_t bytes = 0;
  if (!ImageByteCount(width, height, bytesPerPixel, &bytes)) throw std::bad_alloc();
  data = new uint8_t[bytes]();
}

PixelStore::~PixelStore() { delete[] data; }

RasterImage::~RasterImage() { ClearImage(this); }

namespace {

std::atomic<uint64_t> blockRequests{0};

// Copies the last kImageNameSize - 1 characters of `name` into `out`.
void CopyNameTail(char (&out)[kImageNameSize], const char* name) {
  size_t length = std::strlen(name);
  size_t keep = length < kImageNameSize - 1 ? length : kImageNameSize - 1;
  std::memmove(out, name + (length - keep), keep);
  out[keep] = '\0';
}

}  // namespace

void InitImage(RasterImage* image) {
  EmptyImage(image);
  image->path[0] = '\0';
  image->sourcePath[0] = '\0';
  image->userValue = 0;
  image->handle = nullptr;
}

void EmptyImage(RasterImage* image) {
  ClearImage(image);
  image->width = 0;
  image->height = 0;
  image->type = kPixelNone;
}

bool TryAllocatePixels(RasterImage* image, int32_t width, int32_t height, uint32_t type) {
  ++blockRequests;
  EmptyImage(image);
  image->sourcePath[0] = '\0';
  const int bytesPerPixel = BytesPerPixel(type);
  size_t bytes = 0;
  if (bytesPerPixel == 0 || !ImageByteCount(width, height, bytesPerPixel, &bytes)) return false;
  try {
    image->store = new PixelStore(width, height, bytesPerPixel);
  } catch (const std::bad_alloc&) {
    return false;
  }
  image->width = width;
  image->height = height;
  image->type = type;
  return true;
}

void AllocatePixels(RasterImage* image, int32_t width, int32_t height, uint32_t type) {
  if (!TryAllocatePixels(image, width, height, type)) throw std::bad_alloc();
}

uint64_t PixelBlockRequests() { return blockRequests.load(); }

void ClearImage(RasterImage* image) {
  delete image->store;
  image->store = nullptr;
}

void SetImageNames(RasterImage* image, const char* name) {
  if (!name) {
    image->sourcePath[0] = '\0';
    return;
  }
  CopyNameTail(image->sourcePath, name);
  CopyNameTail(image->path, name);
}

int32_t GetImageWidth(const RasterImage* image) { return image->store ? image->width : -1; }

int32_t GetImageHeight(const RasterImage* image) { return image->store ? image->height : -1; }
