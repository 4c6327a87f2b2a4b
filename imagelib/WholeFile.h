// ReadWholeFile: the file-reading front of the image readers, and the only
// part of the image library that talks to the platform. Readers take the
// whole file into memory with it and decode the bytes; the build links the
// Windows version (WholeFile_win.cpp) or the standard C one
// (WholeFile_posix.cpp).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Replaces `out` with the contents of the file at `path` (UTF-8). False, with `out`
// empty, when the file does not exist or cannot be opened (on Windows it is
// opened without sharing), holds more than maxBytes, cannot be read whole,
// or the memory for it cannot be had.
bool ReadWholeFile(const char* path, size_t maxBytes, std::vector<uint8_t>* out);
