#include "imagelib/OpenImage.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/imagelib/JpegSamples.h"

namespace {

TEST(ImageTypeFromNameTest, TheLastExtensionDecidesWithoutRegardToCase) {
  struct Case {
    const char* name;
    int format;
  } cases[] = {
      {"bkgd.jpg", kFormatJpeg},       {"BKGD.JPG", kFormatJpeg},
      {"photo.Jpeg", kFormatJpeg},     {"photo.jpeg", kFormatJpeg},
      {"dir.v2\\photo.jpg", kFormatJpeg}, {".jpg", kFormatJpeg},
      {"photo.jpg.bak", kFormatUnknown}, {"photo.jpgx", kFormatUnknown},
      {"photo.jp", kFormatUnknown},    {"photo. jpg", kFormatUnknown},
      {"photo", kFormatUnknown},       {"photo.", kFormatUnknown},
      {"", kFormatUnknown},            {"dir.jpg\\photo", kFormatUnknown},
      {"a.rgba", kFormatSgi},          {"a.rgb", kFormatSgi},
      {"a.SGI", kFormatSgi},           {"a.tif", kFormatTiff},
      {"a.TIFF", kFormatTiff},         {"a.tga", kFormatTarga},
      {"a.Targa", kFormatTarga},       {"a.shd", kFormatShd},
      {"a.jpgjpgjpgjpgjpg", kFormatUnknown},
      {"a.abcdefghijklmnopqrstuvwxyz.jpg", kFormatJpeg},
  };
  for (const Case& c : cases) EXPECT_EQ(ImageTypeFromName(c.name), c.format) << c.name;
  EXPECT_EQ(ImageTypeFromName(nullptr), kFormatUnknown);
}

TEST(OpenImageTest, AJpegFileOpensWithBothNamesSet) {
  const std::string path = WriteTempFile("open.JPG", EncodeJpeg(MakeSamplePicture(9, 4, 3)));
  RasterImage image;
  EXPECT_EQ(OpenImage(&image, path.c_str()), &image);
  ASSERT_NE(image.store, nullptr);
  EXPECT_EQ(image.width, 9);
  EXPECT_EQ(image.height, 4);
  EXPECT_EQ(image.type, kPixelRgb8);
  EXPECT_EQ(image.path, path);
  EXPECT_EQ(image.sourcePath, path);

  // Opening again into a used record replaces its image.
  const std::string other = WriteTempFile("other.jpeg", EncodeJpeg(MakeSamplePicture(2, 3, 1)));
  OpenImage(&image, other.c_str());
  ASSERT_NE(image.store, nullptr);
  EXPECT_EQ(image.width, 2);
  EXPECT_EQ(image.sourcePath, other);
}

TEST(OpenImageTest, NamesWithoutAReaderLeaveTheRecordEmpty) {
  // The files hold a good JPEG stream: only the name decides.
  const std::vector<uint8_t> jpeg = EncodeJpeg(MakeSamplePicture(4, 4, 3));
  for (const char* name : {"a.shd", "a.tif", "a.tga", "a.sgi", "a.rgb", "a.png", "noextension"}) {
    SCOPED_TRACE(name);
    const std::string path = WriteTempFile(name, jpeg);
    RasterImage image;
    AllocatePixels(&image, 3, 3, kPixelRgb8);
    OpenImage(&image, path.c_str());
    EXPECT_EQ(image.store, nullptr);
    EXPECT_EQ(image.type, kPixelNone);
    EXPECT_EQ(image.path, path);
    EXPECT_STREQ(image.sourcePath, "") << "nothing was read from it";
  }
}

TEST(OpenImageTest, UnreadableNamesLeaveTheRecordEmpty) {
  RasterImage image;
  OpenImage(&image, (WriteTempFile("x", {}) + "-missing.jpg").c_str());
  EXPECT_EQ(image.store, nullptr);
  EXPECT_STREQ(image.sourcePath, "");

  OpenImage(&image, nullptr);
  EXPECT_EQ(image.store, nullptr);
  EXPECT_STREQ(image.path, "");

  const std::string tooLong = std::string(300, 'a') + ".jpg";
  OpenImage(&image, tooLong.c_str());
  EXPECT_EQ(image.store, nullptr);
  EXPECT_STREQ(image.path, "");
}

}  // namespace
