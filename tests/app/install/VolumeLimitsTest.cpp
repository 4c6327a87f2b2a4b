// What a FAT volume cannot hold, found before anything is written.
#include "app/install/VolumeLimits.h"

#include <gtest/gtest.h>

#include <string>

namespace {

Payload Files(const std::string& folder, int count, size_t nameLength, uint64_t size = 1) {
  Payload payload;
  for (int i = 0; i < count; ++i) {
    std::string name = std::to_string(i);
    name.insert(0, nameLength - name.size(), 'n');
    payload.entries.push_back({folder.empty() ? name : folder + "\\" + name, false, size});
  }
  return payload;
}

TEST(VolumeLimits, ALongNameTakesAnEntryPerThirteenCharacters) {
  EXPECT_EQ(FatDirectoryEntries(1), 2u);
  EXPECT_EQ(FatDirectoryEntries(13), 2u);
  EXPECT_EQ(FatDirectoryEntries(14), 3u);
  EXPECT_EQ(FatDirectoryEntries(255), 21u);
}

TEST(VolumeLimits, OnlyFatVolumesHaveThem) {
  Payload huge;
  huge.entries.push_back({"Sub", true, 0});
  huge.entries.push_back({"Sub\\video.mov", false, 5ull << 30});
  for (const char* fileSystem : {"NTFS", "exFAT", "ReFS", ""}) EXPECT_FALSE(CheckVolumeLimits(fileSystem, huge).found);
  const VolumeLimitProblem problem = CheckVolumeLimits("FAT32", huge);
  ASSERT_TRUE(problem.found);
  EXPECT_EQ(problem.path, "Sub\\video.mov");
  EXPECT_NE(problem.reason.find("4 GiB"), std::string::npos) << problem.reason;
  huge.entries[1].size = 0xFFFFFFFFull;  // the largest a FAT volume holds
  EXPECT_FALSE(CheckVolumeLimits("FAT32", huge).found);
}

// 65,536 entries a folder, less "." and "..": 32,767 names of up to 13
// characters fill it; one more does not fit. The count is per folder.
TEST(VolumeLimits, AFatFolderHoldsSoManyNames) {
  EXPECT_FALSE(CheckVolumeLimits("FAT32", Files("Sub", 32767, 13)).found);
  const VolumeLimitProblem problem = CheckVolumeLimits("FAT", Files("Sub", 32768, 13));
  ASSERT_TRUE(problem.found);
  EXPECT_EQ(problem.path, "Sub");
  EXPECT_TRUE(CheckVolumeLimits("FAT32", Files("", 21846, 14)).found) << "three entries each";
  Payload two = Files("A", 30000, 13);
  for (const PayloadEntry& entry : Files("B", 30000, 13).entries) two.entries.push_back(entry);
  EXPECT_FALSE(CheckVolumeLimits("FAT32", two).found);
}

}  // namespace
