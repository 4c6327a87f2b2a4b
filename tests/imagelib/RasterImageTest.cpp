#include "imagelib/RasterImage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <new>
#include <string>

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
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    RasterImage image;
    AllocatePixels(&image, 3, 3, kPixelRgb8);
    EXPECT_THROW(AllocatePixels(&image, c.width, c.height, c.type), std::bad_alloc);
    ExpectEmpty(image);
  }
}

// 16384 x 16384 float pixels are within the pixel limit but take 4 GiB,
// which wraps to 0 in 32-bit arithmetic.
TEST(RasterImageTest, BlocksPastTheAddressSpaceAreRefused) {
  if (sizeof(size_t) > 4) GTEST_SKIP() << "only a 32-bit process cannot address the block";
  RasterImage image;
  EXPECT_THROW(AllocatePixels(&image, kMaxImageSide, kMaxImageSide, kPixelArgbFloat), std::bad_alloc);
  ExpectEmpty(image);
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
