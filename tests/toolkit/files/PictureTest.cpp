#include "toolkit/files/qvPicture.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "imagelib/RasterImage.h"
#include "tests/imagelib/JpegSamples.h"
#include "toolkit/files/Thumbnail.h"
#include "toolkit/files/qvHandleLocker.h"
#include "toolkit/files/qvOffscreenDevice.h"
#include "toolkit/window/qvWindow.h"

namespace {

constexpr int kRamp = 100;  // the 16 x 20 test bitmap of TestResources.rc

// The ramp's pixel (x, y) as it reads in blue, green, red order.
std::string RampPixel(int x, int y) {
  return std::to_string(200) + "," + std::to_string(10 * y + 5) + "," + std::to_string(10 * x + 5);
}

std::string Bgr(const uint8_t* p) {
  return std::to_string(p[0]) + "," + std::to_string(p[1]) + "," + std::to_string(p[2]);
}

TEST(Picture, OwnBitmapRowsArePaddedToFourBytes) {
  qvPicture picture(5, 3);
  ASSERT_TRUE(picture.hasBitmap);
  EXPECT_EQ(picture.header.biHeight, -3) << "top row first";
  EXPECT_EQ(picture.PixelAddress(0, 0), picture.bits);
  EXPECT_EQ(picture.PixelAddress(0, 1) - picture.PixelAddress(0, 0), 16) << "5 x 3 bytes round up to 16";
  EXPECT_EQ(picture.PixelAddress(4, 2), picture.bits + 2 * 16 + 12);
  EXPECT_EQ(picture.PixelAddress(5, 0), nullptr);
  EXPECT_EQ(picture.PixelHeight(), 3);
}

TEST(Picture, AResourceIsReadInPlaceBottomRowFirst) {
  qvPicture picture(kRamp);
  ASSERT_NE(picture.resource, nullptr) << "the test bitmap resource is missing";
  EXPECT_FALSE(picture.hasBitmap);
  EXPECT_EQ(picture.ColorsUsed(), 0);
  EXPECT_EQ(picture.ColorTableSize(), 0);
  const auto* start = static_cast<uint8_t*>(LockResource(picture.resource));
  EXPECT_EQ(picture.ResourceBits(), start + 40);
  // (0, 0) is the top row, which a bottom-up bitmap stores last.
  EXPECT_EQ(picture.PixelAddress(0, 0), start + 40 + 19 * 48);
  EXPECT_EQ(Bgr(picture.PixelAddress(0, 0)), RampPixel(0, 0));
  EXPECT_EQ(Bgr(picture.PixelAddress(15, 19)), RampPixel(15, 19));
  EXPECT_EQ(picture.PixelWidth(), 16);
  EXPECT_EQ(picture.PixelHeight(), 20);

  qvPicture none(0);
  EXPECT_EQ(none.resource, nullptr);
  EXPECT_EQ(none.ResourceBits(), nullptr);
  EXPECT_EQ(none.PixelAddress(0, 0), nullptr);
  qvPicture missing(4242);
  EXPECT_EQ(missing.resource, nullptr);
}

TEST(Picture, ConvertingAResourceGivesAnOwnTopRowFirstCopy) {
  qvPicture picture(0);
  picture.LoadBitmapResource(kRamp, true);
  ASSERT_TRUE(picture.hasBitmap);
  EXPECT_EQ(picture.resource, nullptr);
  EXPECT_EQ(picture.resourceId, 0);
  EXPECT_EQ(Bgr(picture.PixelAddress(3, 0)), RampPixel(3, 0));
  EXPECT_EQ(Bgr(picture.PixelAddress(3, 19)), RampPixel(3, 19));
}

// A toolkit window of a given client size, for devices whose bounds come
// from a window.
struct Surface {
  explicit Surface(int w, int h) : window(qvRect(0, 0, w, h), nullptr, "surface", false, true, false) {
    window.Create();
  }
  qvWindow window;
};

// The off-screen device's pixel (x, y), y from the top, in B,G,R.
std::string OffscreenPixel(qvOffscreenDevice& device, int x, int y) {
  GdiFlush();
  const int stride = (device.width * 3 + 3) & ~3;
  return Bgr(static_cast<uint8_t*>(device.bits) + (device.height - 1 - y) * stride + x * 3);
}

void FillWhite(qvOffscreenDevice& device) {
  PatBlt(device.GetContext(), 0, 0, device.width, device.height, WHITENESS);
}

// Which ramp column each x of the device's top row shows, "." for white.
std::string ColumnsDrawn(qvOffscreenDevice& device, int count) {
  std::string columns;
  for (int x = 0; x < count; ++x) {
    const std::string pixel = OffscreenPixel(device, x, 0);
    if (pixel == "255,255,255") {
      columns += ".";
      continue;
    }
    const int red = std::stoi(pixel.substr(pixel.rfind(',') + 1));
    columns += "0123456789abcdef"[(red - 5) / 10];
  }
  return columns;
}

TEST(Picture, AResourceTilesAlongTheSpanEndingExactlyAtItsEnd) {
  Surface surface(64, 20);
  qvPicture picture(kRamp);
  struct Case {
    int x, span;
    const char* columns;
  };
  const Case cases[] = {
      {0, 40, "0123456789abcdef01234567" "0123456789abcdef" "........................"},
      {0, 16, "0123456789abcdef................................................"},
      {0, 0, "0123456789abcdef................................................"},
      {4, 20, "....0123" "0123456789abcdef" "........................................"},
  };
  for (const Case& c : cases) {
    qvOffscreenDevice device(&surface.window);
    FillWhite(device);
    EXPECT_NE(picture.DrawAt(device, c.x, 0, c.span), 0);
    EXPECT_EQ(ColumnsDrawn(device, 64), c.columns) << "x " << c.x << ", span " << c.span;
    EXPECT_EQ(OffscreenPixel(device, 0 + c.x, 19), RampPixel(0, 19)) << "upright, not upside down";
  }
}

TEST(Picture, APictureWithoutPixelsDrawsNothing) {
  Surface surface(20, 20);
  qvOffscreenDevice device(&surface.window);
  FillWhite(device);
  qvPicture none(0);
  EXPECT_NE(none.DrawAt(device, 0, 0, 16), 0);
  EXPECT_TRUE(none.DrawRect(device, qvRect(0, 0, 5, 5), qvRect(0, 0, 5, 5)));
  EXPECT_EQ(ColumnsDrawn(device, 20), std::string(20, '.'));
}

TEST(Picture, DrawRectCopiesPartOfAnOwnBitmapUnscaled) {
  Surface surface(20, 20);
  qvPicture picture(8, 8);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) {
      uint8_t* p = picture.PixelAddress(x, y);
      p[0] = 200;
      p[1] = static_cast<uint8_t>(10 * y + 5);
      p[2] = static_cast<uint8_t>(10 * x + 5);
    }
  qvOffscreenDevice device(&surface.window);
  FillWhite(device);
  picture.DrawRect(device, qvRect(2, 1, 6, 3), qvRect(10, 10, 14, 12));
  EXPECT_EQ(OffscreenPixel(device, 10, 10), RampPixel(2, 1));
  EXPECT_EQ(OffscreenPixel(device, 13, 11), RampPixel(5, 2));
  EXPECT_EQ(OffscreenPixel(device, 14, 11), "255,255,255");
  EXPECT_EQ(OffscreenPixel(device, 10, 12), "255,255,255");
  picture.DrawAt(device, 0, 0, 0);
  EXPECT_EQ(OffscreenPixel(device, 7, 7), RampPixel(7, 7));
}

