#include "imagelib/RasterImage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "imagelib/ImageOps.h"
#include "imagelib/JpegReader.h"
#include "tests/imagelib/JpegSamples.h"

namespace {

void ExpectEmpty(const RasterImage& image) {
  EXPECT_EQ(image.store, nullptr);
  EXPECT_EQ(image.type, kPixelNone);
  EXPECT_EQ(GetImageWidth(&image), -1);
  EXPECT_EQ(GetImageHeight(&image), -1);
}

TEST(RasterImageTest, NewAndInitialisedRecordsAreEmpty) {
  RasterImage fresh;
  ExpectEmpty(fresh);
  EXPECT_STREQ(fresh.path, "");
  EXPECT_STREQ(fresh.sourcePath, "");
  EXPECT_EQ(fresh.userValue, 0);
  EXPECT_EQ(fresh.handle, nullptr);

  RasterImage used;
  AllocatePixels(&used, 4, 3, kPixelRgba8);
  SetImageNames(&used, "a.jpg");
  used.userValue = 9;
  InitImage(&used);
  ExpectEmpty(used);
  EXPECT_EQ(used.width, 0);
  EXPECT_EQ(used.height, 0);
  EXPECT_STREQ(used.path, "");
  EXPECT_STREQ(used.sourcePath, "");
  EXPECT_EQ(used.userValue, 0);
}

TEST(RasterImageTest, AllocatePixelsGivesAZeroFilledBlockOfTheTypesSize) {
  struct Case {
    uint32_t type;
    int bytesPerPixel;
  } cases[] = {
      {kPixelRgb8, 3},       {kPixelRgba8, 4},      {kPixelArgb8, 4},     {kPixelArgb16, 8},
      {kPixelOpaque128a, 16}, {kPixelOpaque128b, 16}, {kPixelArgbFloat, 16},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.type);
    RasterImage image;
    SetImageNames(&image, "old name");
    AllocatePixels(&image, 5, 3, c.type);
    ASSERT_NE(image.store, nullptr);
    EXPECT_EQ(image.type, c.type);
    EXPECT_EQ(GetImageWidth(&image), 5);
    EXPECT_EQ(GetImageHeight(&image), 3);
    EXPECT_EQ(image.store->bytesPerPixel, c.bytesPerPixel);
    EXPECT_EQ(image.store->ByteCount(), size_t(15 * c.bytesPerPixel));
    const uint8_t* begin = image.store->data;
    EXPECT_TRUE(std::all_of(begin, begin + image.store->ByteCount(), [](uint8_t b) { return b == 0; }));
    EXPECT_STREQ(image.sourcePath, "") << "a new image has no source yet";
    EXPECT_STREQ(image.path, "old name");
  }
}

TEST(RasterImageTest, AllocatingAgainReplacesThePixels) {
  RasterImage image;
  AllocatePixels(&image, 100, 100, kPixelArgbFloat);
  AllocatePixels(&image, 2, 1, kPixelRgb8);  // the leak checker sees a lost store
  EXPECT_EQ(image.store->ByteCount(), 6u);
}

TEST(RasterImageTest, RefusedAllocationsThrowAndLeaveTheRecordEmpty) {
  struct Case {
    const char* what;
    int32_t width, height;
    uint32_t type;
  } cases[] = {
      {"no pixel layout", 4, 4, kPixelNone},
      {"unknown layout", 4, 4, 8},
      {"negative width", -1, 4, kPixelRgb8},
      {"negative height", 4, -2, kPixelRgb8},
      {"a side over the limit", kMaxImageSide + 1, 1, kPixelRgb8},
      {"the largest frame a JPEG header can give", 65535, 65535, kPixelRgb8},
      {"a block past what one object may take", kMaxImageSide, kMaxImageSide / 2, kPixelArgbFloat},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    RasterImage image;
    AllocatePixels(&image, 3, 3, kPixelRgb8);
    EXPECT_THROW(AllocatePixels(&image, c.width, c.height, c.type), std::bad_alloc);
    ExpectEmpty(image);
  }
}

