#include "toolkit/files/Thumbnail.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "tests/imagelib/JpegSamples.h"
#include "toolkit/files/PictureJpeg.h"

namespace {


std::string Text(const std::vector<uint8_t>& bytes) { return std::string(bytes.begin(), bytes.end()); }

// A picture whose pixel (x, y) is blue x, green y, red x + y (mod 256), or
// smooth waves, which JPEG keeps closely even with its colour subsampled.
struct Picture {
  Picture(int width, int height, bool smooth = false) {
    EXPECT_TRUE(buffer.Make(width, height));
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        uint8_t* p = buffer.Rows().Row(y) + x * 3;
        for (int c = 0; c < 3; ++c) {
          p[c] = smooth ? uint8_t(128 + 90 * std::sin(x / 9.0 + c) * std::cos(y / 7.0 - c))
                        : uint8_t(c == 0 ? x : c == 1 ? y : x + y);
        }
      }
    }
  }
  const BitmapRows& Rows() const { return buffer.Rows(); }
  BitmapBuffer buffer;
};

int MaxDifference(const BitmapRows& a, const BitmapRows& b) {
  int worst = 0;
  for (int y = 0; y < a.height; ++y) {
    for (int i = 0; i < a.width * 3; ++i) worst = std::max(worst, std::abs(a.Row(y)[i] - b.Row(y)[i]));
  }
  return worst;
}

// Quality 100 with the colour subsampled 2 x 2 (libjpeg's defaults), on
// the smooth pictures.
constexpr int kJpegLoss = 10;

// `decoded` is libjpeg's own decoding of the picture's stream.
void ExpectReferenceDecoding(const BitmapRows& picture, const BitmapRows& decoded) {
  std::vector<uint8_t> jpeg;
  ASSERT_EQ(EncodePictureJpeg(picture, &jpeg), 0);
  int width, height;
  const std::vector<uint8_t> rgb = ReferenceDecode(jpeg, &width, &height);
  ASSERT_EQ(width, decoded.width);
  ASSERT_EQ(height, decoded.height);
  for (int y = 0; y < height; ++y) {
    std::vector<uint8_t> bgr(size_t(width) * 3);
    SwapRedBlue(&rgb[size_t(y) * width * 3], bgr.data(), size_t(width));
    ASSERT_EQ(std::memcmp(bgr.data(), decoded.Row(y), bgr.size()), 0) << "row " << y;
  }
}

// Writes the picture, then reads it back as a caller would: the header
// first, then a picture of the announced size, then the pixels.
int RoundTrip(const BitmapRows& picture, bool binary, bool jpeg, BitmapBuffer* back) {
  MemoryThumbnailStream out;
  if (WriteThumbnail(out, picture, binary, jpeg) != 0) return -1;
  MemoryThumbnailStream in(out.Written().data(), out.Written().size());
  int32_t width, height;
  bool readBinary, readJpeg;
  if (!ReadThumbnailHeader(in, &width, &height, &readBinary, &readJpeg)) return -2;
  if (readBinary != binary || readJpeg != jpeg || !back->Make(width, height)) return -3;
  return jpeg ? ReadJpegThumbnail(in, back->Rows(), binary) : ReadThumbnailPixels(in, back->Rows(), binary, false);
}

TEST(ThumbnailTest, ATwoByOnePictureInHexadecimalPixels) {
  Picture picture(2, 1);
  picture.Rows().Row(0)[3] = 0xAB;  // pixel 1 blue
  MemoryThumbnailStream out;
  ASSERT_EQ(WriteThumbnail(out, picture.Rows(), false, false), 0);
  EXPECT_EQ(Text(out.Written()),
            "ThumbnailSize 2 1\n"
            "Thumbnail\n"
            "000000" "ab0001\n");  // blue, green, red of each pixel
}

