// How the text viewer turns a text file into the rows it shows: the file's
// encoding worked out from its bytes and the text decoded to UTF-16, split
// into lines (ended by a carriage return and line feed pair, or by either
// alone), tabs expanded to spaces, and each line wrapped to rows that fit a
// width in pixels. Widths come from a measure the caller gives (the list's
// font on Windows, a fixed width per character in tests), so this stays
// plain text work without the platform. Text in the ANSI code page is the
// platform's to decode; everything else is decoded here, from any bytes:
// what is not well formed becomes U+FFFD, never a failure.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "common/UnicodeText.h"

// Tab stops lie every 8 columns of characters.
constexpr int kTabColumns = 8;
enum class TextEncoding { kAnsi, kUtf8, kUtf16LittleEndian, kUtf16BigEndian };

struct TextForm {
  TextEncoding encoding = TextEncoding::kAnsi;
  size_t markLength = 0;  // bytes of byte-order mark at the start, which are not text
};

// A byte-order mark says UTF-8 (EF BB BF) or UTF-16 (FF FE little-endian,
// FE FF big-endian). Without one, bytes that are valid UTF-8 with at least
// one above 0x7F are UTF-8; anything else is in the ANSI code page (plain
// ASCII reads the same either way).
TextForm DetectTextForm(const char* data, size_t size);

// The text of data in form, its mark left out; empty for ANSI, which is
// the platform's to decode.
std::u16string DecodeUnicodeText(const char* data, size_t size, const TextForm& form);

// The width in pixels of text[0 .. count) as it is drawn.
using TextMeasure = std::function<int(const char16_t* text, int count)>;

// The lines of a whole text, tabs expanded (a surrogate pair is one
// column); a blank line is an empty one, and a text without a final line
// end has its last line all the same. Empty text has no lines.
std::vector<std::u16string> SplitTextLines(const std::u16string& text);

// Appends line to rows, cut into rows no wider than width. A line that fits
// is one row, as it is. Otherwise each row ends at the last space that lets
// it fit; the run of spaces at a break belongs to neither row, so no row
// after the first starts with a space. A word wider than a row is broken
// where the row is full, never inside a surrogate pair nor before a
// combining mark; a row holds one character at least, so wrapping ends
// whatever the width. An empty line is one empty row.
void WrapLine(const std::u16string& line, int width, const TextMeasure& measure, std::vector<std::u16string>& rows);

struct WrappedText {
  std::vector<std::u16string> rows;
  std::vector<int> firstRows;  // for each line, the index of its first row
};

WrappedText WrapLines(const std::vector<std::u16string>& lines, int width, const TextMeasure& measure);

// The line that row belongs to, given each line's first row; 0 without
// lines.
int LineOfRow(const std::vector<int>& firstRows, int row);

// The last component of a path ("eula.txt" of "C:\dist\eula.txt").
std::string FileNameOf(const std::string& path);

// The one-line notice a viewer shows for a text it could not read:
// The file "eula.txt" could not be read: <reason>. In the language of the
// texts (UiStrings.h), UTF-8, as its arguments are.
std::string UnreadableNotice(const std::string& fileName, const std::string& reason);