// Blocks a 32-bit process cannot hold as one object are refused on every
// platform, before any allocation; the largest that may be tried is just
// under 2 GiB.
TEST(RasterImageTest, ImageByteCountRefusesBlocksPastWhatOneObjectMayTake) {
  struct Case {
    int64_t width, height;
    int bytesPerPixel;
    bool allowed;
    uint64_t bytes;
  } cases[] = {
      {kMaxImageSide, kMaxImageSide, 16, false, 0},      // 4 GiB: 0 in 32-bit arithmetic
      {kMaxImageSide, kMaxImageSide / 2, 16, false, 0},  // exactly 2 GiB
      {kMaxImageSide, kMaxImageSide / 2 - 1, 16, true, (uint64_t{1} << 31) - (uint64_t{1} << 18)},
      {kMaxImageSide, kMaxImageSide, 4, true, uint64_t{1} << 30},
      {kMaxImageSide + 1, 1, 3, false, 0},
      {1, kMaxImageSide + 1, 3, false, 0},
      {0, 0, 3, true, 0},
      {-1, 1, 3, false, 0},
      {1, 1, 0, false, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.width << " x " << c.height << " x " << c.bytesPerPixel);
    size_t bytes = 12345;
    EXPECT_EQ(ImageByteCount(c.width, c.height, c.bytesPerPixel, &bytes), c.allowed);
    if (c.allowed) {
      EXPECT_EQ(bytes, c.bytes);
    }
  }
}

// Takes blocks of `chunk` bytes until the allocator has none left, so that
// any larger request fails for real; gives them back when it goes.
class AddressSpaceFiller {
public:
  explicit AddressSpaceFiller(size_t chunk) {
    while (void* block = std::malloc(chunk)) blocks.push_back(block);
  }
  ~AddressSpaceFiller() {
    for (void* block : blocks) std::free(block);
  }
  size_t Blocks() const { return blocks.size(); }

private:
  std::vector<void*> blocks;
};

// A 32-bit process runs out of address space long before the machine runs
// out of memory. With every 8 MiB block taken, images of 12 MiB cannot be
// had: each operation reports it and leaves the record empty.
TEST(RasterImageTest, FailedAllocationsAreCleanFailures) {
  if (sizeof(void*) > 4) GTEST_SKIP() << "only a 32-bit process can run out of address space here";
  const std::vector<uint8_t> jpeg = EncodeJpeg(MakeFlatPicture(2048, 2048, 3, 90));
  RasterImage image, small, destination;
  AllocatePixels(&small, 3, 3, kPixelRgb8);
  AllocatePixels(&destination, 2, 2, kPixelRgb8);
  {
    AddressSpaceFiller filler(size_t{8} << 20);
    ASSERT_GT(filler.Blocks(), 100u);
    AllocatePixels(&image, 2, 2, kPixelRgb8);
    EXPECT_FALSE(TryAllocatePixels(&image, 2048, 2048, kPixelRgb8));
    ExpectEmpty(image);
    EXPECT_THROW(AllocatePixels(&image, 2048, 2048, kPixelRgb8), std::bad_alloc);
    ExpectEmpty(image);
    EXPECT_EQ(DecodeJpeg(&image, jpeg.data(), jpeg.size()), -1);
    ExpectEmpty(image);
    // Operations that need little still work.
    EXPECT_EQ(ResampleImage(&destination, &small), 0);
    EXPECT_EQ(FlipImageVertically(&small), 0);
  }
  EXPECT_EQ(DecodeJpeg(&image, jpeg.data(), jpeg.size()), 0) << "the same image fits once the space is back";
}

TEST(RasterImageTest, ClearImageFreesThePixelsAndKeepsSizeAndType) {
  RasterImage image;
  AllocatePixels(&image, 4, 2, kPixelArgb16);
  ClearImage(&image);
  EXPECT_EQ(image.store, nullptr);
  EXPECT_EQ(image.width, 4);
  EXPECT_EQ(image.type, kPixelArgb16);

  // A store is freed whatever the type says.
  AllocatePixels(&image, 4, 2, kPixelRgb8);
  image.type = kPixelNone;
  ClearImage(&image);
  EXPECT_EQ(image.store, nullptr);
  ClearImage(&image);
}

TEST(RasterImageTest, SetImageNamesKeepsTheEndOfLongNames) {
  const std::string longName = std::string(300, 'a') + "\\tail.jpg";
  const std::string longTail = longName.substr(longName.size() - 259);
  const std::string exact(259, 'b');
  struct Case {
    std::string name, expected;
  } cases[] = {
      {"bkgd.jpg", "bkgd.jpg"},
      {"", ""},
      {exact, exact},
      {exact + "c", exact.substr(1) + "c"},
      {longName, longTail},
  };
  for (const Case& c : cases) {
    RasterImage image;
    SetImageNames(&image, c.name.c_str());
    EXPECT_EQ(image.path, c.expected);
    EXPECT_EQ(image.sourcePath, c.expected);
  }

  RasterImage image;
  SetImageNames(&image, "kept.jpg");
  SetImageNames(&image, nullptr);
  EXPECT_STREQ(image.sourcePath, "");
  EXPECT_STREQ(image.path, "kept.jpg");
  SetImageNames(&image, image.path);
  EXPECT_STREQ(image.sourcePath, "kept.jpg");
}

}  // namespace
