#include "imagelib/WholeFile.h"

#include <cstdio>
#include <new>

bool ReadWholeFile(const char* path, size_t maxBytes, std::vector<uint8_t>* out) {
  out->clear();
  std::FILE* file = std::fopen(path, "rb");
  if (!file) return false;

  bool whole = false;
  if (std::fseek(file, 0, SEEK_END) == 0) {
    long size = std::ftell(file);
    if (size >= 0 && static_cast<unsigned long>(size) <= maxBytes &&
        std::fseek(file, 0, SEEK_SET) == 0) {
      try {
        out->resize(static_cast<size_t>(size));
        whole = std::fread(out->data(), 1, out->size(), file) == out->size();
      } catch (const std::bad_alloc&) {
      }
    }
  }
  std::fclose(file);
  if (!whole) std::vector<uint8_t>().swap(*out);
  return whole;
}
