#include "toolkit/files/FileTypeTable.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

// The filter list as text with "|" for each terminator.
std::string Visible(const char* list, size_t capacity) {
  std::string text;
  for (size_t i = 0; i < capacity; ++i) {
    text += list[i] ? list[i] : '|';
    if (i > 0 && !list[i] && !list[i - 1]) break;
  }
  return text;
}

TEST(FileTypeTableTest, FilterLists) {
  struct Case {
    std::vector<int> ids;
    size_t capacity;
    bool fits;
    std::string list;
  };
  const std::vector<Case> cases = {
      {{21}, 520, true, "Text files|*.txt||"},
      {{0, 27}, 520, true, "Adobe Illustrator Files (*.ai)|*.ai|All files|*.*||"},
      {{20}, 520, true, "Font files|*.ttf;*.pfb;*.pfa||"},
      {{}, 520, true, "||"},
      {{21}, 18, true, "Text files|*.txt||"},  // exactly the 18 bytes it needs
      {{21}, 17, false, "||"},
      {{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13}, 260, false, "||"},  // past the skip dialog's 260 bytes
      {{28}, 520, false, "||"},
      {{-1}, 520, false, "||"},
  };
  for (const Case& c : cases) {
    char list[520];
    std::memset(list, 'x', sizeof list);
    EXPECT_EQ(BuildFilterList(int(c.ids.size()), c.ids.data(), list, c.capacity), c.fits) << c.list;
    EXPECT_EQ(Visible(list, c.capacity), c.list);
  }
}

TEST(FileTypeTableTest, DefaultExtensions) {
  const std::vector<std::pair<int, std::string>> cases = {
      {21, "txt"}, {0, "ai"}, {20, "ttf"}, {27, ""}, {28, ""}, {-5, ""}};
  for (const auto& [id, extension] : cases) {
    char out[32] = "stale";
    DefaultExtension(id, out);
    EXPECT_EQ(out, extension) << id;
  }
}

}  // namespace
