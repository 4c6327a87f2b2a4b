// The file types the toolkit's file dialogs offer, addressed by type id, and
// the platform filter lists built from them: for each type its name, a zero,
// its patterns (separated by ";"), a zero; a second zero ends the list.
// Every pattern begins with "*.", so what follows is a default extension.
#pragma once

#include <cstddef>

struct FileType {
  const char* name;     // at most 255 characters
  const char* pattern;  // at most 31 characters
};

constexpr int kFileTypeCount = 28;
extern const FileType FileTypeTable[kFileTypeCount];

// The filter list of the types ids[0 .. count - 1] into out (capacity
// bytes). False, leaving an empty list (two zeros, when capacity allows),
// when an id is not in the table or the list does not fit.
bool BuildFilterList(int count, const int* ids, char* out, size_t capacity);

// The default extension of a type: its first pattern without "*." ("txt"
// for "*.txt", "ttf" for "*.ttf;*.pfb;*.pfa"), empty for "*.*" or an id
// outside the table. out holds 32 bytes.
void DefaultExtension(int id, char* out);
