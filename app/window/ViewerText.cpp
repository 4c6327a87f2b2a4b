#include "app/window/ViewerText.h"

void WrapLine(const char* line, int count, StringList& lines) {
  while (count > kWrapColumns) {
    int cut = kWrapColumns;
    while (cut > 0 && line[cut] != ' ') --cut;
    if (cut > 0) {
      lines.Append(TextString(line, cut + 1));
      line += cut;
      count -= cut;
    } else {
      lines.Append(TextString(line, kWrapColumns));
      line += kWrapColumns;
      count -= kWrapColumns;
    }
  }
  lines.Append(TextString(count > 0 ? line : "", count));
}

void AppendTextLines(const char* data, size_t size, StringList& lines) {
  auto isLineEnd = [](char c) { return c == '\r' || c == '\n'; };
  size_t at = 0;
  while (at < size) {
    size_t end = at;
    while (end < size && end - at < static_cast<size_t>(kLongestReadLine) && !isLineEnd(data[end])) ++end;
    if (end == at)
      WrapLine(" ", 1, lines);  // a blank line
    else
      WrapLine(data + at, static_cast<int>(end - at), lines);
    // One line end: a carriage return with the line feed after it, or
    // either alone. A line cut at the longest read goes on without one.
    if (end < size && data[end] == '\r') {
      ++end;
      if (end < size && data[end] == '\n') ++end;
    } else if (end < size && data[end] == '\n') {
      ++end;
    }
    at = end;
  }
}
