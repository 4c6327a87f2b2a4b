#include "common/StringList.h"

#include <cassert>
#include <utility>

StringList::StringList(const StringList& other) {
  if (other.count == 0) return;
  Grow(other.count);
  for (int i = 0; i < other.count; ++i) items[i] = other.items[i];
  count = other.count;
}

StringList::StringList(StringList&& other) noexcept { swap(*this, other); }

StringList& StringList::operator=(StringList other) noexcept {
  swap(*this, other);
  return *this;
}

StringList::~StringList() { delete[] items; }

void swap(StringList& a, StringList& b) noexcept {
  std::swap(a.items, b.items);
  std::swap(a.count, b.count);
  std::swap(a.capacity, b.capacity);
  std::swap(a.step, b.step);
}

void StringList::Grow(int needed) {
  if (needed <= capacity) return;
  int newStep = step;
  int newCapacity = GrowCapacity(capacity, newStep, needed);
  TextString* grown = new TextString[newCapacity];
  for (int i = 0; i < count; ++i) grown[i] = std::move(items[i]);
  delete[] items;
  items = grown;
  capacity = newCapacity;
  step = newStep;
}

void StringList::Append(const TextString& line) { Insert(count, line); }

void StringList::Insert(int index, const TextString& line) {
  if (index < 0) index = 0;
  if (index > count) index = count;
  TextString copy(line);
  Grow(count + 1);
  for (int i = count; i > index; --i) items[i] = std::move(items[i - 1]);
  items[index] = std::move(copy);
  ++count;
}

const TextString& StringList::At(int index) const {
  assert(index >= 0 && index < count);
  return items[index];
}

TextString& StringList::At(int index) {
  assert(index >= 0 && index < count);
  return items[index];
}

void StringList::Clear() {
  StringList empty;
  swap(*this, empty);
}