TEST(ThumbnailTest, EveryLayoutReadsBackWhatWasWritten) {
  struct Case {
    int width, height;
  } sizes[] = {{1, 1}, {5, 3}, {1366, 2}, {700, 1}, {33, 40}};
  for (const Case& size : sizes) {
    for (bool jpeg : {false, true}) {
      for (bool binary : {false, true}) {
        SCOPED_TRACE(testing::Message() << size.width << " x " << size.height << (jpeg ? " JPEG" : " pixels")
                                        << (binary ? " binary" : " text"));
        Picture picture(size.width, size.height, jpeg);
        BitmapBuffer back;
        ASSERT_EQ(RoundTrip(picture.Rows(), binary, jpeg, &back), 0);
        // Pixels come back exactly; JPEG as libjpeg itself decodes the
        // stream, which differs from the picture by quality 100's loss.
        EXPECT_LE(MaxDifference(picture.Rows(), back.Rows()), jpeg ? kJpegLoss : 0);
        if (jpeg) ExpectReferenceDecoding(picture.Rows(), back.Rows());
      }
    }
  }
}

TEST(ThumbnailTest, FourBytePixelsAreIgnoredRedGreenBlue) {
  Picture picture(2, 1);
  const struct {
    bool binary;
    std::string data;
  } cases[] = {
      {true, std::string("\x99\x01\x02\x03\x99\x04\x05\x06", 8)},  // (ignored, red, green, blue) twice
      {false, "99010203" "99040506\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.binary ? "binary" : "text");
    MemoryThumbnailStream in(reinterpret_cast<const uint8_t*>(c.data.data()), c.data.size());
    ASSERT_EQ(ReadThumbnailPixels(in, picture.Rows(), c.binary, true), 0);
    const uint8_t* row = picture.Rows().Row(0);
    EXPECT_EQ(std::vector<int>(row, row + 6), (std::vector<int>{3, 2, 1, 6, 5, 4})) << "blue, green, red";
  }
}

TEST(ThumbnailTest, RowsLongerThanTheLineBufferAreReadInPieces) {
  // 1400 pixels of four bytes in hexadecimal: 11200 digits on one line.
  Picture picture(1400, 2);
  std::string text;
  for (int y = 0; y < 2; ++y) {
    for (int x = 0; x < 1400; ++x) {
      char digits[9];
      std::snprintf(digits, sizeof digits, "00%02x%02x%02x", (x + y) & 255, y, x & 255);
      text += digits;
    }
    text += "\r\n";
  }
  BitmapBuffer back;
  ASSERT_TRUE(back.Make(1400, 2));
  MemoryThumbnailStream in(reinterpret_cast<const uint8_t*>(text.data()), text.size());
  ASSERT_EQ(ReadThumbnailPixels(in, back.Rows(), false, true), 0);
  EXPECT_EQ(MaxDifference(picture.Rows(), back.Rows()), 0);
}

TEST(ThumbnailTest, ShortOrMalformedStreamsAreFailures) {
  struct Case {
    const char* what;
    std::string data;
    bool binary, jpeg;
  } cases[] = {
      {"pixels: the last byte missing", std::string(5, 'x'), true, false},
      {"hex pixels: the last digit missing", "00000000000", false, false},
      {"hex pixels: not a digit", "00000g000000", false, false},
      {"hex pixels: nothing", "", false, false},
      {"JPEG: no length", "\n", true, true},
      {"JPEG: a negative length", "-4\nabcd", true, true},
      {"JPEG: a length past 32 bits", "99999999999\n", true, true},
      {"JPEG: an odd number of digits", "3\nabc\n", false, true},
      {"JPEG: fewer bytes than announced", "900\n\xFF\xD8", true, true},
      {"JPEG: not a JPEG stream", "6\nabcdef", true, true},
      {"JPEG: hex that is not", "4\nxyzw\n", false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Picture picture(2, 1);
    MemoryThumbnailStream in(reinterpret_cast<const uint8_t*>(c.data.data()), c.data.size());
    EXPECT_EQ(c.jpeg ? ReadJpegThumbnail(in, picture.Rows(), c.binary)
                     : ReadThumbnailPixels(in, picture.Rows(), c.binary, false),
              -1);
  }
  BitmapRows none;
  MemoryThumbnailStream empty;
  EXPECT_EQ(WriteThumbnail(empty, none, true, false), -1);
  EXPECT_TRUE(empty.Written().empty()) << "nothing written for a picture without pixels";
  EXPECT_EQ(ReadThumbnailPixels(empty, none, true, false), -1);
  EXPECT_EQ(ReadJpegThumbnail(empty, none, true), -1);
}

TEST(ThumbnailTest, HeaderLines) {
  struct Case {
    std::string text;
    bool ok;
    int width, height;
    bool binary, jpeg;
  } cases[] = {
      {"ThumbnailSize 2 1\nThumbnail\n", true, 2, 1, false, false},
      {"ThumbnailSize 64 48\r\nJPEGBinaryThumbnail\r\n", true, 64, 48, true, true},
      {"ThumbnailSize 1 1\nJPEGThumbnail\n", true, 1, 1, false, true},
      {"ThumbnailSize 16384 2\nBinaryThumbnail\n", true, 16384, 2, true, false},
      {"ThumbnailSize 16385 2\nBinaryThumbnail\n", false, 0, 0, false, false},
      {"ThumbnailSize 16384 16385\nBinaryThumbnail\n", false, 0, 0, false, false},
      {"ThumbnailSize 0 5\nThumbnail\n", false, 0, 0, false, false},
      {"ThumbnailSize -3 5\nThumbnail\n", false, 0, 0, false, false},
      {"ThumbnailSize 3\nThumbnail\n", false, 0, 0, false, false},
      {"ThumbnailSize 3 4 5\nThumbnail\n", false, 0, 0, false, false},
      {"ThumbnailSize 3 4\nthumbnail\n", false, 0, 0, false, false},
      {"ThumbnailSize 3 4\nThumbnail", true, 3, 4, false, false},
      {"ThumbnailSize 3 4\n", false, 0, 0, false, false},
      {"Thumbnail 3 4\nThumbnail\n", false, 0, 0, false, false},
      {"ThumbnailSize " + std::string(100, '1') + " 4\nThumbnail\n", false, 0, 0, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    MemoryThumbnailStream in(reinterpret_cast<const uint8_t*>(c.text.data()), c.text.size());
    int32_t width = 0, height = 0;
    bool binary = false, jpeg = false;
    ASSERT_EQ(ReadThumbnailHeader(in, &width, &height, &binary, &jpeg), c.ok);
    if (!c.ok) continue;
    EXPECT_EQ(width, c.width);
    EXPECT_EQ(height, c.height);
    EXPECT_EQ(binary, c.binary);
    EXPECT_EQ(jpeg, c.jpeg);
  }
}

// A picture inside a larger block: a guard of bytes around it shows
// whether anything was written outside the picture's rows and columns.
struct Guarded {
  Guarded(int width, int height) : block(size_t(height + 2) * stride(width), kGuard) {
    rows.bits = block.data() + stride(width);
    rows.width = width;
    rows.height = height;
    rows.stride = stride(width);
  }
  static size_t stride(int width) { return size_t(width) * 3 + 8; }
  bool GuardIntact() const {
    for (size_t i = 0; i < block.size(); ++i) {
      const size_t row = i / rows.stride, column = i % rows.stride;
      const bool inside = row >= 1 && row <= size_t(rows.height) && column < size_t(rows.width) * 3;
      if (!inside && block[i] != kGuard) return false;
    }
    return true;
  }
  static constexpr uint8_t kGuard = 0x5A;
  std::vector<uint8_t> block;
  BitmapRows rows;
};

TEST(PictureJpegTest, DecodingNeverWritesOutsideThePicture) {
  Picture large(40, 30, true);
  std::vector<uint8_t> jpeg;
  ASSERT_EQ(EncodePictureJpeg(large.Rows(), &jpeg), 0);
  struct Case {
    int width, height, result;
  } cases[] = {{40, 30, 0}, {17, 30, -1}, {40, 9, -1}, {3, 2, -1}, {50, 40, -1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.width << " x " << c.height);
    Guarded picture(c.width, c.height);
    EXPECT_EQ(DecodeJpegIntoPicture(jpeg.data(), jpeg.size(), picture.rows), c.result);
    EXPECT_TRUE(picture.GuardIntact());
    // What the two share is decoded all the same.
    const int w = std::min(c.width, 40), h = std::min(c.height, 30);
    for (int y = 0; y < h; ++y) {
      for (int i = 0; i < w * 3; ++i) {
        ASSERT_LE(std::abs(picture.rows.Row(y)[i] - large.Rows().Row(y)[i]), kJpegLoss) << i / 3 << "," << y;
      }
    }
  }
}

TEST(PictureJpegTest, SmallPicturesGiveStreamsLongerThanTheirPixels) {
  Picture one(1, 1, true);
  std::vector<uint8_t> jpeg;
  ASSERT_EQ(EncodePictureJpeg(one.Rows(), &jpeg), 0);
  EXPECT_GT(jpeg.size(), 3u * 100);
  EXPECT_EQ(jpeg[0], 0xFF);
  EXPECT_EQ(jpeg[1], 0xD8);
  EXPECT_EQ(jpeg[jpeg.size() - 2], 0xFF);
  EXPECT_EQ(jpeg[jpeg.size() - 1], 0xD9);
  int width, height;
  EXPECT_EQ(ReferenceDecode(jpeg, &width, &height).size(), 3u);
}

// libjpeg takes at most 65500 pixels a side: the error comes back as a
// result instead of ending the program.
TEST(PictureJpegTest, CompressionErrorsAreFailedResults) {
  std::vector<uint8_t> row(70000 * 3, 128);
  BitmapRows wide;
  wide.bits = row.data();
  wide.width = 70000;
  wide.height = 1;
  wide.stride = row.size();
  std::vector<uint8_t> jpeg = {1, 2, 3};
  EXPECT_EQ(EncodePictureJpeg(wide, &jpeg), -1);
  EXPECT_TRUE(jpeg.empty());
  MemoryThumbnailStream out;
  EXPECT_EQ(WriteThumbnail(out, wide, true, true), -1);
}

TEST(ThumbnailStreamTest, AFileStreamWritesAndReadsTheSameThumbnail) {
  const std::string path = WriteTempFile("thumbnail.txt", {});
  Picture picture(9, 4, true);
  {
    FileThumbnailStream out(path.c_str(), true);
    ASSERT_TRUE(out.IsOpen());
    ASSERT_EQ(WriteThumbnail(out, picture.Rows(), false, true), 0);
    EXPECT_TRUE(out.Close());
  }
  FileThumbnailStream in(path.c_str(), false);
  int32_t width, height;
  bool binary, jpeg;
  ASSERT_TRUE(ReadThumbnailHeader(in, &width, &height, &binary, &jpeg));
  BitmapBuffer back;
  ASSERT_TRUE(back.Make(width, height));
  ASSERT_EQ(ReadJpegThumbnail(in, back.Rows(), binary), 0);
  EXPECT_LE(MaxDifference(picture.Rows(), back.Rows()), kJpegLoss);

  FileThumbnailStream missing((path + "-missing/x").c_str(), false);
  EXPECT_FALSE(missing.IsOpen());
  EXPECT_FALSE(ReadThumbnailHeader(missing, &width, &height, &binary, &jpeg));
}

TEST(ThumbnailStreamTest, IntegersTakeTheirLineEndAndNothingMore) {
  const std::string text = "  42\r\n\x01-7\n\n9x";
  MemoryThumbnailStream in(reinterpret_cast<const uint8_t*>(text.data()), text.size());
  int32_t value = 0;
  ASSERT_TRUE(in.ReadInteger(&value));
  EXPECT_EQ(value, 42);
  EXPECT_EQ(in.ReadByte(), 1) << "binary data right after the line end";
  ASSERT_TRUE(in.ReadInteger(&value));
  EXPECT_EQ(value, -7);
  ASSERT_TRUE(in.ReadInteger(&value));
  EXPECT_EQ(value, 9);
  EXPECT_EQ(in.ReadByte(), 'x');
  EXPECT_FALSE(in.ReadInteger(&value));
}

}  // namespace
