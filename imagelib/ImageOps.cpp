#include "imagelib/ImageOps.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

#include "imagelib/PixelAccess.h"

namespace {

bool HasPixels(const RasterImage* image) {
  const PixelStore* store = image->store;
  return store && store->width > 0 && store->height > 0 && image->type < kPixelNone;
}

// The part of the source pixel's square [low, high) that falls into the
// destination cell [cell, cell + 1).
double Overlap(double low, double high, int cell) {
  double w = 1.0;
  if (low > cell) w -= low - cell;
  if (high < cell + 1) w -= cell + 1 - high;
  return w;
}

}  // namespace

int ResampleImage(RasterImage* destination, const RasterImage* source) {
  if (!HasPixels(destination) || !HasPixels(source)) return -1;
  const int sw = source->store->width;
  const int sh = source->store->height;
  const int dw = destination->store->width;
  const int dh = destination->store->height;

  const uint64_t count = uint64_t(dw) * uint64_t(dh);
  if (count >= (uint64_t{1} << 28)) throw std::bad_alloc();
  std::vector<ColorF> sums(static_cast<size_t>(count));

  for (int y = 0; y < sh; ++y) {
    const double top = double(y) * dh / sh;
    const double bottom = double(y + 1) * dh / sh;
    const int firstRow = std::max(0, int(top));
    const int lastRow = std::min(int(bottom), dh - 1);
    for (int x = 0; x < sw; ++x) {
      const double left = double(x) * dw / sw;
      const double right = double(x + 1) * dw / sw;
      const int firstColumn = std::max(0, int(left));
      const int lastColumn = std::min(int(right), dw - 1);
      ColorF c;
      GetPixelColor(source, x, y, &c);
      for (int j = firstRow; j <= lastRow; ++j) {
        const double h = Overlap(top, bottom, j);
        ColorF* row = &sums[size_t(j) * dw];
        for (int i = firstColumn; i <= lastColumn; ++i) {
          const double weight = h * Overlap(left, right, i);
          ColorF& sum = row[i];
          sum.red += float(weight * c.red);
          sum.green += float(weight * c.green);
          sum.blue += float(weight * c.blue);
          sum.alpha += float(weight * c.alpha);
        }
      }
    }
  }

  for (int j = 0; j < dh; ++j) {
    for (int i = 0; i < dw; ++i) SetPixelColor(destination, i, j, sums[size_t(j) * dw + i]);
  }
  return 0;
}

int FlipImageVertically(RasterImage* image) {
  if (!image->store || image->type >= kPixelNone) return -1;
  PixelStore* store = image->store;
  const size_t rowBytes = store->RowBytes();
  std::vector<uint8_t> scratch(rowBytes);
  for (int32_t j = 0, k = store->height - 1; j < k; ++j, --k) {
    uint8_t* a = store->Pixel(0, j);
    uint8_t* b = store->Pixel(0, k);
    std::memcpy(scratch.data(), a, rowBytes);
    std::memcpy(a, b, rowBytes);
    std::memcpy(b, scratch.data(), rowBytes);
  }
  return 0;
}

void LightenRectangle(const ImageRect& rect, RasterImage* image) {
  if (!HasPixels(image)) return;
  if (image->type != kPixelRgb8 && image->type != kPixelRgba8) return;
  PixelStore* store = image->store;
  const int bpp = store->bytesPerPixel;
  if (bpp != BytesPerPixel(image->type)) return;

  // Walk only the part inside the image; the outline still lies on the
  // rectangle's own edges, which may be outside. 64 bits keep left + 1 and
  // right - 1 from overflowing.
  const int64_t x0 = std::max<int64_t>(rect.left, 0);
  const int64_t x1 = std::min<int64_t>(rect.right, store->width - 1);
  const int64_t y0 = std::max<int64_t>(rect.top, 0);
  const int64_t y1 = std::min<int64_t>(rect.bottom, store->height - 1);
  const int64_t inner0 = std::max<int64_t>(x0, int64_t{rect.left} + 1);
  const int64_t inner1 = std::min<int64_t>(x1, int64_t{rect.right} - 1);

  auto grey = [bpp](uint8_t* p) {
    p[0] = p[1] = p[2] = 128;
    if (bpp == 4) p[3] = 255;
  };
  for (int64_t y = y0; y <= y1; ++y) {
    uint8_t* row = store->Pixel(0, int32_t(y));
    if (y == rect.top || y == rect.bottom) {
      for (int64_t x = x0; x <= x1; ++x) grey(row + x * bpp);
      continue;
    }
    if (rect.left >= x0 && rect.left <= x1) grey(row + int64_t{rect.left} * bpp);
    if (rect.right >= x0 && rect.right <= x1) grey(row + int64_t{rect.right} * bpp);
    // trunc(c * 0.5 + 128) is exactly c / 2 + 128 in integers.
    for (int64_t x = inner0; x <= inner1; ++x) {
      uint8_t* p = row + x * bpp;
      p[0] = uint8_t((p[0] >> 1) + 128);
      p[1] = uint8_t((p[1] >> 1) + 128);
      p[2] = uint8_t((p[2] >> 1) + 128);
      if (bpp == 4) p[3] = 255;
    }
  }
}
