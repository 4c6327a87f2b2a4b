// Fuzz entry point of the Targa reader.
#include <cstddef>
#include <cstdint>

#include "imagelib/TargaReader.h"
#include "tests/fuzz/FuzzImage.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  RasterImage image;
  if (DecodeTarga(&image, data, size) == 0) ExerciseImage(&image);
  return 0;
}
