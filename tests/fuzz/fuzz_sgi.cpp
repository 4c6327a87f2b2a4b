// Fuzz entry point of the SGI reader.
#include <cstddef>
#include <cstdint>

#include "imagelib/SgiReader.h"
#include "tests/fuzz/FuzzImage.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  RasterImage image;
  if (DecodeSgi(&image, data, size) == 0) ExerciseImage(&image);
  return 0;
}
