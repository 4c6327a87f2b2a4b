// PointerList: the toolkit's growable array of object pointers, used for a
// window's children and a tabbed window's keyboard order. It owns its array
// of pointers but never the objects they point at, so removing an entry or
// destroying the list leaves the objects alone.
//
// The list cannot be copied: two lists naming the same children would both
// believe they describe one window's family.
#pragma once

#include "common/Growth.h"

#include <cstring>

template <typename T>
class PointerList {
public:
  PointerList() = default;
  PointerList(const PointerList&) = delete;
  PointerList& operator=(const PointerList&) = delete;
  ~PointerList() { delete[] items; }

  // Adds `item` (null too) at the end; grows by the lists' common rule.
  void Append(T* item) {
    if (count + 1 > capacity) {
      int newStep = step;
      int newCapacity = GrowCapacity(capacity, newStep, std::int64_t{count} + 1);
      T** grown = new T*[newCapacity];
      if (count > 0) std::memcpy(grown, items, sizeof(T*) * count);
      delete[] items;
      items = grown;
      capacity = newCapacity;
      step = newStep;
    }
    items[count++] = item;
  }

  // Removes the first entry equal to `item`; later entries move down by one.
  // Returns false when `item` is not in the list.
  bool Remove(const T* item) {
    int index = IndexOf(item);
    if (index < 0) return false;
    std::memmove(items + index, items + index + 1, sizeof(T*) * (count - index - 1));
    --count;
    return true;
  }

  // Index of the first entry equal to `item`, -1 when there is none.
  int IndexOf(const T* item) const {
    for (int i = 0; i < count; ++i) {
      if (items[i] == item) return i;
    }
    return -1;
  }

  bool Contains(const T* item) const { return IndexOf(item) >= 0; }

  // The entry at `index`, null outside 0 .. Count() - 1.
  T* At(int index) const { return index >= 0 && index < count ? items[index] : nullptr; }

  int Count() const { return count; }
  int Capacity() const { return capacity; }

  // Frees the array; the list is as new again.
  void Clear() {
    delete[] items;
    items = nullptr;
    count = 0;
    capacity = 0;
    step = kListInitialStep;
  }

  T* const* begin() const { return items; }
  T* const* end() const { return items + count; }

private:
  T** items = nullptr;  // owned array; the objects pointed at are not owned
  int count = 0;
  int capacity = 0;
  int step = kListInitialStep;
};
