#include "toolkit/draw/qvDevice.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "toolkit/window/qvWindow.h"

namespace {

// A 64 x 32 white 32-bit DIB section selected into a memory context, whose
// pixels the tests read directly.
class Canvas {
public:
  Canvas() {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = kWidth;
    info.bmiHeader.biHeight = -kHeight;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    dc = CreateCompatibleDC(nullptr);
    bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits), nullptr, 0);
    displaced = SelectObject(dc, bitmap);
    Clear();
  }
  ~Canvas() {
    SelectObject(dc, displaced);
    DeleteObject(bitmap);
    DeleteDC(dc);
  }
  void Clear() {
    GdiFlush();
    for (int i = 0; i < kWidth * kHeight; ++i) bits[i] = 0xFFFFFF;
  }
  // "#" for each pixel that is not white, row by row.
  std::string Marks(int width, int height) {
    GdiFlush();
    std::string rows;
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) rows += (bits[y * kWidth + x] & 0xFFFFFF) == 0xFFFFFF ? '.' : '#';
      rows += '\n';
    }
    return rows;
  }
  static constexpr int kWidth = 64, kHeight = 32;
  HDC dc;
  uint32_t* bits = nullptr;

private:
  HBITMAP bitmap;
  HGDIOBJ displaced;
};

TEST(Device, OutlineRectAndFrameWithBrushCoverTheSamePixels) {
  Canvas canvas;
  qvDevice device(canvas.dc);
  const qvRect r(0, 0, 10, 5);
  const HGDIOBJ pen = SelectObject(canvas.dc, GetStockObject(BLACK_PEN));
  device.OutlineRect(r);
  const std::string outlined = canvas.Marks(12, 7);
  EXPECT_EQ(outlined,
            "##########..\n"
            "#........#..\n"
            "#........#..\n"
            "#........#..\n"
            "##########..\n"
            "............\n"
            "............\n");
  canvas.Clear();
  qvColor black(0, 0, 0);
  qvBrush brush(black);
  device.FrameWithBrush(r, brush);
  EXPECT_EQ(canvas.Marks(12, 7), outlined);
  SelectObject(canvas.dc, pen);
}

TEST(Device, FillAreaLeavesTheRightAndBottomEdges) {
  Canvas canvas;
  qvDevice device(canvas.dc);
  qvColor red(0xFFFF, 0, 0);
  qvBrush brush(red);
  device.FillArea(qvRect(1, 1, 4, 3), brush);
  EXPECT_EQ(canvas.Marks(5, 4), ".....\n.###.\n.###.\n.....\n");
  EXPECT_EQ(canvas.bits[Canvas::kWidth + 1] & 0xFFFFFF, 0xFF0000u);
}

TEST(Device, TextWidthExpandsTabsToTheDefaultStops) {
  Canvas canvas;
  qvDevice device(canvas.dc);
  TEXTMETRICA metrics;
  GetTextMetricsA(canvas.dc, &metrics);
  SIZE ab;
  GetTextExtentPoint32A(canvas.dc, "ab", 2, &ab);
  const int stop = 8 * metrics.tmAveCharWidth;
  EXPECT_EQ(device.GetTextWidth("ab"), ab.cx);
  EXPECT_EQ(device.GetTextWidth("ab\t"), stop) << "a tab runs out to the next stop";
  SIZE c;
  GetTextExtentPoint32A(canvas.dc, "c", 1, &c);
  EXPECT_EQ(device.GetTextWidth("ab\tc"), stop + c.cx);
  EXPECT_EQ(device.GetTextHeight("ab"), ab.cy);
}

TEST(Device, TransparentTextPutsTheBackgroundModeBack) {
  Canvas canvas;
  qvDevice device(canvas.dc);
  SetBkMode(canvas.dc, OPAQUE);
  SetBkColor(canvas.dc, RGB(0, 0, 255));
  device.DrawTextTransparent("W", qvRect(0, 0, 30, 20), 0, false);
  EXPECT_EQ(GetBkMode(canvas.dc), OPAQUE);
  // Transparent: no blue background cell behind the glyph.
  GdiFlush();
  for (int i = 0; i < 30; ++i) EXPECT_NE(canvas.bits[i] & 0xFFFFFF, 0x0000FFu);

  canvas.Clear();
  device.DrawTextIn("W", qvRect(0, 0, 30, 20), 0);
  EXPECT_EQ(GetBkMode(canvas.dc), OPAQUE);
  GdiFlush();
  EXPECT_EQ(canvas.bits[0] & 0xFFFFFF, 0x0000FFu) << "DrawTextIn draws with the mode that is set";

  qvColor green(0, 0xFFFF, 0);
  EXPECT_EQ(device.SetBackColor(green), RGB(0, 0, 255));
  EXPECT_EQ(GetBkColor(canvas.dc), RGB(0, 255, 0));
}

