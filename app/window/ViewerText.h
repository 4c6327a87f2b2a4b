// How the text viewer turns a text file into the lines it shows: lines end
// at a carriage return and line feed pair, or at either alone; a blank line
// shows as one space; every line is then wrapped at 70 columns. Plain text
// work over bytes, without the platform.
#pragma once

#include <cstddef>

#include "common/StringList.h"

// Columns a shown line holds at most (a break at a space keeps the space
// at the end of one line and the start of the next).
constexpr int kWrapColumns = 70;
// Longest line read at once; a longer one goes on in the next.
constexpr int kLongestReadLine = 10240;

// Appends line (count bytes) to lines, wrapped: while it is longer than 70
// characters it is cut after the last space among characters 1 to 70, and
// the rest starts with that space; with no such space it is cut after 70.
void WrapLine(const char* line, int count, StringList& lines);

// Appends the wrapped lines of a whole file's bytes.
void AppendTextLines(const char* data, size_t size, StringList& lines);
