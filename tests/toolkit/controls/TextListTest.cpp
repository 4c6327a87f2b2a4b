#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "common/ConversionBuffer.h"
#include "tests/toolkit/controls/ControlTesting.h"
#include "toolkit/controls/qvScrollbar.h"
#include "toolkit/controls/qvTextList.h"
#include "toolkit/draw/qvDrawingItem.h"

namespace {

StringList Numbered(int count, int first = 0) {
  StringList lines;
  for (int i = first; i < first + count; ++i) lines.Append(TextString(("Line " + std::to_string(i)).c_str()));
  return lines;
}

int TextWidth(const std::string& text) {
  qvFont font(qvFontLarge);
  const HDC dc = GetDC(nullptr);
  font.SelectInto(dc);
  const int width = LOWORD(GetTabbedTextExtentA(dc, text.data(), static_cast<int>(text.size()), 0, nullptr));
  font.Deselect();
  ReleaseDC(nullptr, dc);
  return width;
}

// Whether the text rows of two lists of the same size show the same pixels
// (the bars and the frame left out).
bool SameRows(qvTextList& a, qvTextList& b) {
  const Snapshot sa(a), sb(b);
  for (int y = 1; y < a.VisibleLines() * kTextRowHeight; ++y)
    for (int x = 1; x < sa.width - kScrollbarThickness; ++x)
      if (sa.Colour(x, y) != sb.Colour(x, y)) return false;
  return true;
}

bool HasBlack(qvTextList& list) {
  const Snapshot shot(list);
  for (int y = 0; y < shot.height; ++y)
    for (int x = 0; x < shot.width - kScrollbarThickness; ++x)
      if (shot.Colour(x, y) == RGB(0, 0, 0)) return true;
  return false;
}

class TextList : public ::testing::Test {
protected:
  void SetUp() override {
    host.Present();
    MoveOn(host, 5, 395);
  }
  ControlHost host{qvRect(0, 0, 640, 400)};
};

// The vertical range ends where the last line is the bottom row: no blank
// rows past the text.
TEST_F(TextList, RowsAndRangesFollowTheClientArea) {
  struct Case {
    int lines, height;
    int rows, verticalMaximum;
  } cases[] = {
      {100, 302, 20, 80},
      {20, 302, 20, 0},   // exactly a page
      {21, 302, 20, 1},
      {0, 302, 20, 0},
      {0, 47, 3, 0},
      {10, 16, 0, 10},    // no row fits: each line can still come first
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.lines) + " lines, " + std::to_string(c.height) + " high");
    qvTextList list(Numbered(c.lines), qvRect(10, 10, 210, 10 + c.height), &host);
    EXPECT_EQ(list.VisibleLines(), c.rows);
    EXPECT_EQ(list.VerticalBar()->GetMinimum(), 0);
    EXPECT_EQ(list.VerticalBar()->GetMaximum(), c.verticalMaximum);
    EXPECT_EQ(list.VerticalBar()->GetPageSize(), c.rows);
    EXPECT_FALSE(list.ScrollsSideways());
    EXPECT_FALSE(IsWindowVisible(list.HorizontalBar()->GetHandle()));
    list.ScrollByKey(kKeyEnd);
    EXPECT_EQ(list.FirstVisibleLine(), c.verticalMaximum) << "End shows the last line";
    if (c.lines == 0 || c.rows == 0) {
      EXPECT_FALSE(HasBlack(list)) << "no text drawn";
    }
  }
}

