// Fuzz entry point of the JPEG reader: decodes the input from memory and,
// when an image comes out, runs the image operations on it; then decodes
// it again reduced by the decoder, for a size read from the input's last
// two bytes (the background for a window smaller than the picture).
#include <cstddef>
#include <cstdint>

#include "imagelib/JpegReader.h"
#include "tests/fuzz/FuzzImage.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  RasterImage image;
  if (DecodeJpeg(&image, data, size) == 0) ExerciseImage(&image);
  if (size >= 2) {
    RasterImage reduced;
    DecodeJpegAtLeast(&reduced, data, size, data[size - 2] * 4, data[size - 1] * 4);
  }
  return 0;
}