TEST(Picture, DrawRectCopiesPartOfAResourceUnscaled) {
  Surface surface(20, 20);
  qvPicture picture(kRamp);
  qvOffscreenDevice device(&surface.window);
  FillWhite(device);
  picture.DrawRect(device, qvRect(2, 1, 6, 3), qvRect(10, 10, 14, 12));
  EXPECT_EQ(OffscreenPixel(device, 10, 10), RampPixel(2, 1));
  EXPECT_EQ(OffscreenPixel(device, 13, 11), RampPixel(5, 2));
  EXPECT_EQ(OffscreenPixel(device, 14, 11), "255,255,255");
}

TEST(Picture, AMissingImageFileGivesABlackPictureOfTheRequestedSize) {
  qvPicture picture(0);
  picture.LoadImageFile("C:\\no such folder\\bkgd.jpg", 7, 5);
  ASSERT_TRUE(picture.hasBitmap);
  EXPECT_EQ(picture.width, 7);
  EXPECT_EQ(picture.height, 5);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 7; ++x) EXPECT_EQ(Bgr(picture.PixelAddress(x, y)), "0,0,0");
}

TEST(Picture, AnImageFileIsAveragedIntoTheRequestedSizeTopRowFirst) {
  // 16 x 16: the top half red, the bottom half blue.
  SamplePicture halves = MakeFlatPicture(16, 16, 3, 0);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) halves.samples[(y * 16 + x) * 3 + (y < 8 ? 0 : 2)] = 250;
  EncodeOptions best;
  best.quality = 100;
  best.hSampling = best.vSampling = 1;
  const std::string path = WriteTempFile("halves.jpg", EncodeJpeg(halves, best));
  qvPicture picture(0);
  picture.LoadImageFile(path.c_str(), 3, 2);
  ASSERT_EQ(picture.width, 3);
  const uint8_t* top = picture.PixelAddress(1, 0);
  const uint8_t* bottom = picture.PixelAddress(1, 1);
  EXPECT_GT(top[2], 240) << "red on top: " << Bgr(top);
  EXPECT_LT(top[0], 10);
  EXPECT_GT(bottom[0], 240) << "blue below: " << Bgr(bottom);
  EXPECT_LT(bottom[2], 10);
}

