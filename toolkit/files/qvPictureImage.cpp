// The pictures made from the image library's images: LoadImageFile and
// ImageToPicture.
#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>

#include "imagelib/ImageOps.h"
#include "imagelib/OpenImage.h"
#include "imagelib/RasterImage.h"
#include "toolkit/files/qvPicture.h"

namespace {

// A channel value that went through floating point, as a byte: truncated
// toward zero and kept within 0..255 (a float image may hold anything).
uint8_t ChannelByte(double value) {
  if (!(value > 0)) return 0;
  if (value >= 255) return 255;
  return static_cast<uint8_t>(value);
}

// The store a background may be blended from: it must have the image's
// layout and size, or it would be read outside its pixels.
const PixelStore* MatchingBackground(const PixelStore* background, const PixelStore* store) {
  if (!background || !background->data) return nullptr;
  if (background->width != store->width || background->height != store->height ||
      background->bytesPerPixel != store->bytesPerPixel)
    return nullptr;
  return background;
}

}  // namespace

void qvPicture::LoadImageFile(const char* path, int w, int h) {
  ReleaseResource();
  if (!path) return;
  std::unique_ptr<RasterImage> file(new RasterImage);
  OpenImage(file.get(), path);
  std::unique_ptr<RasterImage> sized(new RasterImage);
  AllocatePixels(sized.get(), w, h, kPixelRgb8);
  SetImageNames(sized.get(), path);
  sized->userValue = 0;
  CreateBitmap(w, 24, h);
  ResampleImage(sized.get(), file.get());

  const BitmapRows rows = Rows();
  for (int r = 0; r < h; ++r) SwapRedBlue(sized->store->Pixel(0, r), rows.Row(h - 1 - r), static_cast<size_t>(w));
}

qvPicture* ImageToPicture(RasterImage* image, PixelStore* background) {
  auto* picture = new qvPicture(image->width, image->height);
  PixelStore* store = image->store;
  if (!store || !store->data || store->width != image->width || store->height != image->height) return picture;
  const PixelStore* under = MatchingBackground(background, store);
  const BitmapRows rows = picture->Rows();

  for (int r = 0; r < image->height; ++r) {
    uint8_t* target = rows.Row(r);
    const uint8_t* pixel = store->Pixel(0, r);
    const uint8_t* back = under ? const_cast<PixelStore*>(under)->Pixel(0, r) : nullptr;
    const int step = store->bytesPerPixel;
    switch (image->type) {
      case kPixelRgb8:
        SwapRedBlue(pixel, target, static_cast<size_t>(image->width));
        break;
      case kPixelRgba8:
      case kPixelArgb8: {
        // Colour bytes start at 0 with alpha last, or at 1 after alpha.
        const int first = image->type == kPixelRgba8 ? 0 : 1;
        const int alpha = image->type == kPixelRgba8 ? 3 : 0;
        for (int x = 0; x < image->width; ++x, target += 3, pixel += step, back = back ? back + step : nullptr) {
          const double a = pixel[alpha] / 255.0;
          for (int c = 0; c < 3; ++c) {
            const double value = back ? pixel[first + c] * a + back[first + c] * (1 - a) : pixel[first + c] * a;
            target[2 - c] = ChannelByte(std::trunc(value));
          }
        }
        break;
      }
      case kPixelArgbFloat:
        for (int x = 0; x < image->width; ++x, target += 3, pixel += step, back = back ? back + step : nullptr) {
          float values[4], under4[4] = {};
          std::memcpy(values, pixel, sizeof values);
          if (back) std::memcpy(under4, back, sizeof under4);
          const double a = values[0];
          for (int c = 0; c < 3; ++c) {
            const double value = back ? (values[1 + c] * a + under4[1 + c] * (1 - a)) * 255 : values[1 + c] * a * 255;
            target[2 - c] = ChannelByte(std::trunc(value));
          }
        }
        break;
      default:
        break;  // 16-bit and opaque layouts stay black
    }
  }
  return picture;
}