TEST(Device, MarqueeFrameIsRedAndWhiteAndRestoresTheBrush) {
  Canvas canvas;
  qvDevice device(canvas.dc);
  const HGDIOBJ brush = GetCurrentObject(canvas.dc, OBJ_BRUSH);
  device.DrawMarqueeFrame(qvRect(0, 0, 20, 10));
  EXPECT_EQ(GetCurrentObject(canvas.dc, OBJ_BRUSH), brush);
  GdiFlush();
  bool red = false, white = false;
  for (int x = 0; x < 20; ++x) {
    const uint32_t pixel = canvas.bits[x] & 0xFFFFFF;
    red |= pixel == 0xFF0000;
    white |= pixel == 0xFFFFFF;
    EXPECT_TRUE(pixel == 0xFF0000 || pixel == 0xFFFFFF) << x;
  }
  EXPECT_TRUE(red && white);
  EXPECT_EQ(canvas.bits[5 * Canvas::kWidth + 5] & 0xFFFFFF, 0xFFFFFFu) << "only the frame is drawn";
}

// A caller's context outlives the device made for it.
TEST(Device, ACallerSuppliedContextIsNeverReleased) {
  Canvas canvas;
  {
    qvDevice device(canvas.dc);
    EXPECT_FALSE(device.releaseOnDestroy);
    device.Release();
  }
  EXPECT_NE(GetCurrentObject(canvas.dc, OBJ_BITMAP), nullptr);
  EXPECT_NE(GetDeviceCaps(canvas.dc, HORZRES), 0) << "the context is still usable";
}

TEST(Device, AcquireTakesTheWindowsContextAndReleaseGivesItBack) {
  qvWindow window(qvRect(0, 0, 50, 40), nullptr, "device", false, true, false);
  window.Create();
  {
    qvDevice device;
    device.window = &window;
    device.Acquire();
    ASSERT_NE(device.dc, nullptr);
    EXPECT_EQ(WindowFromDC(device.dc), window.GetHandle());
    qvRect bounds;
    device.GetBounds(bounds);
    EXPECT_TRUE(bounds.Equals(qvRect(0, 0, 50, 40)));
    device.Release();
    EXPECT_EQ(device.dc, nullptr);
    device.Release();
  }
  qvDevice screen;
  screen.Acquire();
  EXPECT_NE(screen.dc, nullptr);
  EXPECT_EQ(GetDeviceCaps(screen.dc, HORZRES), GetSystemMetrics(SM_CXSCREEN));
}

// A window painted through a paint device, then read back from the screen.
class PaintedWindow : public qvWindow {
public:
  PaintedWindow() : qvWindow(qvRect(0, 0, 40, 30), nullptr, "paint", false, true, false) {}
  bool OnPaint(qvEvent&) override {
    qvPaintDevice device(this);
    contexts.push_back(device.dc);
    qvColor blue(0, 0, 0xFFFF);
    qvBrush brush(blue);
    device.FillArea(qvRect(0, 0, 40, 30), brush);
    return false;
  }
  std::vector<HDC> contexts;
};

TEST(Device, APaintCycleValidatesTheWindow) {
  PaintedWindow window;
  window.Create();
  ShowWindow(window.GetHandle(), SW_SHOW);
  UpdateWindow(window.GetHandle());
  ASSERT_EQ(window.contexts.size(), 1u);
  EXPECT_NE(window.contexts[0], nullptr);
  RECT update;
  EXPECT_FALSE(GetUpdateRect(window.GetHandle(), &update, FALSE)) << "EndPaint validated the window";
  const HDC screen = GetDC(window.GetHandle());
  EXPECT_EQ(GetPixel(screen, 20, 15), RGB(0, 0, 255));
  ReleaseDC(window.GetHandle(), screen);
  window.Redraw();
  EXPECT_EQ(window.contexts.size(), 2u) << "Redraw paints before it returns";
}

}  // namespace