// One 2 x 2 image per pixel type, for ImageToPicture.
struct Image {
  explicit Image(uint32_t type) { AllocatePixels(&record, 2, 2, type); }
  template <class T>
  void Set(int x, int y, std::initializer_list<T> values) {
    std::memcpy(record.store->Pixel(x, y), values.begin(), values.size() * sizeof(T));
  }
  RasterImage record;
};

TEST(Picture, ImagesBecomePicturesRowForRow) {
  Image image(0);
  image.Set<uint8_t>(0, 0, {10, 20, 30});
  image.Set<uint8_t>(1, 1, {40, 50, 60});
  std::unique_ptr<qvPicture> picture(ImageToPicture(&image.record, nullptr));
  EXPECT_EQ(Bgr(picture->PixelAddress(0, 0)), "30,20,10") << "image row 0 is the top row";
  EXPECT_EQ(Bgr(picture->PixelAddress(1, 1)), "60,50,40");
  EXPECT_EQ(Bgr(picture->PixelAddress(1, 0)), "0,0,0");
}

TEST(Picture, AlphaIsBlendedOverTheBackgroundOrMultipliedWithout) {
  struct Case {
    uint32_t type;
    const char* withBackground;
    const char* without;
  };
  Image rgba(1), argb(2), floats(6);
  // Half-transparent (alpha 51 of 255 = 0.2) pixel of red 100, green 200,
  // blue 250 over a background of red 0, green 50, blue 250.
  rgba.Set<uint8_t>(0, 0, {100, 200, 250, 51});
  argb.Set<uint8_t>(0, 0, {51, 100, 200, 250});
  floats.Set<float>(0, 0, {0.2f, 100 / 255.f, 200 / 255.f, 250 / 255.f});
  Image rgbaUnder(1), argbUnder(2), floatsUnder(6);
  rgbaUnder.Set<uint8_t>(0, 0, {0, 50, 250, 255});
  argbUnder.Set<uint8_t>(0, 0, {255, 0, 50, 250});
  floatsUnder.Set<float>(0, 0, {1.f, 0.f, 50 / 255.f, 250 / 255.f});
  // blue: 250 either way; green: 200 * 0.2 + 50 * 0.8 = 80; red: 20.
  const struct {
    Image* image;
    Image* under;
  } rows[] = {{&rgba, &rgbaUnder}, {&argb, &argbUnder}, {&floats, &floatsUnder}};
  for (const auto& row : rows) {
    SCOPED_TRACE("type " + std::to_string(row.image->record.type));
    std::unique_ptr<qvPicture> blended(ImageToPicture(&row.image->record, row.under->record.store));
    const std::string pixel = Bgr(blended->PixelAddress(0, 0));
    EXPECT_TRUE(pixel == "250,80,20" || pixel == "249,79,19" || pixel == "249,80,20") << pixel;
    std::unique_ptr<qvPicture> alone(ImageToPicture(&row.image->record, nullptr));
    const std::string multiplied = Bgr(alone->PixelAddress(0, 0));
    EXPECT_TRUE(multiplied == "50,40,20" || multiplied == "49,39,19" || multiplied == "49,40,20") << multiplied;
  }
}

