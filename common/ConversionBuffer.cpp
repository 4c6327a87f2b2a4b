#include "common/ConversionBuffer.h"

#include <cstring>

namespace {
char buffer[ConversionBuffer::kSize];
}

const char* ConversionBuffer::Convert(const char* text, int length) {
  if (text == nullptr || length < 0) length = 0;
  if (length > kMaxText) length = kMaxText;
  if (length > 0) std::memmove(buffer, text, length);
  buffer[length] = '\0';
  return buffer;
}

const char* ConversionBuffer::Text() { return buffer; }
