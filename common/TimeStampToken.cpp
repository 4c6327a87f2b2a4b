#include "common/TimeStampToken.h"

namespace {

// One DER element at data: its tag, and where its contents are.
struct Element {
  uint8_t tag = 0;
  const uint8_t* contents = nullptr;
  size_t length = 0;
  const uint8_t* end = nullptr;  // just past it
};

bool ReadElement(const uint8_t* data, const uint8_t* limit, Element* element) {
  if (limit - data < 2) return false;
  element->tag = data[0];
  const uint8_t* at = data + 2;
  size_t length = data[1];
  if (length & 0x80) {
    // Long form: at most four length bytes, none indefinite.
    const size_t bytes = length & 0x7F;
    if (bytes == 0 || bytes > 4 || size_t(limit - at) < bytes) return false;
    length = 0;
    for (size_t i = 0; i < bytes; ++i) length = (length << 8) | *at++;
  }
  if (size_t(limit - at) < length) return false;
  element->contents = at;
  element->length = length;
  element->end = at + length;
  return true;
}

int Digits(const uint8_t* p, int count) {
  int value = 0;
  for (int i = 0; i < count; ++i) {
    if (p[i] < '0' || p[i] > '9') return -1;
    value = value * 10 + (p[i] - '0');
  }
  return value;
}

}  // namespace

bool TimeStampTokenTime(const uint8_t* data, size_t size, TokenTime* time) {
  Element info;
  if (!ReadElement(data, data + size, &info)) return false;
  // The signed message's content as some decoders give it: the OCTET
  // STRING that holds the TSTInfo.
  if (info.tag == 0x04 && (info.end != data + size || !ReadElement(info.contents, info.end, &info))) return false;
  if (info.tag != 0x30) return false;
  // version, policy, messageImprint, serialNumber, then genTime.
  const uint8_t expected[] = {0x02, 0x06, 0x30, 0x02};
  const uint8_t* at = info.contents;
  for (uint8_t tag : expected) {
    Element field;
    if (!ReadElement(at, info.end, &field) || field.tag != tag) return false;
    at = field.end;
  }
  Element genTime;
  if (!ReadElement(at, info.end, &genTime) || genTime.tag != 0x18 || genTime.length < 15) return false;
  const uint8_t* t = genTime.contents;
  if (t[genTime.length - 1] != 'Z') return false;
  if (genTime.length > 15 && (t[14] != '.' || genTime.length == 16)) return false;
  for (size_t i = 15; i + 1 < genTime.length; ++i)
    if (t[i] < '0' || t[i] > '9') return false;
  TokenTime read;
  read.year = Digits(t, 4);
  read.month = Digits(t + 4, 2);
  read.day = Digits(t + 6, 2);
  read.hour = Digits(t + 8, 2);
  read.minute = Digits(t + 10, 2);
  read.second = Digits(t + 12, 2);
  if (read.year < 0 || read.month < 1 || read.month > 12 || read.day < 1 || read.day > 31 || read.hour < 0 ||
      read.hour > 23 || read.minute < 0 || read.minute > 59 || read.second < 0 || read.second > 60)
    return false;
  *time = read;
  return true;
}