TEST(Picture, OpaqueImagesBlendedOverThemselvesStayTheSame) {
  Image rgba(1);
  rgba.Set<uint8_t>(1, 0, {1, 2, 254, 255});
  std::unique_ptr<qvPicture> picture(ImageToPicture(&rgba.record, rgba.record.store));
  EXPECT_EQ(Bgr(picture->PixelAddress(1, 0)), "254,2,1");
  Image other(3);
  other.Set<uint16_t>(0, 0, {65535, 65535, 65535, 65535});
  std::unique_ptr<qvPicture> black(ImageToPicture(&other.record, nullptr));
  EXPECT_EQ(Bgr(black->PixelAddress(0, 0)), "0,0,0") << "16-bit images stay black";
}

TEST(Picture, AFloatImageOutOfRangeIsClampedNotWrapped) {
  Image floats(6);
  floats.Set<float>(0, 0, {1.f, 2.f, -1.f, 0.5f});
  std::unique_ptr<qvPicture> picture(ImageToPicture(&floats.record, nullptr));
  EXPECT_EQ(Bgr(picture->PixelAddress(0, 0)), "127,0,255");
}

TEST(Picture, ThumbnailsGoThroughThePicturesOwnBitmap) {
  qvPicture picture(3, 2);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x) {
      uint8_t* p = picture.PixelAddress(x, y);
      // Gentle steps: JPEG subsamples the colour, so sharp ones would blur.
      p[0] = uint8_t(100 + 4 * x);
      p[1] = uint8_t(60 + 5 * y);
      p[2] = 70;
    }
  for (bool jpeg : {false, true}) {
    SCOPED_TRACE(jpeg ? "JPEG" : "pixels");
    MemoryThumbnailStream out;
    ASSERT_EQ(picture.WriteThumbnail(out, true, jpeg), 0);
    MemoryThumbnailStream in(out.Written().data(), out.Written().size());
    int32_t width, height;
    bool binary, isJpeg;
    ASSERT_TRUE(ReadThumbnailHeader(in, &width, &height, &binary, &isJpeg));
    qvPicture back(width, height);
    ASSERT_EQ(jpeg ? back.ReadJpegThumbnail(in, binary) : back.ReadThumbnailPixels(in, binary, false), 0);
    for (int y = 0; y < 2; ++y)
      for (int x = 0; x < 3; ++x)
        for (int c = 0; c < 3; ++c)
          EXPECT_NEAR(back.PixelAddress(x, y)[c], picture.PixelAddress(x, y)[c], jpeg ? 10 : 0) << x << "," << y;
  }

  qvPicture resource(kRamp);
  MemoryThumbnailStream out;
  EXPECT_EQ(resource.WriteThumbnail(out, false, false), -1) << "a resource is no own bitmap";
  EXPECT_TRUE(out.Written().empty());
  MemoryThumbnailStream in(nullptr, 0);
  EXPECT_EQ(resource.ReadThumbnailPixels(in, true, false), -1);
  EXPECT_EQ(resource.ReadJpegThumbnail(in, true), -1);
}

