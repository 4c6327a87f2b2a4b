#include "common/PathList.h"

#include <cstring>

PathList::~PathList() { delete[] items; }

void PathList::Append(const char* path) {
  Entry entry = {};
  if (path != nullptr) {
    std::size_t length = std::strlen(path);
    std::size_t skip = length > kMaxPath ? length - kMaxPath : 0;
    std::memcpy(entry, path + skip, length - skip);
  }

  if (count + 1 > capacity) {
    int newStep = step;
    int newCapacity = GrowCapacity(capacity, newStep, std::int64_t{count} + 1);
    Entry* grown = new Entry[newCapacity];
    if (count > 0) std::memcpy(grown, items, sizeof(Entry) * count);
    delete[] items;
    items = grown;
    capacity = newCapacity;
    step = newStep;
  }
  std::memcpy(items[count], entry, sizeof(Entry));
  ++count;
}

const char* PathList::At(int index) const { return index >= 0 && index < count ? items[index] : nullptr; }

void PathList::Clear() {
  delete[] items;
  items = nullptr;
  count = 0;
  capacity = 0;
  step = kListInitialStep;
}
