#include "imagelib/RasterImage.h"

#include <cstring>
#include <limits>
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

PixelStore::PixelStore(int32_t width, int32_t height, int bytesPerPixel)
    : width(width), height(height), bytesPerPixel(bytesPerPixel) {
  if (width < 0 || height < 0 || bytesPerPixel <= 0) throw std::bad_alloc();
  uint64_t bytes = uint64_t(width) * uint64_t(height) * uint64_t(bytesPerPixel);
  if (bytes > std::numeric_limits<size_t>::max()) throw std::bad_alloc();
  data = new uint8_t[static_cast<size_t>(bytes)]();
}

PixelStore::~PixelStore() { delete[] data; }

RasterImage::~RasterImage() { ClearImage(this); }

namespace {

// Copies the last kImageNameSize - 1 characters of `name` into `out`.
void CopyNameTail(char (&out)[kImageNameSize], const char* name) {
  size_t length = std::strlen(name);
  size_t keep = length < kImageNameSize - 1 ? length : kImageNameSize - 1;
  std::memmove(out, name + (length - keep), keep);
  out[keep] = '\0';
}

}  // namespace

void InitImage(RasterImage* image) {
  ClearImage(image);
  image->width = 0;
  image->height = 0;
  image->path[0] = '\0';
  image->sourcePath[0] = '\0';
  image->type = kPixelNone;
  image->userValue = 0;
  image->handle = nullptr;
}

void AllocatePixels(RasterImage* image, int32_t width, int32_t height, uint32_t type) {
  ClearImage(image);
  image->width = 0;
  image->height = 0;
  image->type = kPixelNone;
  image->sourcePath[0] = '\0';
  int bytesPerPixel = BytesPerPixel(type);
  if (bytesPerPixel == 0 || width < 0 || height < 0 || width > kMaxImageSide ||
      height > kMaxImageSide || int64_t{width} * height > kMaxImagePixels) {
    throw std::bad_alloc();
  }
  image->store = new PixelStore(width, height, bytesPerPixel);
  image->width = width;
  image->height = height;
  image->type = type;
}

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
