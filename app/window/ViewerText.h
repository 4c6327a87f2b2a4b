// How the text viewer turns a text file into the rows it shows: the file's
// bytes split into lines (ended by a carriage return and line feed pair, or
// by either alone), tabs expanded to spaces, and each line wrapped to rows
// that fit a width in pixels. Widths come from a measure the caller gives
// (the list's font on Windows, a fixed width per character in tests), so
// this stays plain text work without the platform.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "common/StringList.h"

// Tab stops lie every 8 columns of characters.
constexpr int kTabColumns = 8;

// The width in pixels of text[0 .. count) as it is drawn.
using TextMeasure = std::function<int(const char* text, int count)>;

// The lines of a whole file's bytes, tabs expanded; a blank line is an
// empty one, and a file without a final line end has its last line all the
// same. Empty data has no lines.
std::vector<std::string> SplitTextLines(const char* data, size_t size);

// Appends line to rows, cut into rows no wider than width. A line that fits
// is one row, as it is. Otherwise each row ends at the last space that lets
// it fit; the run of spaces at a break belongs to neither row, so no row
// after the first starts with a space. A word wider than a row is broken
// where the row is full; a row holds one character at least, so wrapping
// ends whatever the width. An empty line is one empty row.
void WrapLine(const std::string& line, int width, const TextMeasure& measure, StringList& rows);

struct WrappedText {
  StringList rows;
  std::vector<int> firstRows;  // for each line, the index of its first row
};

WrappedText WrapLines(const std::vector<std::string>& lines, int width, const TextMeasure& measure);

// The line that row belongs to, given each line's first row; 0 without
// lines.
int LineOfRow(const std::vector<int>& firstRows, int row);

// The last component of a path ("eula.txt" of "C:\dist\eula.txt").
std::string FileNameOf(const std::string& path);

// The one-line notice a viewer shows for a text it could not read:
// The file "eula.txt" could not be read: <reason>.
std::string UnreadableNotice(const std::string& fileName, const std::string& reason);
