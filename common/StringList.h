// StringList: a growable array of TextString, for the lines a text file is
// read into and the lines a text list shows. The list owns its array and the
// strings in it; copying a list copies every string, so a control can keep
// its own lines while the caller's list goes away. It grows by the lists'
// common rule (Growth.h).
#pragma once

#include "common/Growth.h"
#include "common/TextString.h"

class StringList {
public:
  StringList() = default;
  StringList(const StringList& other);
  StringList(StringList&& other) noexcept;
  StringList& operator=(StringList other) noexcept;
  ~StringList();

  // Adds a copy of `line` at the end; `line` may be an entry of this list.
  void Append(const TextString& line);
  // Adds a copy of `line` before the entry at `index`; an index outside
  // 0 .. Count() is taken as the nearer end.
  void Insert(int index, const TextString& line);

  int Count() const { return count; }
  int Capacity() const { return capacity; }
  // The entry at `index`, which must lie in 0 .. Count() - 1.
  const TextString& At(int index) const;
  TextString& At(int index);

  // Frees the strings and the array; the list is as new again.
  void Clear();

  friend void swap(StringList& a, StringList& b) noexcept;

private:
  void Grow(int needed);

  TextString* items = nullptr;  // owned, with the strings in it
  int count = 0;
  int capacity = 0;
  int step = kListInitialStep;
};
