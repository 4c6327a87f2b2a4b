#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/window/AbbreviatePath.h"

namespace {

TEST(AbbreviatePath, KeepsTheLastComponentsThatFit) {
  struct Case {
    const char* path;
    std::string shown;
  } cases[] = {
      {"C:\\Program Files", "C:/Program Files"},
      {"C:\\Program Files\\", "C:/Program Files"},  // a trailing backslash does not show
      {"C:\\\\a", "C://a"},                          // a doubled one shows twice
      {"\\leading", "leading"},
      {"", ""},
      // Adding "Vendor" would reach 43 + 6 + 1 = 50 characters.
      {"C:\\Program Files\\Vendor\\Host Application 7.0\\Support Files\\Plug-ins",
       ".../Host Application 7.0/Support Files/Plug-ins"},
  };
  for (const Case& c : cases) EXPECT_EQ(AbbreviatePath(c.path), c.shown) << c.path;

  // The limit: a result and the next component with its slash below 48.
  const std::string last46(46, 'x'), last47(47, 'y');
  EXPECT_EQ(AbbreviatePath(("C:\\" + last46).c_str()), ".../" + last46) << "46 + 2 reaches 48";
  EXPECT_EQ(AbbreviatePath(last46.c_str()), last46) << "a lone component: 46 + 1";
  EXPECT_EQ(AbbreviatePath(("C:\\" + last47).c_str()), ".../");
  EXPECT_EQ(AbbreviatePath(("C:\\a\\" + std::string(44, 'z')).c_str()), ".../a/" + std::string(44, 'z'));
  EXPECT_EQ(AbbreviatePath(std::string(2000, 'p').c_str()), ".../") << "only 1023 characters are read";
}

}  // namespace
