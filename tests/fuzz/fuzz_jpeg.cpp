// Fuzz entry point of the JPEG reader: decodes the input from memory and,
// when an image comes out, runs the image operations on it.
#include <cstddef>
#include <cstdint>

#include "imagelib/JpegReader.h"
#include "tests/fuzz/FuzzImage.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  RasterImage image;
  if (DecodeJpeg(&image, data, size) == 0) ExerciseImage(&image);
  return 0;
}
