// Fuzz entry point of the Illustrator thumbnail decoder. Linked with
// tests/imagelib/FuzzDriver.cpp it replays files and folders (the hostile
// folder is a ctest); built with clang and -DQV_LIBFUZZER=ON it is a
// libFuzzer target:
//
//   CC=clang CXX=clang++ cmake -S . -B build/fuzz -DQV_LIBFUZZER=ON
//   cmake --build build/fuzz --target fuzz_ai_thumbnail
//   build/fuzz/tests/toolkit/files/fuzz_ai_thumbnail -max_total_time=600 CORPUS tests/data/hostile
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
