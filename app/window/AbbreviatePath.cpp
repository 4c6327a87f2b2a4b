#include "app/window/AbbreviatePath.h"

#include <cstring>
#include <deque>

#include "common/UnicodeText.h"

namespace {

// Longest path the display looks at, and the length the display keeps
// below.
constexpr size_t kScanLimit = 1023;
constexpr size_t kDisplayLimit = 48;

// The backslash-separated components, first to last. A trailing backslash
// gives an empty last component; a leading one adds none.
std::deque<std::string> SplitPathComponents(const char* path) {
  const std::string text(path, strnlen(path, kScanLimit));
  std::deque<std::string> components;
  std::string current;
  for (size_t i = text.size(); i-- > 0;) {
    if (text[i] == '\\') {
      components.push_front(current);
      current.clear();
    } else {
      current.insert(current.begin(), text[i]);
    }
  }
  if (!current.empty()) components.push_front(current);
  return components;
}

}  // namespace

std::string AbbreviatePath(const char* path) {
  const std::deque<std::string> components = SplitPathComponents(path);
  std::string result;
  for (auto it = components.rbegin(); it != components.rend(); ++it) {
    // Characters, not bytes: a Japanese name is no longer for its UTF-8.
    if (Utf16Length(result) + Utf16Length(*it) + 1 >= kDisplayLimit) return ".../" + result;
    result = result.empty() ? *it : *it + "/" + result;
  }
  return result;
}
