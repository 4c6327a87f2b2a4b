#include "common/Growth.h"

#include <new>

int GrowCapacity(int capacity, int& step, std::int64_t needed) {
  if (needed <= capacity) return capacity;
  if (needed > kListMaxEntries) throw std::bad_alloc();

  std::int64_t newStep = capacity > 0 ? std::int64_t{step} * 2 : step;
  if (newStep < 1) newStep = kListInitialStep;
  std::int64_t newCapacity = newStep * (needed / newStep + 1);
  if (newCapacity > kListMaxEntries) throw std::bad_alloc();

  step = newCapacity >= 40 ? static_cast<int>(newCapacity / 4) : 10;
  return static_cast<int>(newCapacity);
}
