// Fuzz entry point of the time-stamp token's reader: distcheck reads it
// from any program's signature.
#include <cstddef>
#include <cstdint>

#include "common/TimeStampToken.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TokenTime time;
  if (TimeStampTokenTime(data, size, &time) && (time.month < 1 || time.month > 12)) __builtin_trap();
  return 0;
}
