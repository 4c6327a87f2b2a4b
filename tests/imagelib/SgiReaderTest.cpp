#include "imagelib/SgiReader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "imagelib/OpenImage.h"
#include "tests/imagelib/JpegSamples.h"

namespace {

struct SgiHeader {
  uint16_t magic = kSgiMagic;
  uint8_t storage = 0;
  uint8_t bytesPerChannel = 1;
  uint16_t width = 2;
  uint16_t height = 2;
  uint16_t channels = 3;
  uint32_t colorMap = 0;
};

void PutBigEndian(std::vector<uint8_t>& bytes, size_t at, uint32_t value, int count) {
  for (int i = 0; i < count; ++i) bytes[at + i] = uint8_t(value >> (8 * (count - 1 - i)));
}

// The 512-byte header followed by `data`.
std::vector<uint8_t> SgiFile(const SgiHeader& h, const std::vector<uint8_t>& data) {
  std::vector<uint8_t> bytes(kSgiHeaderBytes + data.size(), 0);
  PutBigEndian(bytes, 0, h.magic, 2);       // magic 474
  bytes[2] = h.storage;                     // 0 verbatim, 1 run-length
  bytes[3] = h.bytesPerChannel;             // 1
  PutBigEndian(bytes, 4, 3, 2);             // dimension: not used
  PutBigEndian(bytes, 6, h.width, 2);       // x size
  PutBigEndian(bytes, 8, h.height, 2);      // y size
  PutBigEndian(bytes, 10, h.channels, 2);   // z size
  PutBigEndian(bytes, 16, 255, 4);          // maximum value: not used
  bytes[24] = 'n';                          // image name: not used
  PutBigEndian(bytes, 104, h.colorMap, 4);  // colour map: 0 normal
  std::copy(data.begin(), data.end(), bytes.begin() + kSgiHeaderBytes);
  return bytes;
}

// Red plane 1..4, green 5..8, blue 9..12 (each plane bottom row first).
const std::vector<uint8_t> kPlanes = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};

std::vector<uint8_t> PixelAt(const RasterImage& image, int x, int y) {
  const uint8_t* p = image.store->Pixel(x, y);
  return std::vector<uint8_t>(p, p + image.store->bytesPerPixel);
}

TEST(SgiReaderTest, PlanesBecomeTheChannelsOfEachPixel) {
  const std::vector<uint8_t> file = SgiFile({}, kPlanes);
  RasterImage image;
  ASSERT_EQ(DecodeSgi(&image, file.data(), file.size()), 0);
  EXPECT_EQ(image.type, kPixelRgb8);
  EXPECT_EQ(image.width, 2);
  EXPECT_EQ(image.height, 2);
  EXPECT_EQ(PixelAt(image, 0, 0), (std::vector<uint8_t>{1, 5, 9}));
  EXPECT_EQ(PixelAt(image, 1, 0), (std::vector<uint8_t>{2, 6, 10}));
  EXPECT_EQ(PixelAt(image, 0, 1), (std::vector<uint8_t>{3, 7, 11})) << "the second row of each plane";
  EXPECT_EQ(PixelAt(image, 1, 1), (std::vector<uint8_t>{4, 8, 12}));
}

TEST(SgiReaderTest, AFourthPlaneIsAlpha) {
  SgiHeader header;
  header.width = 3;
  header.height = 1;
  header.channels = 4;
  const std::vector<uint8_t> file = SgiFile(header, {10, 11, 12, 20, 21, 22, 30, 31, 32, 0, 128, 255});
  RasterImage image;
  ASSERT_EQ(DecodeSgi(&image, file.data(), file.size()), 0);
  EXPECT_EQ(image.type, kPixelRgba8);
  EXPECT_EQ(PixelAt(image, 0, 0), (std::vector<uint8_t>{10, 20, 30, 0}));
  EXPECT_EQ(PixelAt(image, 2, 0), (std::vector<uint8_t>{12, 22, 32, 255}));
}

TEST(SgiReaderTest, BytesAfterTheLastPlaneAreIgnored) {
  std::vector<uint8_t> data = kPlanes;
  data.insert(data.end(), {99, 98, 97});
  const std::vector<uint8_t> file = SgiFile({}, data);
  RasterImage image;
  ASSERT_EQ(DecodeSgi(&image, file.data(), file.size()), 0);
  EXPECT_EQ(PixelAt(image, 1, 1), (std::vector<uint8_t>{4, 8, 12}));
}

TEST(SgiReaderTest, FilesItCannotReadLeaveTheRecordEmptyWithoutAllocating) {
  const std::vector<uint8_t> cutShort(kPlanes.begin(), kPlanes.end() - 1);
  const std::vector<uint8_t> headerOnly = SgiFile({}, {});
  struct Case {
    const char* what;
    std::vector<uint8_t> file;
  };
  auto with = [](auto change) {
    SgiHeader h;
    change(h);
    return SgiFile(h, kPlanes);
  };
  const Case cases[] = {
      {"the last plane one byte short", SgiFile({}, cutShort)},
      {"run-length storage", with([](SgiHeader& h) { h.storage = 1; })},
      {"wrong magic", with([](SgiHeader& h) { h.magic = 0xDA01; })},
      {"two bytes per channel", with([](SgiHeader& h) { h.bytesPerChannel = 2; })},
      {"one channel", with([](SgiHeader& h) { h.channels = 1; })},
      {"five channels", with([](SgiHeader& h) { h.channels = 5; })},
      {"a colour map", with([](SgiHeader& h) { h.colorMap = 3; })},
      {"no columns", with([](SgiHeader& h) { h.width = 0; })},
      {"no rows", with([](SgiHeader& h) { h.height = 0; })},
      {"65535 x 65535 pixels", with([](SgiHeader& h) { h.width = h.height = 65535; })},
      {"one side over the limit", with([](SgiHeader& h) { h.width = kMaxImageSide + 1, h.height = 1; })},
      {"16384 x 16384 claimed by 12 bytes", with([](SgiHeader& h) { h.width = h.height = 16384; })},
      {"the header cut short", std::vector<uint8_t>(headerOnly.begin(), headerOnly.end() - 1)},
      {"nothing", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    RasterImage image;
    AllocatePixels(&image, 2, 2, kPixelRgb8);
    const uint64_t requests = PixelBlockRequests();
    EXPECT_EQ(DecodeSgi(&image, c.file.data(), c.file.size()), -1);
    EXPECT_EQ(PixelBlockRequests(), requests) << "refused from the header alone";
    EXPECT_EQ(image.store, nullptr);
    EXPECT_EQ(image.type, kPixelNone);
    EXPECT_EQ(image.width, 0);
  }
}

TEST(SgiReaderTest, OpenImageReadsSgiFilesByTheirExtensions) {
  for (const char* name : {"a.sgi", "a.RGB", "a.rgba"}) {
    SCOPED_TRACE(name);
    const std::string path = WriteTempFile(name, SgiFile({}, kPlanes));
    RasterImage image;
    OpenImage(&image, path.c_str());
    ASSERT_NE(image.store, nullptr);
    EXPECT_EQ(PixelAt(image, 1, 1), (std::vector<uint8_t>{4, 8, 12}));
    EXPECT_EQ(image.sourcePath, path);
  }
  RasterImage image;
  OpenImage(&image, WriteTempFile("short.sgi", SgiFile({}, {1, 2, 3})).c_str());
  EXPECT_EQ(image.store, nullptr);
  EXPECT_STREQ(image.sourcePath, "");
}

}  // namespace
