// What the fuzz entry points of the image readers do with an image that
// decoded: the operations the installer and the pictures apply to one, so
// that a decoder's odd but accepted output meets them too.
#pragma once

#include <cstdint>

#include "imagelib/ImageOps.h"
#include "imagelib/RasterImage.h"

inline void ExerciseImage(RasterImage* image) {
  FlipImageVertically(image);
  LightenRectangle(ImageRect{1, 1, image->width - 2, image->height - 2}, image);
  if (int64_t{image->width} * image->height <= (1 << 20)) {
    RasterImage thumbnail;
    if (TryAllocatePixels(&thumbnail, 7, 5, kPixelRgba8)) ResampleImage(&thumbnail, image);
  }
}
