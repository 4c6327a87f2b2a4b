#include "app/window/ViewerText.h"

#include <algorithm>

namespace {

// The most characters of text[0 .. limit) that fit in width, 1 at least:
// doubling counts find a count that does not fit, then halving narrows it
// down, so no measure covers much more than twice a row, however long the
// line. Widths grow with the count, as drawn text does.
int FitCount(const char* text, int limit, int width, const TextMeasure& measure) {
  if (limit <= 1 || measure(text, 1) > width) return 1;
  int fits = 1, over = 0;
  for (int count = 2;; count = count > limit / 2 ? limit : count * 2) {
    if (count >= limit) {
      if (measure(text, limit) <= width) return limit;
      over = limit;
      break;
    }
    if (measure(text, count) > width) {
      over = count;
      break;
    }
    fits = count;
  }
  while (over - fits > 1) {
    const int middle = fits + (over - fits) / 2;
    if (measure(text, middle) <= width)
      fits = middle;
    else
      over = middle;
  }
  return fits;
}

// Each tab becomes the spaces up to the next multiple of kTabColumns.
std::string ExpandTabs(const std::string& line) {
  if (line.find('\t') == std::string::npos) return line;
  std::string expanded;
  expanded.reserve(line.size() + kTabColumns);
  for (char c : line) {
    if (c == '\t')
      expanded.append(kTabColumns - expanded.size() % kTabColumns, ' ');
    else
      expanded += c;
  }
  return expanded;
}

}  // namespace

std::vector<std::string> SplitTextLines(const char* data, size_t size) {
  std::vector<std::string> lines;
  size_t at = 0;
  while (at < size) {
    size_t end = at;
    while (end < size && data[end] != '\r' && data[end] != '\n') ++end;
    lines.push_back(ExpandTabs(std::string(data + at, end - at)));
    // One line end: a carriage return with the line feed after it, or
    // either alone.
    if (end < size && data[end] == '\r') {
      ++end;
      if (end < size && data[end] == '\n') ++end;
    } else if (end < size && data[end] == '\n') {
      ++end;
    }
    at = end;
  }
  return lines;
}

void WrapLine(const std::string& line, int width, const TextMeasure& measure, StringList& rows) {
  const char* text = line.data();
  const int length = static_cast<int>(line.size());
  if (length == 0 || measure(text, length) <= width) {
    rows.Append(TextString(text, length));
    return;
  }
  int start = 0;
  while (start < length) {
    const int rest = length - start;
    const int fit = FitCount(text + start, rest, width, measure);
    if (fit == rest) {
      rows.Append(TextString(text + start, rest));
      break;
    }
    // The row ends at the last word end that fits: a space after a
    // character that is none. text[start + fit] exists, as fit < rest.
    int cut = start + fit;
    while (cut > start && !(text[cut] == ' ' && text[cut - 1] != ' ')) --cut;
    if (cut == start) cut = start + fit;  // no space to break at: the word is broken where the row is full
    rows.Append(TextString(text + start, cut - start));
    start = cut;
    while (start < length && text[start] == ' ') ++start;
  }
}

WrappedText WrapLines(const std::vector<std::string>& lines, int width, const TextMeasure& measure) {
  WrappedText wrapped;
  wrapped.firstRows.reserve(lines.size());
  for (const std::string& line : lines) {
    wrapped.firstRows.push_back(wrapped.rows.Count());
    WrapLine(line, width, measure, wrapped.rows);
  }
  return wrapped;
}

int LineOfRow(const std::vector<int>& firstRows, int row) {
  const auto after = std::upper_bound(firstRows.begin(), firstRows.end(), row);
  return after == firstRows.begin() ? 0 : static_cast<int>(after - firstRows.begin()) - 1;
}

std::string FileNameOf(const std::string& path) {
  const size_t separator = path.find_last_of("\\/:");
  return separator == std::string::npos ? path : path.substr(separator + 1);
}

std::string UnreadableNotice(const std::string& fileName, const std::string& reason) {
  // The platform's reasons are sentences that end in a full stop already.
  std::string because = reason;
  while (!because.empty() && (because.back() == '.' || because.back() == ' ')) because.pop_back();
  return "The file \"" + fileName + "\" could not be read: " + because + ".";
}
