#include "toolkit/files/ThumbnailStream.h"

#include <cstring>
#include <new>
#include <stdexcept>

namespace {

bool IsBlank(int c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

}  // namespace

bool ThumbnailStream::WriteText(const char* text) {
  return WriteSome(reinterpret_cast<const uint8_t*>(text), std::strlen(text));
}

bool ThumbnailStream::WriteBytes(const uint8_t* data, size_t size) { return size == 0 || WriteSome(data, size); }

bool ThumbnailStream::WriteHex(const uint8_t* data, size_t size) {
  static const char kDigits[] = "0123456789abcdef";
  uint8_t text[4096];
  while (size > 0) {
    const size_t count = size < sizeof text / 2 ? size : sizeof text / 2;
    for (size_t i = 0; i < count; ++i) {
      text[2 * i] = static_cast<uint8_t>(kDigits[data[i] >> 4]);
      text[2 * i + 1] = static_cast<uint8_t>(kDigits[data[i] & 15]);
    }
    if (!WriteSome(text, 2 * count)) return false;
    data += count;
    size -= count;
  }
  return true;
}

size_t ThumbnailStream::ReadBytes(uint8_t* data, size_t size) {
  size_t done = 0;
  if (size > 0 && pending >= 0) {
    data[done++] = static_cast<uint8_t>(pending);
    pending = -1;
  }
  while (done < size) {
    const size_t got = ReadSome(data + done, size - done);
    if (got == 0) break;
    done += got;
  }
  return done;
}

int ThumbnailStream::ReadByte() {
  uint8_t byte;
  return ReadBytes(&byte, 1) == 1 ? byte : -1;
}

bool ThumbnailStream::SkipBlanks() {
  int c;
  while ((c = ReadByte()) >= 0) {
    if (!IsBlank(c)) {
      pending = c;
      return true;
    }
  }
  return false;
}

bool ThumbnailStream::ReadInteger(int32_t* value) {
  if (!SkipBlanks()) return false;
  int c = ReadByte();
  const bool negative = c == '-';
  if (negative) c = ReadByte();
  int64_t v = 0;
  int digits = 0;
  for (; c >= '0' && c <= '9'; c = ReadByte(), ++digits) {
    v = v * 10 + (c - '0');
    if (v > int64_t{1} << 31) return false;
  }
  if (digits == 0) return false;
  if (negative) v = -v;
  if (v > INT32_MAX || v < INT32_MIN) return false;
  if (c == '\r') c = ReadByte();
  if (c != '\n' && c >= 0) pending = c;
  *value = static_cast<int32_t>(v);
  return true;
}

bool ThumbnailStream::ReadLine(char* out, size_t capacity) {
  size_t length = 0;
  int c = ReadByte();
  if (c < 0) return false;
  for (; c >= 0 && c != '\n'; c = ReadByte()) {
    if (length + 1 >= capacity) return false;
    out[length++] = static_cast<char>(c);
  }
  if (length > 0 && out[length - 1] == '\r') --length;
  out[length] = '\0';
  return true;
}

size_t MemoryThumbnailStream::ReadSome(uint8_t* data, size_t size) {
  const size_t left = inputSize - inputPosition;
  const size_t count = size < left ? size : left;
  if (count > 0) std::memcpy(data, input + inputPosition, count);
  inputPosition += count;
  return count;
}

bool MemoryThumbnailStream::WriteSome(const uint8_t* data, size_t size) {
  try {
    output.insert(output.end(), data, data + size);
  } catch (const std::bad_alloc&) {
    return false;
  } catch (const std::length_error&) {
    return false;
  }
  return true;
}

FileThumbnailStream::FileThumbnailStream(const char* path, bool write) {
  if (path) file = std::fopen(path, write ? "wb" : "rb");
}

FileThumbnailStream::~FileThumbnailStream() { Close(); }

bool FileThumbnailStream::Close() {
  if (!file) return false;
  const bool closed = std::fclose(file) == 0;
  file = nullptr;
  return closed;
}

size_t FileThumbnailStream::ReadSome(uint8_t* data, size_t size) {
  return file ? std::fread(data, 1, size, file) : 0;
}

bool FileThumbnailStream::WriteSome(const uint8_t* data, size_t size) {
  return file && std::fwrite(data, 1, size, file) == size;
}