// The horizontal bar shows only while a line (tabs expanded) is wider than
// the text area, and then scrolls exactly to that line's end.
TEST_F(TextList, TheHorizontalBarComesWithALineWiderThanTheList) {
  StringList lines = Numbered(3);
  const std::string wide = "a\ttabbed line that is rather wider than the list is";
  lines.Append(TextString(wide.c_str()));
  qvTextList list(lines, qvRect(10, 10, 210, 110), &host);
  const int widest = TextWidth(wide);
  EXPECT_EQ(list.WidestLine(), widest);
  ASSERT_GT(widest, list.TextWidth());
  EXPECT_TRUE(list.ScrollsSideways());
  EXPECT_TRUE(IsWindowVisible(list.HorizontalBar()->GetHandle()));
  EXPECT_EQ(list.HorizontalBar()->GetMaximum(), widest - list.TextWidth());
  EXPECT_EQ(list.HorizontalBar()->GetPageSize(), list.TextWidth());
  EXPECT_EQ(list.VisibleLines(), (100 - 2 - kScrollbarThickness) / kTextRowHeight) << "the bar takes its rows";

  // Replaced by narrower lines, the bar goes and its rows come back.
  list.SetLines(Numbered(3), 0);
  EXPECT_FALSE(list.ScrollsSideways());
  EXPECT_FALSE(IsWindowVisible(list.HorizontalBar()->GetHandle()));
  EXPECT_EQ(list.VisibleLines(), (100 - 2) / kTextRowHeight);
}

// A line far longer than any row is measured and drawn whole.
TEST_F(TextList, AVeryLongLineIsMeasuredWhole) {
  StringList lines;
  const std::string longLine(ConversionBuffer::kSize + 500, 'i');
  lines.Append(TextString(longLine.c_str()));
  qvTextList list(lines, qvRect(10, 10, 210, 110), &host);
  EXPECT_EQ(list.WidestLine(), TextWidth(longLine));
  list.Redraw();
  EXPECT_TRUE(HasBlack(list));
}

// After each way of scrolling, the list shows what a list starting at the
// expected line shows.
TEST_F(TextList, ScrollingRedrawsTheRightRows) {
  const qvRect bounds(10, 10, 210, 212);  // 200 x 202: 13 rows
  qvTextList list(Numbered(100), bounds, &host);
  qvScrollbar* bar = list.VerticalBar();
  host.Present();
  auto expectFirstLine = [&](int first) {
    EXPECT_EQ(bar->GetValue(), first);
    qvTextList reference(Numbered(100 - first, first), qvRect(220, 10, 420, 212), &host);
    reference.Redraw();
    EXPECT_TRUE(SameRows(list, reference)) << "first line " << first;
  };
  const int barLength = 202 - 2;  // inside the frame, no horizontal bar below
  auto apart = [&] { ClickOn(host, 630, 390); };

  apart();
  ClickOn(*bar, 8, barLength - 5);  // the second arrow: a line
  expectFirstLine(1);
  apart();
  ClickOn(*bar, 8, barLength - 30);  // the track after the thumb: a page of 13 rows
  expectFirstLine(14);
  apart();
  ClickOn(*bar, 8, 5);  // the first arrow
  expectFirstLine(13);

  // The mouse wheel over the list, one notch towards the user: three lines.
  const POINT over = OnScreen(list, 50, 50);
  MoveMouseTo(over.x, over.y);
  INPUT wheel = {};
  wheel.type = INPUT_MOUSE;
  wheel.mi.dwFlags = MOUSEEVENTF_WHEEL;
  wheel.mi.mouseData = static_cast<DWORD>(-WHEEL_DELTA);
  SendInput(1, &wheel, sizeof wheel);
  PumpUntil([&] { return bar->GetValue() != 13; }, 1000);
  expectFirstLine(16);

  // The thumb dragged down by ten values' worth of pixels.
  const ScrollGeometry g = bar->Geometry();
  const int thumbMiddle = 16 + g.thumbOffset + g.thumbLength / 2;
  apart();
  PressOn(*bar, 8, thumbMiddle);
  MoveOn(*bar, 8, thumbMiddle + static_cast<int>(10 * g.scale));
  ReleaseOn(*bar, 8, thumbMiddle + static_cast<int>(10 * g.scale));
  EXPECT_NEAR(bar->GetValue(), 26, 1) << "about ten lines further";
  expectFirstLine(bar->GetValue());
}

}  // namespace
