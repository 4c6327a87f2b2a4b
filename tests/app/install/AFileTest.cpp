#include "app/install/AFile.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "tests/app/Scratch.h"

namespace {

// Serves bytes from memory through Read, so the line readers can be tested
// through the table of virtual operations without a file.
class MemoryFile : public AFile {
public:
  explicit MemoryFile(std::string bytes) : bytes(std::move(bytes)) {}
  int Read(void* buffer, int count) override {
    int n = std::min<int>(count, static_cast<int>(bytes.size() - position));
    std::memcpy(buffer, bytes.data() + position, n);
    position += n;
    return n;
  }

private:
  std::string bytes;
  size_t position = 0;
};

// Every line a reader gives until it returns 0, with its count.
template <class Reader>
std::vector<std::string> Lines(const std::string& text, int max, Reader reader) {
  MemoryFile file(text);
  std::vector<std::string> lines;
  std::vector<char> buffer(max + 1, '#');
  for (int guard = 0; guard < 100; ++guard) {
    int count = (file.*reader)(buffer.data(), max);
    if (count == 0) break;
    EXPECT_EQ(std::strlen(buffer.data()), static_cast<size_t>(count));
    lines.emplace_back(buffer.data());
  }
  return lines;
}

using Strings = std::vector<std::string>;

TEST(AFileLines, ReadLineSkipsBlankLinesAndLineEnds) {
  EXPECT_EQ(Lines("\n\n\nabc", 100, &AFile::ReadLine), Strings{"abc"});
  EXPECT_EQ(Lines("ab\r\ncd", 100, &AFile::ReadLine), (Strings{"ab", "cd"}));
  EXPECT_EQ(Lines("ab\r\rcd\n\n", 100, &AFile::ReadLine), (Strings{"ab", "cd"}));
  EXPECT_EQ(Lines("", 100, &AFile::ReadLine), Strings{});
}

TEST(AFileLines, ReadLineSplitsALineLongerThanMax) {
  EXPECT_EQ(Lines("abcdefgh\nij", 5, &AFile::ReadLine), (Strings{"abcde", "fgh", "ij"}));
}

TEST(AFileLines, ReadLineKeepBlankReadsBlankLinesAsOneSpace) {
  EXPECT_EQ(Lines("ab\r\ncd", 100, &AFile::ReadLineKeepBlank), (Strings{"ab", " ", "cd"}));
  EXPECT_EQ(Lines("\n\nx\n", 100, &AFile::ReadLineKeepBlank), (Strings{" ", " ", "x"}));
  EXPECT_EQ(Lines("abcdefgh", 5, &AFile::ReadLineKeepBlank), (Strings{"abcde", "fgh"}));
}

TEST(AFileLines, ReadLineKeepBlankWithNoRoomGivesEmptyText) {
  MemoryFile file("abc");
  char buffer[4] = "zzz";
  EXPECT_EQ(file.ReadLineKeepBlank(buffer, 0), 0);
  EXPECT_STREQ(buffer, "");
  EXPECT_EQ(file.ReadLineKeepBlank(buffer, 3), 3);
  EXPECT_STREQ(buffer, "abc");
}

class AFileTest : public ScratchTest {};

TEST_F(AFileTest, OpenModesCreateTruncateAndAppend) {
  const std::string name = Path("f.txt");
  {
    AFile file(name.c_str());
    EXPECT_EQ(file.OpenRead(0), 1) << "missing file opened for reading";
    EXPECT_EQ(file.OpenAppend(0), -1);
    EXPECT_FALSE(Exists("f.txt")) << "OpenAppend created a missing file";
    ASSERT_EQ(file.OpenReadWrite(0, 0, 0), 0);
    EXPECT_EQ(file.Write("hello", 5), 5);
  }
  EXPECT_EQ(Get("f.txt"), "hello");
  {
    AFile file(name.c_str());
    ASSERT_EQ(file.OpenAppend(0), 0);
    EXPECT_EQ(file.Write(" world", 6), 6);
  }
  EXPECT_EQ(Get("f.txt"), "hello world");
  {
    AFile file(name.c_str());
    ASSERT_EQ(file.OpenReadWrite(0, 0, 0), 0) << "read-write must open an existing file";
    EXPECT_EQ(file.Size(), 11);
    EXPECT_EQ(file.Write("J", 1), 1);
  }
  EXPECT_EQ(Get("f.txt"), "Jello world");
  {
    AFile file(name.c_str());
    ASSERT_EQ(file.OpenWrite(0, 0, 0), 0);
    EXPECT_EQ(file.Size(), 0) << "OpenWrite must truncate";
  }
  EXPECT_EQ(Get("f.txt"), "");
}

TEST_F(AFileTest, NoModeSharesAnOpenFile) {
  Put("f.txt", "data");
  const std::string name = Path("f.txt");
  AFile first(name.c_str());
  ASSERT_EQ(first.OpenRead(0), 0);
  AFile second(name.c_str());
  EXPECT_EQ(second.OpenRead(0), 1);
  EXPECT_EQ(second.OpenAppend(0), -1);
  EXPECT_EQ(second.OpenWrite(0, 0, 0), 1);
  EXPECT_EQ(second.OpenReadWrite(0, 0, 0), 1);
  first.Close();
  EXPECT_EQ(first.handle, nullptr);
  EXPECT_EQ(second.OpenRead(0), 0) << "closing must release the file";
}

TEST_F(AFileTest, ClearForgetsWithoutClosing) {
  Put("f.txt", "data");
  const std::string name = Path("f.txt");
  AFile file(name.c_str());
  ASSERT_EQ(file.OpenRead(0), 0);
  HANDLE kept = file.handle;
  EXPECT_EQ(file.Clear(), 0);
  EXPECT_EQ(file.handle, INVALID_HANDLE_VALUE);
  EXPECT_EQ(file.name, nullptr);
  AFile other(name.c_str());
  EXPECT_EQ(other.OpenRead(0), 1) << "Clear closed the handle";
  CloseHandle(kept);
}

TEST_F(AFileTest, PositionsCountFromTheMarkedBase) {
  Put("f.txt", "0123456789");
  const std::string name = Path("f.txt");
  AFile file(name.c_str());
  ASSERT_EQ(file.OpenRead(0), 0);
  char buffer[8] = {};
  EXPECT_EQ(file.Read(buffer, 3), 3);
  EXPECT_EQ(file.MarkBase(), 0);
  EXPECT_EQ(file.baseOffset, 3);
  EXPECT_EQ(file.Read(buffer, 4), 4);
  EXPECT_EQ(file.Tell(), 7);
  EXPECT_EQ(file.SeekFromBase(0), 0);
  EXPECT_EQ(file.Tell(), 3);
  EXPECT_EQ(file.SeekFromBase(5), 0);
  EXPECT_EQ(file.Read(buffer, 8), 2);
  EXPECT_EQ(std::string(buffer, 2), "89");
  EXPECT_EQ(file.Read(buffer, 8), 0) << "end of file";
  EXPECT_EQ(file.SeekFromBase(-4), -1) << "before the start of the file";
}

TEST_F(AFileTest, ReadsLinesFromARealFile) {
  Put("product.txt", "\r\nQuorvin Tools 2\r\nsecond");
  const std::string name = Path("product.txt");
  AFile file(name.c_str());
  ASSERT_EQ(file.OpenRead(0), 0);
  char line[1025];
  EXPECT_EQ(file.ReadLine(line, 1024), 15);
  EXPECT_STREQ(line, "Quorvin Tools 2");
  EXPECT_EQ(file.ReadLine(line, 1024), 6);
  EXPECT_EQ(file.ReadLine(line, 1024), 0);
}

TEST_F(AFileTest, CanBeOpenedAgainAfterClose) {
  const std::string name = Path("f.txt");
  AFile file(name.c_str());
  ASSERT_EQ(file.OpenWrite(0, 0, 0), 0);
  file.Write("ab", 2);
  file.Close();
  file.Close();
  ASSERT_EQ(file.OpenRead(0), 0);
  EXPECT_EQ(file.Size(), 2);
}

}  // namespace