TEST(OffscreenDevice, DrawsAtTheControlsTopLeftWhenCopied) {
  Surface surface(120, 80);
  qvWindow control(qvRect(30, 20, 70, 50), &surface.window, "control", true, false, false);
  control.Create();
  ShowWindow(surface.window.GetHandle(), SW_SHOW);
  UpdateWindow(surface.window.GetHandle());
  {
    qvOffscreenDevice offscreen(&control);
    EXPECT_EQ(offscreen.width, 40);
    EXPECT_EQ(offscreen.height, 30);
    FillWhite(offscreen);
    qvColor red(0xFFFF, 0, 0);
    qvBrush brush(red);
    offscreen.FillArea(qvRect(0, 0, 5, 5), brush);
    qvDevice target;
    target.window = &control;
    target.Acquire();
    offscreen.CopyToDevice(&target);
    offscreen.CopyToDevice(nullptr);
  }
  const HDC screen = GetDC(surface.window.GetHandle());
  EXPECT_EQ(GetPixel(screen, 30, 20), RGB(255, 0, 0));
  EXPECT_EQ(GetPixel(screen, 34, 24), RGB(255, 0, 0));
  EXPECT_EQ(GetPixel(screen, 35, 25), RGB(255, 255, 255));
  ReleaseDC(surface.window.GetHandle(), screen);
}

TEST(OffscreenDevice, AnEmptyControlGivesADeviceWithoutABitmap) {
  Surface surface(50, 50);
  qvWindow empty(qvRect(0, 0, 0, 0), &surface.window, "empty", true, false, false);
  empty.Create();
  qvOffscreenDevice device(&empty);
  EXPECT_EQ(device.bitmap, nullptr);
  qvColor red(0xFFFF, 0, 0);
  qvBrush brush(red);
  device.FillArea(qvRect(0, 0, 5, 5), brush);
  qvDevice target;
  target.window = &surface.window;
  target.Acquire();
  device.CopyToDevice(&target);
}

TEST(HandleLocker, MovableMemoryIsUnlockedOnceAndResourcesNever) {
  const HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, 64);
  {
    qvHandleLocker locker(memory, false);
    locker.Lock();
    EXPECT_NE(locker.pointer, nullptr);
    EXPECT_EQ(GlobalFlags(memory) & GMEM_LOCKCOUNT, 1u);
    locker.Unlock();
    EXPECT_EQ(GlobalFlags(memory) & GMEM_LOCKCOUNT, 0u);
    locker.Lock();
  }
  EXPECT_EQ(GlobalFlags(memory) & GMEM_LOCKCOUNT, 0u) << "destruction unlocks";
  GlobalLock(memory);
  { qvHandleLocker neverLocked(memory, false); }
  EXPECT_EQ(GlobalFlags(memory) & GMEM_LOCKCOUNT, 1u) << "a locker that never locked unlocks nothing";
  GlobalUnlock(memory);
  GlobalFree(memory);

  qvPicture picture(kRamp);
  qvHandleLocker resource(picture.resource, true);
  resource.Lock();
  EXPECT_EQ(resource.pointer, LockResource(picture.resource));
  resource.Unlock();
  EXPECT_EQ(resource.pointer, nullptr);
}

}  // namespace
