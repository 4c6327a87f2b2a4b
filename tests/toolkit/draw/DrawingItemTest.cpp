#include "toolkit/draw/qvDrawingItem.h"
#include "toolkit/draw/qvRegion.h"

#include <gtest/gtest.h>

#include <cstring>
#include <type_traits>

static_assert(!std::is_copy_constructible_v<qvPen> && !std::is_copy_assignable_v<qvBrush>);
static_assert(!std::is_copy_constructible_v<qvFont> && !std::is_copy_constructible_v<qvRegion>);

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);

// A memory context over a white 32-bit top-down DIB section, so that every
// pixel drawn can be read back.
class Canvas {
public:
  static constexpr int kWidth = 64, kHeight = 48;

  Canvas() : dc(CreateCompatibleDC(nullptr)) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = kWidth;
    info.bmiHeader.biHeight = -kHeight;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* data = nullptr;
    bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &data, nullptr, 0);
    bits = static_cast<DWORD*>(data);
    oldBitmap = SelectObject(dc, bitmap);
    std::memset(bits, 0xFF, kWidth * kHeight * 4);
  }
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;
  ~Canvas() {
    SelectObject(dc, oldBitmap);
    DeleteObject(bitmap);
    DeleteDC(dc);
  }

  COLORREF Pixel(int x, int y) const {
    GdiFlush();
    DWORD p = bits[y * kWidth + x];
    return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
  }
  int Count(COLORREF c) const {
    int n = 0;
    for (int i = 0; i < kWidth * kHeight; ++i) n += Pixel(i % kWidth, i / kWidth) == c;
    return n;
  }
  HGDIOBJ Current(UINT type) const { return GetCurrentObject(dc, type); }

  HDC dc;  // owned

private:
  HBITMAP bitmap;     // owned
  HGDIOBJ oldBitmap;  // the context's own, put back before `bitmap` is deleted
  DWORD* bits;        // owned by `bitmap`
};

bool Alive(HGDIOBJ object) { return GetObjectType(object) != 0; }

TEST(qvPenTest, DrawsInItsColourAndWidth) {
  qvColor red(0xFFFF, 0, 0), eightBitRed(255, 0, 0), blue;
  blue.SetHSV(43690, 65535, 65535);
  struct Case { const qvColor* colour; int width; COLORREF expected; } cases[] = {
      {nullptr, 1, kBlack}, {&red, 1, RGB(255, 0, 0)}, {&eightBitRed, 2, kBlack}, {&blue, 3, RGB(0, 0, 255)}};
  for (const Case& c : cases) {
    Canvas canvas;
    qvPen pen(c.colour, c.width);
    pen.SelectInto(canvas.dc);
    MoveToEx(canvas.dc, 10, 20, nullptr);
    LineTo(canvas.dc, 50, 20);
    int thickness = 0;
    for (int y = 0; y < Canvas::kHeight; ++y) thickness += canvas.Pixel(30, y) == c.expected;
    EXPECT_EQ(thickness, c.width) << "width " << c.width;
    EXPECT_EQ(canvas.Count(c.expected), Canvas::kWidth * Canvas::kHeight - canvas.Count(kWhite));
  }
  EXPECT_FALSE(blue.rgbValid) << "a pen reads its colour without converting it in place";
}

TEST(qvBrushTest, FillsWithItsColour) {
  for (int named : {1, 12, 14, 27}) {
    Canvas canvas;
    qvColor colour;
    colour.SetNamed(named);
    COLORREF expected = colour.ToCOLORREF();
    qvBrush brush(colour);
    brush.SelectInto(canvas.dc);
    PatBlt(canvas.dc, 0, 0, Canvas::kWidth, Canvas::kHeight, PATCOPY);
    EXPECT_EQ(canvas.Count(expected), Canvas::kWidth * Canvas::kHeight) << "named colour " << named;
  }
  qvColor green;
  green.SetHSV(21845, 65535, 65535);
  qvBrush brush(green);
  EXPECT_TRUE(green.rgbValid) << "a brush converts its colour in place";
}

