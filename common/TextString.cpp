#include "common/TextString.h"

#include "common/ConversionBuffer.h"

#include <cstring>
#include <new>
#include <utility>

namespace {
constexpr long long kMaxLength = 0x3FFFFFFF;
}

TextString::TextString(const char* text) { Set(text); }

TextString::TextString(const char* bytes, int count) { Set(bytes, count); }

TextString::TextString(const TextString& other) { Set(other.data, other.length); }

TextString::TextString(TextString&& other) noexcept
    : data(std::exchange(other.data, nullptr)),
      length(std::exchange(other.length, 0)),
      capacity(std::exchange(other.capacity, 0)),
      step(std::exchange(other.step, kInitialStep)) {}

TextString& TextString::operator=(const TextString& other) {
  if (this != &other) Set(other.data, other.length);
  return *this;
}

TextString& TextString::operator=(TextString&& other) noexcept {
  if (this != &other) {
    delete[] data;
    data = std::exchange(other.data, nullptr);
    length = std::exchange(other.length, 0);
    capacity = std::exchange(other.capacity, 0);
    step = std::exchange(other.step, kInitialStep);
  }
  return *this;
}

TextString::~TextString() { delete[] data; }

char* TextString::Reserve(long long needed, int keep) {
  if (needed <= capacity) return nullptr;
  if (needed > kMaxLength) throw std::bad_alloc();

  long long newStep = capacity > 0 ? 2LL * step : step;
  if (newStep > kMaxLength) newStep = kMaxLength;
  long long newCapacity = newStep * (needed / newStep + 1);
  if (newCapacity > kMaxLength) newCapacity = kMaxLength;

  char* grown = new char[newCapacity];
  if (keep > 0) std::memcpy(grown, data, keep);
  char* old = data;
  data = grown;
  capacity = static_cast<int>(newCapacity);
  step = static_cast<int>(newStep);
  return old;
}

void TextString::Set(const char* text) { Set(text, text ? static_cast<int>(std::strlen(text)) : 0); }

void TextString::Set(const char* bytes, int count) {
  if (bytes == nullptr || count < 1) {
    length = 0;
    return;
  }
  char* old = Reserve(count, 0);
  std::memmove(data, bytes, count);
  length = count;
  delete[] old;
}

void TextString::Append(const char* text) {
  if (text) Append(text, static_cast<int>(std::strlen(text)));
}

void TextString::Append(const char* bytes, int count) {
  if (bytes == nullptr || count < 1) return;
  char* old = Reserve(static_cast<long long>(length) + count, length);
  std::memmove(data + length, bytes, count);
  length += count;
  delete[] old;
}

void TextString::Append(char c) { Append(&c, 1); }

void TextString::Append(const TextString& other) { Append(other.data, other.length); }

TextString& TextString::operator+=(const TextString& other) {
  Append(other);
  return *this;
}

TextString& TextString::operator+=(char c) {
  Append(c);
  return *this;
}

const char* TextString::Data() const { return data ? data : ""; }

char TextString::At(int index) const { return index >= 0 && index < length ? data[index] : '\0'; }

const char* TextString::ToCString() const { return ConversionBuffer::Convert(data, length); }

int TextString::Compare(const TextString& other) const {
  int shorter = length < other.length ? length : other.length;
  int order = shorter > 0 ? std::memcmp(data, other.data, shorter) : 0;
  if (order != 0) return order < 0 ? -1 : 1;
  if (length != other.length) return length < other.length ? -1 : 1;
  return 0;
}

bool operator==(const TextString& a, const TextString& b) { return a.Compare(b) == 0; }

bool operator!=(const TextString& a, const TextString& b) { return a.Compare(b) != 0; }

bool operator<(const TextString& a, const TextString& b) { return a.Compare(b) < 0; }

TextString operator+(const TextString& a, const TextString& b) {
  TextString joined(a);
  joined.Append(b);
  return joined;
}
