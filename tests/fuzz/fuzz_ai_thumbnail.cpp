// Fuzz entry point of the Illustrator thumbnail decoder (see
// cmake/QvFuzzing.cmake for how it is built and run).
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "toolkit/files/IllustratorThumbnail.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  IllustratorThumbnail thumbnail;
  if (!DecodeIllustratorThumbnail(data, size, &thumbnail)) return 0;
  // Whatever the file claims, the result is within the limits and exactly
  // the size of its picture.
  if (thumbnail.width < 1 || thumbnail.width > kMaxIllustratorThumbnailSide || thumbnail.height < 1 ||
      thumbnail.height > kMaxIllustratorThumbnailSide ||
      thumbnail.rgb.size() != size_t(thumbnail.width) * size_t(thumbnail.height) * 3)
    std::abort();
  return 0;
}