TEST(qvDrawingItemTest, ItemsRestoreWhatTheyDisplacedInReverseOrder) {
  Canvas canvas;
  HGDIOBJ original = canvas.Current(OBJ_PEN);
  qvColor red(0xFFFF, 0, 0);
  HGDIOBJ outerHandle, innerHandle;
  {
    qvPen outer(nullptr, 1);
    outerHandle = outer.handle;
    outer.SelectInto(canvas.dc);
    EXPECT_EQ(outer.previous, original);
    EXPECT_EQ(outer.context, canvas.dc);
    {
      qvPen inner(&red, 1);
      innerHandle = inner.handle;
      inner.SelectInto(canvas.dc);
      EXPECT_EQ(canvas.Current(OBJ_PEN), innerHandle);
    }
    EXPECT_EQ(canvas.Current(OBJ_PEN), outerHandle);
    EXPECT_FALSE(Alive(innerHandle));
  }
  EXPECT_EQ(canvas.Current(OBJ_PEN), original);
  EXPECT_FALSE(Alive(outerHandle));
}

TEST(qvDrawingItemTest, DeselectAndReselect) {
  Canvas first, second;
  HGDIOBJ firstOriginal = first.Current(OBJ_FONT), secondOriginal = second.Current(OBJ_FONT);
  HGDIOBJ handle;
  {
    qvFont font(qvFontLarge);
    handle = font.handle;
    font.SelectInto(first.dc);
    font.Deselect();
    EXPECT_EQ(first.Current(OBJ_FONT), firstOriginal);
    EXPECT_TRUE(font.previous == nullptr && font.context == nullptr);
    EXPECT_TRUE(Alive(handle));

    font.SelectInto(first.dc);
    font.SelectInto(first.dc);  // the second selection must not lose the first's displaced font
    EXPECT_EQ(font.previous, firstOriginal);
    font.SelectInto(second.dc);  // moving on gives the first context its font back
    EXPECT_EQ(first.Current(OBJ_FONT), firstOriginal);
    EXPECT_EQ(second.Current(OBJ_FONT), handle);
  }
  EXPECT_EQ(second.Current(OBJ_FONT), secondOriginal);
  EXPECT_FALSE(Alive(handle));
}

class PlainItem : public qvDrawingItem {
public:
  explicit PlainItem(HGDIOBJ object) : qvDrawingItem(object) {}
};

TEST(qvDrawingItemTest, OnlyTheBaseResetForgetsItsObject) {
  Canvas canvas;
  HGDIOBJ original = canvas.Current(OBJ_BRUSH);
  HBRUSH plainBrush = CreateSolidBrush(RGB(1, 2, 3));
  qvColor grey(0x8000, 0x8000, 0x8000);
  HGDIOBJ brushHandle;
  {
    PlainItem plain(plainBrush);
    plain.SelectInto(canvas.dc);
    plain.Reset();
    EXPECT_TRUE(plain.handle == nullptr && plain.previous == nullptr && plain.context == nullptr);

    qvBrush brush(grey);
    brushHandle = brush.handle;
    brush.SelectInto(canvas.dc);
    static_cast<qvDrawingItem&>(brush).Reset();
    EXPECT_EQ(brush.handle, brushHandle);
    EXPECT_EQ(brush.previous, plainBrush);
  }
  EXPECT_EQ(canvas.Current(OBJ_BRUSH), plainBrush) << "the forgotten brush stays selected";
  EXPECT_TRUE(Alive(plainBrush));
  EXPECT_FALSE(Alive(brushHandle));
  SelectObject(canvas.dc, original);
  DeleteObject(plainBrush);
}

