// Fuzz entry point of the JPEG reader: decodes the input from memory and,
// when an image comes out, runs the image operations the installer applies
// to it. Linked with FuzzDriver.cpp it replays files and folders (the
// hostile folder is a ctest); built with clang and -DQV_LIBFUZZER=ON it is a
// libFuzzer target:
//
//   CC=clang CXX=clang++ cmake -S . -B build/fuzz -DQV_LIBFUZZER=ON
//   cmake --build build/fuzz --target fuzz_jpeg
//   build/fuzz/tests/imagelib/fuzz_jpeg -max_total_time=600 CORPUS tests/data/hostile
#include <cstddef>
#include <cstdint>

#include "imagelib/ImageOps.h"
#include "imagelib/JpegReader.h"
#include "imagelib/RasterImage.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  RasterImage image;
  if (DecodeJpeg(&image, data, size) != 0) return 0;
  FlipImageVertically(&image);
  LightenRectangle(ImageRect{1, 1, image.width - 2, image.height - 2}, &image);
  if (int64_t{image.width} * image.height <= (1 << 20)) {
    RasterImage thumbnail;
    AllocatePixels(&thumbnail, 7, 5, kPixelRgba8);
    ResampleImage(&thumbnail, &image);
  }
  return 0;
}
