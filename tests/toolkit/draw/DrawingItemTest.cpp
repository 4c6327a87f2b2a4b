#include "toolkit/draw/qvDrawingItem.h"
#include "toolkit/draw/qvRegion.h"

#include <gtest/gtest.h>

#include <cstring>
#include <type_traits>

static_assert(!std::is_copy_constructible_v<qvPen> && !std::is_copy_assignable_v<qvPen>);
static_assert(!std::is_copy_constructible_v<qvBrush> && !std::is_copy_constructible_v<qvFont>);
static_assert(!std::is_copy_constructible_v<qvRegion> && !std::is_copy_assignable_v<qvRegion>);

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);

// A memory device context drawing into a 32-bit top-down DIB section, so
// that every pixel can be read back. It starts white.
class Canvas {
public:
  static constexpr int kWidth = 64;
  static constexpr int kHeight = 48;

  Canvas() {
    dc = CreateCompatibleDC(nullptr);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = kWidth;
    info.bmiHeader.biHeight = -kHeight;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
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

  // How many pixels of the canvas have the colour c.
  int Count(COLORREF c) const {
    int n = 0;
    for (int y = 0; y < kHeight; ++y)
      for (int x = 0; x < kWidth; ++x) n += Pixel(x, y) == c;
    return n;
  }

  HGDIOBJ Current(UINT type) const { return GetCurrentObject(dc, type); }

  HDC dc;

private:
  HBITMAP bitmap;
  HGDIOBJ oldBitmap;  // the memory context's own bitmap, put back before deleting ours
  DWORD* bits;        // owned by `bitmap`
};

bool Alive(HGDIOBJ object) { return GetObjectType(object) != 0; }

TEST(qvPenTest, DrawsInItsColourAndWidth) {
  qvColor red(0xFFFF, 0, 0);
  qvColor eightBitRed(255, 0, 0);
  qvColor blue;
  blue.SetHSV(43690, 65535, 65535);
  struct Case {
    const char* name;
    const qvColor* colour;
    int width;
    COLORREF expected;
  } cases[] = {
      {"no colour", nullptr, 1, kBlack},
      {"red", &red, 1, RGB(255, 0, 0)},
      {"8-bit red", &eightBitRed, 2, kBlack},
      {"hsv blue", &blue, 3, RGB(0, 0, 255)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Canvas canvas;
    {
      qvPen pen(c.colour, c.width);
      ASSERT_NE(pen.GetPen(), nullptr);
      pen.SelectInto(canvas.dc);
      MoveToEx(canvas.dc, 10, 20, nullptr);
      LineTo(canvas.dc, 50, 20);
    }
    int thickness = 0;
    for (int y = 0; y < Canvas::kHeight; ++y) thickness += canvas.Pixel(30, y) == c.expected;
    EXPECT_EQ(thickness, c.width);
    EXPECT_EQ(canvas.Count(c.expected), Canvas::kWidth * Canvas::kHeight - canvas.Count(kWhite))
        << "every drawn pixel has the pen's colour";
  }
  EXPECT_FALSE(blue.rgbValid) << "the pen reads its colour without changing it";
}

TEST(qvBrushTest, FillsWithItsColour) {
  struct Case {
    int named;
    COLORREF expected;
  } cases[] = {{1, RGB(140, 140, 140)}, {12, RGB(141, 141, 169)}, {14, RGB(214, 214, 254)}, {27, RGB(0, 252, 0)}};
  for (const Case& c : cases) {
    Canvas canvas;
    qvColor colour;
    colour.SetNamedColor(c.named);
    qvBrush brush(colour);
    brush.SelectInto(canvas.dc);
    PatBlt(canvas.dc, 0, 0, Canvas::kWidth, Canvas::kHeight, PATCOPY);
    EXPECT_EQ(canvas.Count(c.expected), Canvas::kWidth * Canvas::kHeight) << "named colour " << c.named;
  }
}

TEST(qvBrushTest, ConvertsAnHsvColourInPlace) {
  qvColor colour;
  colour.SetHSV(21845, 65535, 65535);
  qvBrush brush(colour);
  EXPECT_TRUE(colour.rgbValid);
  EXPECT_EQ(colour.green, 65535);

  Canvas canvas;
  RECT square{0, 0, 4, 4};
  FillRect(canvas.dc, &square, brush.GetBrush());
  EXPECT_EQ(canvas.Pixel(3, 3), RGB(0, 255, 0));
  EXPECT_EQ(canvas.Pixel(4, 4), kWhite);
}

TEST(qvDrawingItemTest, DestroyingRestoresTheDisplacedObjectThenDeletesItsOwn) {
  Canvas canvas;
  HGDIOBJ original = canvas.Current(OBJ_BRUSH);
  qvColor colour(0xFFFF, 0, 0);
  HGDIOBJ handle;
  {
    qvBrush brush(colour);
    handle = brush.handle;
    brush.SelectInto(canvas.dc);
    EXPECT_EQ(canvas.Current(OBJ_BRUSH), handle);
    EXPECT_EQ(brush.previous, original);
    EXPECT_EQ(brush.context, canvas.dc);
  }
  EXPECT_EQ(canvas.Current(OBJ_BRUSH), original);
  EXPECT_FALSE(Alive(handle));
}

TEST(qvDrawingItemTest, NestedItemsUnwindInReverseOrder) {
  Canvas canvas;
  HGDIOBJ original = canvas.Current(OBJ_PEN);
  qvColor red(0xFFFF, 0, 0);
  {
    qvPen outer(nullptr, 1);
    outer.SelectInto(canvas.dc);
    {
      qvPen inner(&red, 1);
      inner.SelectInto(canvas.dc);
      EXPECT_EQ(inner.previous, outer.handle);
    }
    EXPECT_EQ(canvas.Current(OBJ_PEN), outer.handle);
    MoveToEx(canvas.dc, 0, 0, nullptr);
    LineTo(canvas.dc, 10, 0);
    EXPECT_EQ(canvas.Pixel(5, 0), kBlack);
  }
  EXPECT_EQ(canvas.Current(OBJ_PEN), original);
}

TEST(qvDrawingItemTest, DeselectRestoresAndFreesTheItem) {
  Canvas canvas;
  HGDIOBJ original = canvas.Current(OBJ_FONT);
  HGDIOBJ handle;
  {
    qvFont font(qvFontLarge);
    handle = font.handle;
    font.SelectInto(canvas.dc);
    font.Deselect();
    EXPECT_EQ(canvas.Current(OBJ_FONT), original);
    EXPECT_EQ(font.previous, nullptr);
    EXPECT_EQ(font.context, nullptr);
    EXPECT_TRUE(Alive(handle));
    font.Deselect();  // a free item has nothing to put back
    EXPECT_EQ(canvas.Current(OBJ_FONT), original);
  }
  EXPECT_FALSE(Alive(handle));
}

TEST(qvDrawingItemTest, SelectingTwiceStillRestoresTheOriginal) {
  Canvas canvas;
  HGDIOBJ original = canvas.Current(OBJ_BRUSH);
  qvColor colour(0, 0, 0xFFFF);
  HGDIOBJ handle;
  {
    qvBrush brush(colour);
    handle = brush.handle;
    brush.SelectInto(canvas.dc);
    brush.SelectInto(canvas.dc);
    EXPECT_EQ(canvas.Current(OBJ_BRUSH), handle);
    EXPECT_EQ(brush.previous, original);
  }
  EXPECT_EQ(canvas.Current(OBJ_BRUSH), original);
  EXPECT_FALSE(Alive(handle));
}

TEST(qvDrawingItemTest, SelectingIntoASecondContextGivesTheFirstItsObjectBack) {
  Canvas first, second;
  HGDIOBJ firstOriginal = first.Current(OBJ_PEN);
  HGDIOBJ secondOriginal = second.Current(OBJ_PEN);
  {
    qvPen pen(nullptr, 1);
    pen.SelectInto(first.dc);
    pen.SelectInto(second.dc);
    EXPECT_EQ(first.Current(OBJ_PEN), firstOriginal);
    EXPECT_EQ(second.Current(OBJ_PEN), pen.handle);
    EXPECT_EQ(pen.context, second.dc);
  }
  EXPECT_EQ(second.Current(OBJ_PEN), secondOriginal);
}

TEST(qvDrawingItemTest, ItemWithoutAnObjectChangesNothing) {
  for (int kind : {4, 7, -1}) {
    Canvas canvas;
    HGDIOBJ original = canvas.Current(OBJ_FONT);
    qvFont font(kind);
    EXPECT_EQ(font.handle, nullptr) << kind;
    font.SelectInto(canvas.dc);
    EXPECT_EQ(font.context, nullptr) << kind;
    EXPECT_EQ(canvas.Current(OBJ_FONT), original) << kind;
  }
}

// Reaches the base class's constructor to own an arbitrary object.
class PlainItem : public qvDrawingItem {
public:
  explicit PlainItem(HGDIOBJ object) : qvDrawingItem(object) {}
};

TEST(qvDrawingItemTest, BaseResetForgetsWithoutReleasing) {
  Canvas canvas;
  HGDIOBJ original = canvas.Current(OBJ_BRUSH);
  HBRUSH brush = CreateSolidBrush(RGB(1, 2, 3));
  {
    PlainItem item(brush);
    item.SelectInto(canvas.dc);
    static_cast<qvDrawingItem&>(item).Reset();
    EXPECT_EQ(item.handle, nullptr);
    EXPECT_EQ(item.previous, nullptr);
    EXPECT_EQ(item.context, nullptr);
  }
  EXPECT_EQ(canvas.Current(OBJ_BRUSH), brush);
  EXPECT_TRUE(Alive(brush));
  SelectObject(canvas.dc, original);
  DeleteObject(brush);
}

TEST(qvDrawingItemTest, ResetOfPensBrushesAndFontsDoesNothing) {
  Canvas canvas;
  HGDIOBJ originalPen = canvas.Current(OBJ_PEN);
  HGDIOBJ originalBrush = canvas.Current(OBJ_BRUSH);
  HGDIOBJ originalFont = canvas.Current(OBJ_FONT);
  qvColor colour(0x8000, 0x8000, 0x8000);
  HGDIOBJ handles[3];
  {
    qvPen pen(&colour, 1);
    qvBrush brush(colour);
    qvFont font(qvFontSmall);
    qvDrawingItem* items[] = {&pen, &brush, &font};
    for (int i = 0; i < 3; ++i) {
      handles[i] = items[i]->handle;
      items[i]->SelectInto(canvas.dc);
      items[i]->Reset();
      EXPECT_EQ(items[i]->handle, handles[i]) << i;
      EXPECT_EQ(items[i]->context, canvas.dc) << i;
    }
  }
  EXPECT_EQ(canvas.Current(OBJ_PEN), originalPen);
  EXPECT_EQ(canvas.Current(OBJ_BRUSH), originalBrush);
  EXPECT_EQ(canvas.Current(OBJ_FONT), originalFont);
  for (HGDIOBJ h : handles) EXPECT_FALSE(Alive(h));
}

TEST(qvFontTest, KindsAskForTheirFaceHeightAndWeight) {
  struct Case {
    int kind;
    const char* face;
    int height;
    int weight;
  } cases[] = {
      {qvFontSmall, "MS Sans Serif", 8, FW_NORMAL},
      {qvFontSmallBold, "MS Sans Serif", 8, FW_BOLD},
      {qvFontLarge, "Helvetica", 16, FW_NORMAL},
      {qvFontLargeBold, "Helvetica", 16, FW_BOLD},
  };
  for (const Case& c : cases) {
    qvFont font(c.kind);
    LOGFONTA asked{};
    ASSERT_EQ(GetObjectA(font.handle, sizeof asked, &asked), static_cast<int>(sizeof asked)) << c.kind;
    EXPECT_STREQ(asked.lfFaceName, c.face);
    EXPECT_EQ(asked.lfHeight, c.height) << "a positive height asks for the cell height";
    EXPECT_EQ(asked.lfWeight, c.weight);
    EXPECT_EQ(asked.lfQuality, ANTIALIASED_QUALITY);
    EXPECT_EQ(asked.lfCharSet, ANSI_CHARSET);
    EXPECT_FALSE(asked.lfItalic || asked.lfUnderline || asked.lfStrikeOut);
  }
}

// The size of `text` in the font of `kind`, as the context measures it.
SIZE Extent(Canvas& canvas, int kind, const char* text, TEXTMETRICA* metrics = nullptr) {
  qvFont font(kind);
  font.SelectInto(canvas.dc);
  SIZE size{};
  GetTextExtentPoint32A(canvas.dc, text, static_cast<int>(std::strlen(text)), &size);
  if (metrics) GetTextMetricsA(canvas.dc, metrics);
  return size;
}

TEST(qvFontTest, SelectedFontsMeasureAndDrawAsAsked) {
  const char* text = "Install Wg";
  Canvas canvas;
  TEXTMETRICA small{}, large{}, largeBold{};
  SIZE smallSize = Extent(canvas, qvFontSmall, text, &small);
  SIZE smallBoldSize = Extent(canvas, qvFontSmallBold, text);
  SIZE largeSize = Extent(canvas, qvFontLarge, text, &large);
  SIZE largeBoldSize = Extent(canvas, qvFontLargeBold, text, &largeBold);
  EXPECT_LT(small.tmHeight, large.tmHeight);
  EXPECT_GT(smallBoldSize.cx, smallSize.cx);
  EXPECT_GT(largeBoldSize.cx, largeSize.cx);
  EXPECT_GE(largeBold.tmWeight, FW_SEMIBOLD);
  EXPECT_LE(large.tmWeight, FW_MEDIUM);

  // Text drawn in the large font stays inside the box it was measured at.
  qvFont font(qvFontLarge);
  font.SelectInto(canvas.dc);
  SetBkMode(canvas.dc, TRANSPARENT);
  TextOutA(canvas.dc, 2, 2, text, static_cast<int>(std::strlen(text)));
  int inside = 0, outside = 0;
  for (int y = 0; y < Canvas::kHeight; ++y)
    for (int x = 0; x < Canvas::kWidth; ++x) {
      if (canvas.Pixel(x, y) == kWhite) continue;
      bool in = x >= 2 && x < 2 + largeSize.cx && y >= 2 && y < 2 + largeSize.cy;
      (in ? inside : outside)++;
    }
  EXPECT_GT(inside, 0);
  EXPECT_EQ(outside, 0);
}

TEST(qvRegionTest, CoversThePolygonThroughItsCorners) {
  const qvPoint box[4] = {{2, 3}, {12, 3}, {12, 9}, {2, 9}};
  const qvPoint diamond[4] = {{30, 0}, {40, 10}, {30, 20}, {20, 10}};
  qvRegion boxRegion(box), diamondRegion(diamond);
  ASSERT_NE(boxRegion.handle, nullptr);
  ASSERT_NE(diamondRegion.handle, nullptr);

  Canvas canvas;
  FillRgn(canvas.dc, boxRegion.handle, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  EXPECT_EQ(canvas.Count(kBlack), 10 * 6) << "right and bottom edges stay outside";
  EXPECT_EQ(canvas.Pixel(2, 3), kBlack);
  EXPECT_EQ(canvas.Pixel(11, 8), kBlack);
  EXPECT_EQ(canvas.Pixel(12, 8), kWhite);
  EXPECT_EQ(canvas.Pixel(11, 9), kWhite);

  EXPECT_TRUE(PtInRegion(diamondRegion.handle, 30, 10));
  EXPECT_TRUE(PtInRegion(diamondRegion.handle, 30, 2));
  EXPECT_FALSE(PtInRegion(diamondRegion.handle, 22, 2));
  EXPECT_FALSE(PtInRegion(diamondRegion.handle, 38, 18));
}

TEST(qvRegionTest, DestructionDeletesUnlessDetached) {
  const qvPoint corners[4] = {{0, 0}, {5, 0}, {5, 5}, {0, 5}};
  HRGN kept, dropped;
  {
    qvRegion region(corners);
    kept = region.handle;
    region.Detach();
    EXPECT_EQ(region.handle, nullptr);
    qvRegion other(corners);
    dropped = other.handle;
  }
  EXPECT_TRUE(Alive(kept));
  EXPECT_FALSE(Alive(dropped));
  DeleteObject(kept);
}

}  // namespace
