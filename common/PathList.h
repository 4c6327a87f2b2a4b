// PathList: a growable array of fixed 260-byte path entries, for the
// sub-folders found while a folder is listed. Each entry is a whole platform
// path buffer, so an entry can be handed to any call that wants one. The list
// owns its array; entries are copied in, never referenced. It grows by the
// lists' common rule (Growth.h) and cannot be copied.
#pragma once

#include "common/Growth.h"

class PathList {
public:
  static constexpr int kEntrySize = 260;
  static constexpr int kMaxPath = kEntrySize - 1;

  PathList() = default;
  PathList(const PathList&) = delete;
  PathList& operator=(const PathList&) = delete;
  ~PathList();

  // Copies `path` into a new entry at the end. A path longer than kMaxPath
  // keeps its last kMaxPath characters, as every path of the program does
  // when it must fit a platform buffer. A null path adds an empty entry.
  // `path` may be an entry of this list.
  void Append(const char* path);

  int Count() const { return count; }
  int Capacity() const { return capacity; }
  // The zero-terminated entry at `index`, null outside 0 .. Count() - 1.
  const char* At(int index) const;

  // Frees the array; the list is as new again.
  void Clear();

private:
  using Entry = char[kEntrySize];

  Entry* items = nullptr;  // owned
  int count = 0;
  int capacity = 0;
  int step = kListInitialStep;
};
