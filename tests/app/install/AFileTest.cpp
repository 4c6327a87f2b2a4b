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
  bool Read(void* buffer, uint32_t count, uint32_t* got) override {
    *got = static_cast<uint32_t>(std::min<size_t>(count, bytes.size() - position));
    std::memcpy(buffer, bytes.data() + position, *got);
    position += *got;
    return true;
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

uint64_t SizeOf(AFile& file) {
  uint64_t size = 0;
  EXPECT_TRUE(file.Size(&size));
  return size;
}

TEST_F(AFileTest, OpenModesCreateTruncateAppendAndNeverOverwrite) {
  const std::string name = Path("f.txt");
  {
    AFile file(name.c_str());
    EXPECT_FALSE(file.OpenRead()) << "missing file opened for reading";
    EXPECT_EQ(file.Error(), static_cast<uint32_t>(ERROR_FILE_NOT_FOUND));
    EXPECT_FALSE(file.OpenAppend());
    EXPECT_FALSE(Exists("f.txt")) << "OpenAppend created a missing file";
    ASSERT_TRUE(file.OpenReadWrite());
    EXPECT_TRUE(file.Write("hello", 5));
  }
  EXPECT_EQ(Get("f.txt"), "hello");
  {
    AFile file(name.c_str());
    ASSERT_TRUE(file.OpenAppend());
    EXPECT_TRUE(file.Write(" world", 6));
  }
  EXPECT_EQ(Get("f.txt"), "hello world");
  {
    AFile file(name.c_str());
    ASSERT_TRUE(file.OpenReadWrite()) << "read-write must open an existing file";
    EXPECT_EQ(SizeOf(file), 11u);
    EXPECT_TRUE(file.Write("J", 1));
  }
  EXPECT_EQ(Get("f.txt"), "Jello world");
  {
    AFile file(name.c_str());
    EXPECT_FALSE(file.OpenCreateNew()) << "an existing file is never opened to be written anew";
    EXPECT_EQ(file.Error(), static_cast<uint32_t>(ERROR_FILE_EXISTS));
  }
  EXPECT_EQ(Get("f.txt"), "Jello world");
  {
    AFile file(name.c_str());
    ASSERT_TRUE(file.OpenWrite());
    EXPECT_EQ(SizeOf(file), 0u) << "OpenWrite must truncate";
  }
  EXPECT_EQ(Get("f.txt"), "");
  const std::string newName = Path("new.txt");
  AFile fresh(newName.c_str());
  ASSERT_TRUE(fresh.OpenCreateNew());
  EXPECT_TRUE(fresh.Write("n", 1));
  fresh.Close();
  EXPECT_EQ(Get("new.txt"), "n");
}

// Readers share: any number of installs read one distribution at once.
// Writers share with no one.
TEST_F(AFileTest, ReadersShareWritersDoNot) {
  Put("f.txt", "data");
  const std::string name = Path("f.txt");
  AFile first(name.c_str());
  ASSERT_TRUE(first.OpenRead());
  AFile second(name.c_str());
  EXPECT_TRUE(second.OpenRead()) << "a second reader";
  char byte = 0;
  EXPECT_TRUE(second.ReadWhole(&byte, 1));
  EXPECT_EQ(byte, 'd');
  second.Close();
  EXPECT_FALSE(second.OpenAppend()) << "no writer beside a reader";
  EXPECT_EQ(second.Error(), static_cast<uint32_t>(ERROR_SHARING_VIOLATION));
  EXPECT_FALSE(second.OpenWrite());
  EXPECT_FALSE(second.OpenReadWrite());
  first.Close();
  EXPECT_EQ(first.handle, nullptr);

  ASSERT_TRUE(first.OpenReadWrite());
  EXPECT_FALSE(second.OpenRead()) << "no reader beside a writer";
  EXPECT_EQ(second.Error(), static_cast<uint32_t>(ERROR_SHARING_VIOLATION));
}

TEST_F(AFileTest, ClearForgetsWithoutClosing) {
  Put("f.txt", "data");
  const std::string name = Path("f.txt");
  AFile file(name.c_str());
  ASSERT_TRUE(file.OpenReadWrite());
  HANDLE kept = file.handle;
  file.Clear();
  EXPECT_EQ(file.handle, INVALID_HANDLE_VALUE);
  EXPECT_EQ(file.name, nullptr);
  AFile other(name.c_str());
  EXPECT_FALSE(other.OpenRead()) << "Clear closed the handle";
  CloseHandle(kept);
}

TEST_F(AFileTest, PositionsCountFromTheMarkedBase) {
  Put("f.txt", "0123456789");
  const std::string name = Path("f.txt");
  AFile file(name.c_str());
  ASSERT_TRUE(file.OpenRead());
  char buffer[8] = {};
  uint32_t got = 0;
  EXPECT_TRUE(file.ReadWhole(buffer, 3));
  EXPECT_TRUE(file.MarkBase());
  EXPECT_EQ(file.baseOffset, 3);
  EXPECT_TRUE(file.ReadWhole(buffer, 4));
  int64_t position = 0;
  EXPECT_TRUE(file.Tell(&position));
  EXPECT_EQ(position, 7);
  EXPECT_TRUE(file.SeekFromBase(0));
  EXPECT_TRUE(file.Tell(&position));
  EXPECT_EQ(position, 3);
  EXPECT_TRUE(file.SeekFromBase(5));
  EXPECT_TRUE(file.Read(buffer, 8, &got));
  EXPECT_EQ(std::string(buffer, got), "89");
  EXPECT_TRUE(file.Read(buffer, 8, &got));
  EXPECT_EQ(got, 0u) << "end of file";
  EXPECT_FALSE(file.SeekFromBase(-4)) << "before the start of the file";
  EXPECT_EQ(file.Error(), static_cast<uint32_t>(ERROR_NEGATIVE_SEEK));
}

// Whole counts or a failure: a file that ends early, a file shorter than
// asked, never a short count passed off as success.
TEST_F(AFileTest, ReadWholeFailsOnAFileThatEndsEarly) {
  Put("f.txt", "abc");
  // The object keeps the name's address, not a copy.
  const std::string name = Path("f.txt");
  AFile file(name.c_str());
  ASSERT_TRUE(file.OpenRead()) << "error " << file.Error();
  char buffer[8];
  EXPECT_FALSE(file.ReadWhole(buffer, 5));
  EXPECT_EQ(file.Error(), static_cast<uint32_t>(ERROR_HANDLE_EOF));
  AFile closed(name.c_str());
  EXPECT_FALSE(closed.Write("x", 1)) << "no handle";
  EXPECT_NE(closed.Error(), 0u);
}

TEST_F(AFileTest, ReadsLinesFromARealFile) {
  Put("product.txt", "\r\nQuorvin Tools 2\r\nsecond");
  const std::string name = Path("product.txt");
  AFile file(name.c_str());
  ASSERT_TRUE(file.OpenRead());
  char line[1025];
  EXPECT_EQ(file.ReadLine(line, 1024), 15);
  EXPECT_STREQ(line, "Quorvin Tools 2");
  EXPECT_EQ(file.ReadLine(line, 1024), 6);
  EXPECT_EQ(file.ReadLine(line, 1024), 0);
}

TEST_F(AFileTest, CanBeOpenedAgainAfterClose) {
  const std::string name = Path("f.txt");
  AFile file(name.c_str());
  ASSERT_TRUE(file.OpenWrite());
  file.Write("ab", 2);
  file.Close();
  file.Close();
  ASSERT_TRUE(file.OpenRead());
  EXPECT_EQ(SizeOf(file), 2u);
}

}  // namespace