TEST(qvFontTest, KindsAskForTheirFaceHeightAndWeight) {
  // The small faces by their letters' height in points (negative), the
  // large ones by a cell height in pixels (positive); both scale.
  struct Case { int kind, dpi; const char* face; int height, weight; } cases[] = {
      {qvFontSmall, 96, "Microsoft Sans Serif", -11, FW_NORMAL},
      {qvFontSmallBold, 96, "Microsoft Sans Serif", -11, FW_BOLD},
      {qvFontSmall, 192, "Microsoft Sans Serif", -21, FW_NORMAL},
      {qvFontLarge, 96, "Helvetica", 16, FW_NORMAL},
      {qvFontLargeBold, 96, "Helvetica", 16, FW_BOLD},
      {qvFontLarge, 144, "Helvetica", 24, FW_NORMAL}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.kind << " at " << c.dpi);
    qvFont font(c.kind, c.dpi);
    LOGFONTA asked{};
    ASSERT_EQ(GetObjectA(font.handle, sizeof asked, &asked), static_cast<int>(sizeof asked));
    EXPECT_STREQ(asked.lfFaceName, c.face);
    EXPECT_EQ(asked.lfHeight, c.height);
    EXPECT_EQ(asked.lfWeight, c.weight);
    EXPECT_EQ(asked.lfQuality, ANTIALIASED_QUALITY);
    EXPECT_FALSE(asked.lfItalic || asked.lfUnderline || asked.lfStrikeOut || asked.lfCharSet);
  }

  // Kinds outside the table make no font; selecting one leaves the context's.
  Canvas canvas;
  HGDIOBJ original = canvas.Current(OBJ_FONT);
  for (int kind : {4, -1}) {
    qvFont font(kind);
    font.SelectInto(canvas.dc);
    EXPECT_TRUE(font.handle == nullptr && font.context == nullptr) << kind;
    EXPECT_EQ(canvas.Current(OBJ_FONT), original) << kind;
  }
}

// The small face the platform gives is a scalable one, twice as tall at
// twice the DPI: a bitmap face would come in its few fixed sizes.
TEST(qvFontTest, TheSmallFaceIsScalable) {
  Canvas canvas;
  int height[2] = {};
  for (int i : {0, 1}) {
    qvFont font(qvFontSmall, 96 * (i + 1));
    font.SelectInto(canvas.dc);
    TEXTMETRICA metrics{};
    ASSERT_TRUE(GetTextMetricsA(canvas.dc, &metrics));
    EXPECT_TRUE(metrics.tmPitchAndFamily & TMPF_TRUETYPE) << "at " << 96 * (i + 1);
    height[i] = metrics.tmHeight;
    font.Deselect();
  }
  EXPECT_GE(height[0], 12) << "as tall as the bitmap face's smallest size";
  EXPECT_NEAR(height[1], 2 * height[0], 2);
}

TEST(qvFontTest, TextDrawsInsideTheBoxItMeasures) {
  const char* text = "Install Wg";
  const int length = static_cast<int>(std::strlen(text));
  for (int kind : {qvFontSmall, qvFontLargeBold}) {
    Canvas canvas;
    qvFont font(kind);
    font.SelectInto(canvas.dc);
    SIZE size{};
    GetTextExtentPoint32A(canvas.dc, text, length, &size);
    TextOutA(canvas.dc, 2, 2, text, length);
    int inside = 0, outside = 0;
    for (int y = 0; y < Canvas::kHeight; ++y)
      for (int x = 0; x < Canvas::kWidth; ++x) {
        bool inBox = x >= 2 && x < 2 + size.cx && y >= 2 && y < 2 + size.cy;
        if (canvas.Pixel(x, y) != kWhite) ++(inBox ? inside : outside);
      }
    EXPECT_GT(inside, 0) << kind;
    EXPECT_EQ(outside, 0) << kind;
  }
}

TEST(qvRegionTest, CoversThePolygonAndIsDeletedUnlessDetached) {
  const qvPoint box[4] = {{2, 3}, {12, 3}, {12, 9}, {2, 9}};
  HRGN kept, dropped;
  {
    qvRegion region(box), other(box);
    Canvas canvas;
    FillRgn(canvas.dc, region.handle, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    EXPECT_EQ(canvas.Count(kBlack), 10 * 6) << "right and bottom edges stay outside";
    EXPECT_EQ(canvas.Pixel(2, 3), kBlack);
    EXPECT_EQ(canvas.Pixel(11, 8), kBlack);
    kept = region.handle;
    dropped = other.handle;
    region.Detach();
  }
  EXPECT_TRUE(Alive(kept));
  EXPECT_FALSE(Alive(dropped));
  DeleteObject(kept);
}

}  // namespace
