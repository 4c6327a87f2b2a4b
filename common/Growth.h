// The growth rule shared by the program's growable arrays (the pointer list,
// StringList, PathList); TextString grows by a rule of its own. Keeping it
// in one place means every list reaches the same capacities: 10, 20, 40, 60,
// 90, 132, ... for a list that starts empty with the usual step of 10.
#pragma once

#include <cstdint>

// Step of a new, empty list.
constexpr int kListInitialStep = 10;

// No list grows past this many entries; a larger request throws std::bad_alloc.
constexpr int kListMaxEntries = 0x3FFFFFFF;

// The capacity a list of `capacity` entries grows to so that it can hold
// `needed` entries, and the step it keeps for its next growth. When the list
// is already big enough nothing changes. Otherwise the step doubles if the
// list already had a block, the capacity becomes step * (needed / step + 1)
// and the step becomes capacity / 4 from a capacity of 40 on, else 10.
// Throws std::bad_alloc, leaving `step` as it was, when the new capacity
// would pass kListMaxEntries.
int GrowCapacity(int capacity, int& step, std::int64_t needed);
