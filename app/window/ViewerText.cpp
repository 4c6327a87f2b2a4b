#include "app/window/ViewerText.h"

#include <algorithm>

#include "app/install/UiStrings.h"
#include "common/UnicodeText.h"
#include "resources/StringIds.h"

namespace {

// Marks drawn over the character before them: the combining diacritical
// blocks and the variation selectors.
bool IsCombiningMark(char16_t unit) {
  return (unit >= 0x0300 && unit <= 0x036F) || (unit >= 0x1AB0 && unit <= 0x1AFF) ||
         (unit >= 0x1DC0 && unit <= 0x1DFF) || (unit >= 0x20D0 && unit <= 0x20FF) ||
         (unit >= 0xFE00 && unit <= 0xFE0F) || (unit >= 0xFE20 && unit <= 0xFE2F);
}

// A unit that belongs to the character before it: a row never starts there
// and a tab's column does not count it.
bool JoinsPrevious(char16_t unit) { return IsLowSurrogate(unit) || IsCombiningMark(unit); }

// The most characters of text[0 .. limit) that fit in width, 1 at least:
// doubling counts find a count that does not fit, then halving narrows it
// down, so no measure covers much more than twice a row, however long the
// line. Widths grow with the count, as drawn text does.
int FitCount(const char16_t* text, int limit, int width, const TextMeasure& measure) {
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
std::u16string ExpandTabs(const char16_t* text, size_t length) {
  if (std::find(text, text + length, u'\t') == text + length) return std::u16string(text, length);
  std::u16string expanded;
  expanded.reserve(length + kTabColumns);
  size_t column = 0;
  for (size_t i = 0; i < length; ++i) {
    if (text[i] == u'\t') {
      const size_t spaces = kTabColumns - column % kTabColumns;
      expanded.append(spaces, u' ');
      column += spaces;
    } else {
      expanded += text[i];
      if (!JoinsPrevious(text[i])) ++column;
    }
  }
  return expanded;
}

}  // namespace

TextForm DetectTextForm(const char* data, size_t size) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(data);
  if (size >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF) return {TextEncoding::kUtf8, 3};
  if (size >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE) return {TextEncoding::kUtf16LittleEndian, 2};
  if (size >= 2 && bytes[0] == 0xFE && bytes[1] == 0xFF) return {TextEncoding::kUtf16BigEndian, 2};
  const bool beyondAscii = std::any_of(bytes, bytes + size, [](unsigned char byte) { return byte >= 0x80; });
  if (beyondAscii && IsValidUtf8(data, size)) return {TextEncoding::kUtf8, 0};
  return {TextEncoding::kAnsi, 0};
}

std::u16string DecodeUnicodeText(const char* data, size_t size, const TextForm& form) {
  const size_t mark = std::min(form.markLength, size);
  switch (form.encoding) {
    case TextEncoding::kUtf8: return DecodeUtf8(data + mark, size - mark);
    case TextEncoding::kUtf16LittleEndian: return DecodeUtf16(data + mark, size - mark, false);
    case TextEncoding::kUtf16BigEndian: return DecodeUtf16(data + mark, size - mark, true);
    case TextEncoding::kAnsi: break;
  }
  return std::u16string();
}

std::vector<std::u16string> SplitTextLines(const std::u16string& text) {
  std::vector<std::u16string> lines;
  const char16_t* data = text.data();
  const size_t size = text.size();
  size_t at = 0;
  while (at < size) {
    size_t end = at;
    while (end < size && data[end] != u'\r' && data[end] != u'\n') ++end;
    lines.push_back(ExpandTabs(data + at, end - at));
    // One line end: a carriage return with the line feed after it, or
    // either alone.
    if (end < size && data[end] == u'\r') {
      ++end;
      if (end < size && data[end] == u'\n') ++end;
    } else if (end < size && data[end] == u'\n') {
      ++end;
    }
    at = end;
  }
  return lines;
}

void WrapLine(const std::u16string& line, int width, const TextMeasure& measure, std::vector<std::u16string>& rows) {
  const char16_t* text = line.data();
  const int length = static_cast<int>(line.size());
  if (length == 0 || measure(text, length) <= width) {
    rows.push_back(line);
    return;
  }
  int start = 0;
  while (start < length) {
    const int rest = length - start;
    const int fit = FitCount(text + start, rest, width, measure);
    if (fit == rest) {
      rows.emplace_back(text + start, rest);
      break;
    }
    // The row ends at the last word end that fits: a space after a
    // character that is none. text[start + fit] exists, as fit < rest.
    int cut = start + fit;
    while (cut > start && !(text[cut] == u' ' && text[cut - 1] != u' ')) --cut;
    if (cut == start) {
      // No space to break at: the word is broken where the row is full, at
      // the start of a character; a character wider than the row has one
      // to itself.
      cut = start + fit;
      while (cut > start && JoinsPrevious(text[cut])) --cut;
      if (cut == start)
        for (cut = start + 1; cut < length && JoinsPrevious(text[cut]);) ++cut;
    }
    rows.emplace_back(text + start, cut - start);
    start = cut;
    while (start < length && text[start] == u' ') ++start;
  }
}

WrappedText WrapLines(const std::vector<std::u16string>& lines, int width, const TextMeasure& measure) {
  WrappedText wrapped;
  wrapped.firstRows.reserve(lines.size());
  for (const std::u16string& line : lines) {
    wrapped.firstRows.push_back(static_cast<int>(wrapped.rows.size()));
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
  return UiTextUtf8(IDS_UNREADABLE_TEXT, {fileName, because});
}
