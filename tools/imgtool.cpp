// imgtool: opens an image file the way the installer does and writes what it
// got as a binary PPM, top row first, so that the image library can be
// checked from outside and a background picture looked at before shipping.
//
//   imgtool INPUT OUTPUT.ppm
//   imgtool --resample WIDTH HEIGHT INPUT OUTPUT.ppm
//
// Exit status: 0 when the image opened and was written, 1 when it did not
// open or the memory for it could not be had, 2 on a usage error, 3 when the
// output file could not be written.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "imagelib/ImageOps.h"
#include "imagelib/OpenImage.h"
#include "imagelib/RasterImage.h"

namespace {

int Usage() {
  std::fprintf(stderr,
               "usage: imgtool INPUT OUTPUT.ppm\n"
               "       imgtool --resample WIDTH HEIGHT INPUT OUTPUT.ppm\n");
  return 2;
}

bool ParseSide(const char* text, int* out) {
  char* end = nullptr;
  errno = 0;
  long v = std::strtol(text, &end, 10);
  if (errno || end == text || *end || v < 1 || v > kMaxImageSide) return false;
  *out = static_cast<int>(v);
  return true;
}

// P6 with a maximum of 255: the RGB bytes of an RGB image, row by row.
bool WritePpm(const RasterImage& image, const char* path) {
  std::FILE* out = std::fopen(path, "wb");
  if (!out) return false;
  const PixelStore& store = *image.store;
  bool ok = std::fprintf(out, "P6\n%d %d\n255\n", store.width, store.height) > 0 &&
            std::fwrite(store.data, 1, store.ByteCount(), out) == store.ByteCount();
  return std::fclose(out) == 0 && ok;
}

}  // namespace

int main(int argc, char** argv) {
  int width = 0;
  int height = 0;
  bool resample = false;
  if (argc == 6 && std::strcmp(argv[1], "--resample") == 0) {
    if (!ParseSide(argv[2], &width) || !ParseSide(argv[3], &height)) return Usage();
    if (int64_t{width} * height > kMaxImagePixels) return Usage();
    resample = true;
  } else if (argc != 3) {
    return Usage();
  }
  const char* input = argv[argc - 2];
  const char* output = argv[argc - 1];

  RasterImage image;
  OpenImage(&image, input);
  if (!image.store) {
    std::fprintf(stderr, "imgtool: %s: not an image this library reads\n", input);
    return 1;
  }

  RasterImage rgb;
  RasterImage* result = &image;
  // Any other layout goes through the library's colour conversion; a
  // resampling to the same size copies the pixels.
  if (resample || image.type != kPixelRgb8) {
    if (!resample) {
      width = image.width;
      height = image.height;
    }
    if (!TryAllocatePixels(&rgb, width, height, kPixelRgb8) || ResampleImage(&rgb, &image) != 0) {
      std::fprintf(stderr, "imgtool: not enough memory for a %d x %d image\n", width, height);
      return 1;
    }
    result = &rgb;
  }
  FlipImageVertically(result);
  if (!WritePpm(*result, output)) {
    std::fprintf(stderr, "imgtool: cannot write %s\n", output);
    return 3;
  }
  return 0;
}
