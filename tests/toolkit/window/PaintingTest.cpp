#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "tests/toolkit/window/WindowTesting.h"
#include "toolkit/draw/qvDevice.h"
#include "toolkit/files/qvPicture.h"

namespace {

// A picture whose pixel (x, y) has red x, green y and blue 77, so a pixel
// read back from the screen says where in the picture it came from.
qvPicture* CoordinatePicture(int width, int height) {
  auto* picture = new qvPicture(width, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      uint8_t* p = picture->PixelAddress(x, y);
      p[0] = 77;
      p[1] = static_cast<uint8_t>(y);
      p[2] = static_cast<uint8_t>(x);
    }
  return picture;
}

std::string Rgb(COLORREF c) {
  return std::to_string(GetRValue(c)) + "," + std::to_string(GetGValue(c)) + "," + std::to_string(GetBValue(c));
}

std::string ScreenPixel(qvWindow& window, int x, int y) {
  const HDC dc = GetDC(window.GetHandle());
  const COLORREF c = GetPixel(dc, x, y);
  ReleaseDC(window.GetHandle(), dc);
  return Rgb(c);
}

void ShowAndPaint(qvWindow& top) {
  ShowWindow(top.GetHandle(), SW_SHOW);
  UpdateWindow(top.GetHandle());
  RedrawWindow(top.GetHandle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  Pump(30);
}

TEST(Painting, AChildShowsThePartOfItsHostsPictureBehindIt) {
  qvWindow top(qvRect(0, 0, 200, 150), nullptr, "host", false, true, false);
  top.Create();
  top.SetBackgroundPicture(CoordinatePicture(200, 150));
  qvWindow panel(qvRect(20, 10, 180, 140), &top, "panel", true, false, false);
  panel.Create();
  qvWindow button(qvRect(30, 40, 90, 80), &panel, "button", true, false, false);
  button.Create();
  ShowAndPaint(top);

  EXPECT_EQ(ScreenPixel(top, 5, 5), "5,5,77");
  EXPECT_EQ(ScreenPixel(panel, 0, 0), "20,10,77") << "the panel has no picture: the host's shows through";
  EXPECT_EQ(ScreenPixel(panel, 7, 3), "27,13,77");
  EXPECT_EQ(ScreenPixel(button, 0, 0), "50,50,77") << "from two levels down";
  EXPECT_EQ(ScreenPixel(button, 59, 39), "109,89,77");
}

TEST(Painting, PictureOffsetsShiftWhatShowsBehindAChild) {
  qvWindow top(qvRect(0, 0, 200, 150), nullptr, "host", false, true, false);
  top.Create();
  top.SetBackgroundPicture(CoordinatePicture(220, 170));
  qvWindow child(qvRect(30, 40, 90, 80), &top, "child", true, false, false);
  child.Create();
  ShowAndPaint(top);
  top.SetPictureOffset(5, 7);
  child.Redraw();
  EXPECT_EQ(ScreenPixel(top, 0, 0), "5,7,77");
  EXPECT_EQ(ScreenPixel(child, 0, 0), "35,47,77");
}

TEST(Painting, APictureOverNoColourHasGreyUnderItOnlyWhenPainted) {
  RecordingWindow top("top", qvRect(0, 0, 100, 80), nullptr, true, false);
  top.Create();
  top.SetBackgroundPicture(CoordinatePicture(40, 30));
  ShowAndPaint(top);
  EXPECT_EQ(ScreenPixel(top, 10, 10), "10,10,77");
  EXPECT_EQ(ScreenPixel(top, 60, 50), "140,140,140") << "OnPaint fills the default grey first";

  // The erase handler draws on the context it is given and fills nothing
  // without a colour of its own.
  const HDC screen = GetDC(top.GetHandle());
  RECT all = {0, 0, 100, 80};
  FillRect(screen, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  qvEvent erase(0, &top, WM_ERASEBKGND, reinterpret_cast<WPARAM>(screen));
  EXPECT_FALSE(top.PaintBackground(erase));
  EXPECT_EQ(Rgb(GetPixel(screen, 10, 10)), "10,10,77");
  EXPECT_EQ(Rgb(GetPixel(screen, 60, 50)), "255,255,255");

  top.SetBackgroundColor(qvColor(0, 0xFFFF, 0));
  top.PaintBackground(erase);
  EXPECT_EQ(Rgb(GetPixel(screen, 60, 50)), "0,255,0") << "with a colour, the erase handler fills it";
  ReleaseDC(top.GetHandle(), screen);
}

TEST(Painting, AHostNeverDrawsAnAncestorsPicture) {
  // The outer object has no platform window, so the top-level window below
  // it is a host.
  qvWindow outer(qvRect(0, 0, 300, 300), nullptr, "outer", false, false, false);
  outer.SetBackgroundPicture(CoordinatePicture(50, 50));
  qvWindow host(qvRect(0, 0, 100, 80), &outer, "host", false, true, false);
  host.Create();
  ASSERT_EQ(host.GetHost(), &host);
  ShowAndPaint(host);
  EXPECT_EQ(ScreenPixel(host, 10, 10), "140,140,140");

  // Its own picture sits on the client area's bottom edge.
  qvColor blue(0, 0, 0xFFFF);
  host.SetBackgroundColor(blue);
  host.SetBackgroundPicture(CoordinatePicture(40, 30));
  qvDevice device;
  device.window = &host;
  device.Acquire();
  EXPECT_FALSE(host.FillBackground(device));
  RECT client;
  GetClientRect(host.GetHandle(), &client);
  EXPECT_EQ(ScreenPixel(host, 0, client.bottom - 30), "0,0,77");
  EXPECT_EQ(ScreenPixel(host, 39, client.bottom - 1), "39,29,77");
  EXPECT_EQ(ScreenPixel(host, 10, 10), "0,0,255");
}

TEST(Painting, FillBackgroundTellsWhetherAnAncestorsPictureWasDrawn) {
  qvWindow top(qvRect(0, 0, 100, 80), nullptr, "top", false, true, false);
  top.Create();
  qvWindow child(qvRect(10, 10, 50, 50), &top, "child", true, false, false);
  child.Create();
  ShowAndPaint(top);
  qvDevice device;
  device.window = &child;
  device.Acquire();
  EXPECT_FALSE(child.FillBackground(device)) << "no picture anywhere";
  EXPECT_EQ(ScreenPixel(child, 5, 5), "140,140,140");
  top.SetBackgroundPicture(CoordinatePicture(100, 80));
  EXPECT_TRUE(child.FillBackground(device));
  EXPECT_EQ(ScreenPixel(child, 5, 5), "15,15,77");
}

TEST(Painting, BackgroundColoursAreOwnedCopies) {
  qvWindow window(qvRect(0, 0, 10, 10), nullptr, "w", false, true, false);
  qvColor colour;
  colour.SetHSV(0, 65535, 65535);  // red, red/green/blue not yet worked out
  window.SetBackgroundColor(colour);
  window.Create();
  ShowAndPaint(window);
  EXPECT_EQ(ScreenPixel(window, 5, 5), "255,0,0");
  window.SetBackgroundPictureId(4242);  // no such resource: a picture without pixels
  window.SetBackgroundPictureId(0);
}

TEST(Painting, DrawCrossDrawsBothDiagonalsInBlack) {
  qvWindow window(qvRect(0, 0, 60, 40), nullptr, "cross", false, true, false);
  window.SetBackgroundColor(qvColor(0xFFFF, 0xFFFF, 0xFFFF));
  window.Create();
  ShowAndPaint(window);
  window.DrawCross();
  EXPECT_EQ(ScreenPixel(window, 30, 20), "0,0,0");
  EXPECT_EQ(ScreenPixel(window, 3, 2), "0,0,0");
  EXPECT_EQ(ScreenPixel(window, 57, 2), "0,0,0");
  EXPECT_EQ(ScreenPixel(window, 30, 5), "255,255,255");
}

// Fills its client area with one colour through a paint device, and
// counts its paints.
class SolidWindow : public qvWindow {
public:
  SolidWindow(const qvRect& bounds, qvWindow* parent, bool visible, COLORREF colour)
      : qvWindow(bounds, parent, "solid", visible, false, false), colour(colour) {}
  bool OnPaint(qvEvent&) override {
    ++paints;
    qvPaintDevice device(this);
    RECT area;
    GetClientRect(GetHandle(), &area);
    const HBRUSH brush = CreateSolidBrush(colour);
    FillRect(device.GetContext(), &area, brush);
    DeleteObject(brush);
    return true;
  }
  COLORREF colour;
  int paints = 0;
};

TEST(Painting, ATreePaintedAtOnceLooksAsEachPaintedAloneAndLeavesNothingToPaint) {
  qvWindow top(qvRect(0, 0, 200, 150), nullptr, "host", false, true, false);
  top.Create();
  top.SetBackgroundPicture(CoordinatePicture(200, 150));
  qvWindow panel(qvRect(20, 10, 180, 140), &top, "panel", true, false, false);
  panel.Create();
  qvWindow button(qvRect(30, 40, 90, 80), &panel, "button", true, false, false);
  button.Create();
  // Passes the panel's right and bottom edges: drawn only inside them.
  SolidWindow overhang(qvRect(140, 100, 220, 160), &panel, true, RGB(0, 255, 0));
  overhang.Create();
  SolidWindow hidden(qvRect(5, 100, 15, 110), &top, false, RGB(255, 0, 0));
  hidden.Create();
  ShowWindow(top.GetHandle(), SW_SHOWNA);
  top.PaintTreeNow();

  const struct {
    qvWindow* window;
    int x, y;
    const char* pixel;
    const char* why;
  } probes[] = {
      {&top, 5, 5, "5,5,77", "the top window's own picture"},
      {&panel, 7, 3, "27,13,77", "a child without a picture shows its host's"},
      {&button, 59, 39, "109,89,77", "from two levels down"},
      {&overhang, 5, 5, "0,255,0", "a grandchild's own drawing"},
      {&top, 185, 115, "185,115,77", "nothing drawn past the panel's right edge"},
      {&top, 170, 145, "170,145,77", "nor past its bottom edge"},
      {&top, 8, 103, "8,103,77", "a hidden window is not drawn"},
  };
  for (const auto& probe : probes) EXPECT_EQ(ScreenPixel(*probe.window, probe.x, probe.y), probe.pixel) << probe.why;
  for (qvWindow* window : {static_cast<qvWindow*>(&top), &panel, &button, static_cast<qvWindow*>(&overhang)})
    EXPECT_FALSE(GetUpdateRect(window->GetHandle(), nullptr, FALSE)) << "no paint left pending";
  Pump(30);
  EXPECT_EQ(overhang.paints, 1) << "painted once, through its own handler";
  EXPECT_EQ(hidden.paints, 0);

  // Painted by itself again afterwards, each in its own cycle.
  hidden.Show();
  Pump(30);
  EXPECT_EQ(hidden.paints, 1);
  EXPECT_EQ(ScreenPixel(top, 8, 103), "255,0,0");
  overhang.Redraw();
  EXPECT_EQ(overhang.paints, 2);
}

}  // namespace
