// A host's version keys read as numbers, newest first.
#include "app/install/HostVersions.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(HostVersions, OnlyPlainVersionNumbersAreVersions) {
  const struct {
    const char* key;
    bool version;
  } cases[] = {
      {"24.0", true},   {"9", true},        {"10.5.1", true},   {"999999.999999", true},
      {"", false},      {".", false},       {"..", false},      {"24.", false},
      {".5", false},    {"1e9", false},     {"-1.0", false},    {"+1.0", false},
      {"1.2.3.4", false}, {"9999999.0", false}, {"9999999999.0", false}, {"CS5", false},
      {"24 .0", false}, {"24,0", false},
  };
  for (const auto& c : cases) {
    HostVersion version;
    EXPECT_EQ(ParseHostVersion(c.key, &version), c.version) << "\"" << c.key << "\"";
  }
}

std::vector<HostVersion> Versions(const std::vector<std::pair<std::string, bool>>& keys) {
  std::vector<HostVersion> versions;
  for (const auto& key : keys) {
    HostVersion version;
    EXPECT_TRUE(ParseHostVersion(key.first, &version)) << key.first;
    version.view64 = key.second;
    versions.push_back(version);
  }
  SortHostVersions(&versions);
  return versions;
}

// By number, not by text; of one version in both views, the 64-bit one
// first.
TEST(HostVersions, NewestFirstByNumber) {
  EXPECT_EQ(HostVersionsText(Versions({{"9.0", false}, {"130.0", true}, {"60.0", true}, {"12.0", true},
                                       {"55.0", true}, {"10.5", false}, {"10.10", false}})),
            "130.0 (64-bit), 60.0 (64-bit), 55.0 (64-bit), 12.0 (64-bit), 10.10 (32-bit), 10.5 (32-bit), "
            "9.0 (32-bit)");
  const std::vector<HostVersion> both = Versions({{"24.0", false}, {"24.0", true}, {"23.5", true}});
  EXPECT_EQ(HostVersionText("After Effects", both.front()), "After Effects 24.0 (64-bit)");
  EXPECT_EQ(HostVersionsText(both), "24.0 (64-bit), 24.0 (32-bit), 23.5 (64-bit)");
  EXPECT_EQ(HostVersionsText({}), "none");
  // Every number counts, not the first two alone.
  EXPECT_EQ(HostVersionsText(Versions({{"24.0.1", true}, {"24.0.10", true}, {"24.0.2", true}, {"24.0", true}})),
            "24.0.10 (64-bit), 24.0.2 (64-bit), 24.0.1 (64-bit), 24.0 (64-bit)");
}

}  // namespace
