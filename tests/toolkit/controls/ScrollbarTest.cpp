#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <memory>

#include "tests/toolkit/controls/ControlTesting.h"
#include "toolkit/controls/qvScrollbar.h"
#include "toolkit/controls/qvTextList.h"
#include "toolkit/window/MessageDispatch.h"

namespace {

TEST(ScrollGeometry, ThumbLengthOffsetAndScale) {
  struct Case {
    int length, minimum, maximum, value;
    int thumbLength, thumbOffset;
    double scale;
  } cases[] = {
      // A value's share of the track is 13.6 pixels: the thumb keeps 16 and
      // the track left for placing it shrinks by as much.
      {100, 0, 4, 1, 16, 13, 13.0},
      {100, 0, 4, 4, 16, 52, 13.0},
      {100, 0, 1, 0, 34, 0, 34.0},
      {100, 0, 1, 1, 34, 34, 34.0},
      {100, 3, 3, 3, 16, 0, 0.0},     // one value: nothing to place
      {40, 0, 10, 10, 16, -8, -0.8},  // too short for its range: no usable scale
      {48, 0, 10, 10, 16, 0, 0.0},
      {100, 0, 1000000000, 1000000000, 16, 52, 52e-9},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.length) + " px, " + std::to_string(c.minimum) + ".." + std::to_string(c.maximum));
    bool tooSmall = false;
    const ScrollGeometry g = ComputeScrollGeometry(c.length, c.minimum, c.maximum, c.value, tooSmall);
    EXPECT_EQ(g.thumbLength, c.thumbLength);
    EXPECT_EQ(g.thumbOffset, c.thumbOffset);
    EXPECT_NEAR(g.scale, c.scale, 1e-9);
  }
  bool tooSmall = false;
  ComputeScrollGeometry(30, 0, 5, 0, tooSmall);
  EXPECT_TRUE(tooSmall);
  ComputeScrollGeometry(32, 0, 5, 0, tooSmall);
  EXPECT_FALSE(tooSmall);
}

TEST(ScrollValues, StayInTheRange) {
  ControlHost host;
  qvScrollbar bar(qvRect(0, 0, 16, 100), &host, 9, true);
  bar.SetRange(0, -3);
  EXPECT_EQ(bar.GetValue(), 0) << "with the maximum below the minimum the value ends at the minimum";
  bar.SetRangeAndValue(0, 10, 7);
  bar.SetPageSize(4);
  bar.ScrollPages(1);
  EXPECT_EQ(bar.GetValue(), 10);
  bar.ScrollLines(-3);
  EXPECT_EQ(bar.GetValue(), 7);
  bar.ScrollPages(-1000000000);
  EXPECT_EQ(bar.GetValue(), 0) << "no overflow on the way";
  bar.SetMaximum(-5);
  EXPECT_EQ(bar.GetValue(), 0);
}

class Scrollbar : public ::testing::Test {
protected:
  void SetUp() override {
    bar.SetRangeAndValue(0, 4, 1);
    host.Present();
    MoveOn(host, 395, 295);
  }
  // A click far off, so that the next press on the bar is no double click.
  void Apart() {
    ClickOn(host, 395, 295);
    EventLog().clear();
  }
  ControlHost host;
  qvScrollbar bar{qvRect(20, 10, 36, 110), &host, 9, true};  // 100 pixels long
};

// With range 0 to 4 and value 1 the thumb covers 29 to 45, ends included.
TEST_F(Scrollbar, APressReportsThePartItHits) {
  struct Case {
    int y, part, kind;
  } cases[] = {
      {16, kScrollFirstArrow, kEventLineUp},     {17, kScrollTrackBefore, kEventPageUp},
      {28, kScrollTrackBefore, kEventPageUp},    {29, kScrollThumb, 0},
      {45, kScrollThumb, 0},                     {46, kScrollTrackAfter, kEventPageDown},
      {83, kScrollTrackAfter, kEventPageDown},   {84, kScrollSecondArrow, kEventLineDown},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("press at y " + std::to_string(c.y));
    Apart();
    PressOn(bar, 8, c.y);
    EXPECT_EQ(bar.GetPart(), c.part);
    ReleaseOn(bar, 8, c.y);
    // A press on the thumb reports nothing until the thumb moves; every
    // release over the bar is a click.
    std::vector<std::string> expected;
    if (c.kind) expected.push_back(Report(9, 1, c.kind));
    expected.push_back(Report(9, kNoticeClick));
    ExpectReports(expected);
    EXPECT_EQ(bar.GetValue(), 1) << "the bar leaves moving to its parent";
  }
}

// 30 pixels: the second half is the second arrow.
TEST_F(Scrollbar, AShortBarIsTwoHalfArrows) {
  qvScrollbar shortBar(qvRect(50, 10, 66, 40), &host, 8, true);
  shortBar.SetRange(0, 5);
  host.Present();
  Apart();
  PressOn(shortBar, 8, 15);
  ReleaseOn(shortBar, 8, 15);
  ExpectReports({Report(8, 0, kEventLineDown), Report(8, kNoticeClick)});
  Apart();
  PressOn(shortBar, 8, 14);
  ReleaseOn(shortBar, 8, 14);
  ExpectReports({Report(8, 0, kEventLineUp), Report(8, kNoticeClick)});
}

TEST_F(Scrollbar, ABarOfOneValueOnlyTakesTheMouse) {
  bar.SetRange(3, 3);
  bar.Redraw();
  const Snapshot shot(bar);
  EXPECT_EQ(shot.At(8, 8), RgbText(102, 102, 102)) << "all track, no arrows";
  EXPECT_EQ(shot.At(8, 50), RgbText(102, 102, 102));
  Apart();
  PressOn(bar, 8, 8);
  EXPECT_EQ(GetCapture(), bar.GetHandle());
  EXPECT_EQ(bar.GetPart(), kScrollNone);
  ExpectReports({});
  ReleaseOn(host, 395, 295);
}

TEST_F(Scrollbar, DraggingTheThumbPastTheEndStopsAtTheMaximum) {
  Apart();
  PressOn(bar, 8, 35);  // on the thumb, 6 pixels into it
  MoveOn(bar, 8, 48);   // one value further: 13 pixels
  EXPECT_EQ(bar.GetValue(), 2);
  MoveOn(bar, 8, 300);
  EXPECT_EQ(bar.GetValue(), 4);
  MoveOn(bar, 8, 320);
  ReleaseOn(bar, 8, 320);
  ExpectReports({Report(9, 2, kEventThumbPosition), Report(9, 4, kEventThumbPosition)});
}

TEST_F(Scrollbar, ABarTooShortForItsRangeKeepsItsThumb) {
  qvScrollbar shortBar(qvRect(50, 10, 66, 50), &host, 8, true);  // 40 pixels, range of 11 values
  shortBar.SetRangeAndValue(0, 10, 0);
  host.Present();
  Apart();
  PressOn(shortBar, 8, 20);
  EXPECT_EQ(shortBar.GetPart(), kScrollThumb);
  MoveOn(shortBar, 8, 35);
  ReleaseOn(shortBar, 8, 35);
  EXPECT_EQ(shortBar.GetValue(), 0);
  ExpectReports({Report(8, kNoticeClick)});  // no thumb position
}

// Where the thumb is drawn, read back from the screen along the line one
// pixel in from the bar's side, clear of the grip. The expected places
// follow from the bar's stated geometry, worked out by hand: 16-pixel arrows
// at the ends and a thumb one value's share of the track between them long
// (whole pixels), placed at the value times that share; a share under 16
// pixels gives a 16-pixel thumb placed on the track less those 16 pixels,
// which is then shared by the range's steps. The thumb reads as its light
// edge, its face and its dark edge; the track shows around it.
TEST(ScrollbarLooks, TheThumbIsDrawnWhereItsValueSays) {
  struct Case {
    bool vertical;
    int length, minimum, maximum, value;
    int thumbStart, thumbEnd;  // along the bar, the end excluded
  } cases[] = {
      // 68 px of track for 5 values: 13.6 each, under 16, so a 16-pixel
      // thumb placed over 52 px in 4 steps of 13.
      {true, 100, 0, 4, 0, 16, 32},
      {true, 100, 0, 4, 1, 29, 45},
      {true, 100, 0, 4, 4, 68, 84},  // meets the second arrow
      {true, 100, 0, 1, 1, 50, 84},  // 68 / 2 = 34 each
      {true, 100, 0, 1000, 300, 31, 47},  // 52 px in 1,000 steps: 300 is at 15.6
      {false, 120, 0, 2, 1, 45, 74},      // 88 / 3 = 29.33: 29 px, at 29
      {false, 150, 0, 2, 2, 94, 133},     // 118 / 3 = 39.33: 39 px, at 78.67
      {false, 200, 0, 9, 3, 66, 82},      // 168 / 10 = 16.8: 16 px, at 50.4
      {false, 200, -5, 4, -2, 66, 82},    // the same, counted from -5
  };
  ControlHost host;
  std::vector<std::unique_ptr<qvScrollbar>> bars;
  int next = 10;
  for (const Case& c : cases) {
    const qvRect bounds =
        c.vertical ? qvRect(next, 10, next + 16, 10 + c.length) : qvRect(130, next, 130 + c.length, next + 16);
    bars.push_back(std::make_unique<qvScrollbar>(bounds, &host, 9, c.vertical));
    bars.back()->SetRangeAndValue(c.minimum, c.maximum, c.value);
    next += 20;
  }
  host.Present();
  const std::string track = RgbText(102, 102, 102), light = RgbText(225, 225, 225), face = RgbText(180, 180, 180),
                    dark = RgbText(119, 119, 119);
  for (size_t i = 0; i < bars.size(); ++i) {
    const Case& c = cases[i];
    SCOPED_TRACE(std::string(c.vertical ? "vertical" : "horizontal") + ", " + std::to_string(c.length) + " px, " +
                 std::to_string(c.minimum) + ".." + std::to_string(c.maximum) + " at " + std::to_string(c.value));
    const Snapshot shot(*bars[i]);
    std::string differences;
    for (int along = 16; along < c.length - 16; ++along) {
      const std::string expected = along < c.thumbStart || along >= c.thumbEnd ? track
                                   : along == c.thumbStart                     ? light
                                   : along == c.thumbEnd - 1                   ? dark
                                                                               : face;
      const std::string actual = c.vertical ? shot.At(1, along) : shot.At(along, 1);
      if (actual != expected)
        differences += "  at " + std::to_string(along) + ": expected " + expected + ", got " + actual + "\n";
    }
    EXPECT_TRUE(differences.empty()) << "the track between the arrows differs:\n" << differences;
  }
}

// Milliseconds on the performance counter, finer than the tick count the
// bar keeps its pace by.
double NowMs() {
  LARGE_INTEGER frequency, count;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&count);
  return static_cast<double>(count.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

// A list that notes when each of its bar's step requests arrives, and ends
// the main loop once it has the press's and `wanted` repeats.
class TimedList : public qvTextList {
public:
  using qvTextList::qvTextList;
  bool OnCommand(qvEvent& event) override {
    if (event.kind == kEventLineDown) {
      times.push_back(NowMs());
      if (times.size() == wanted + 1) EndMessageLoop();
    }
    return qvTextList::OnCommand(event);
  }
  std::vector<double> times;
  size_t wanted = 0;
};

void CALLBACK EndTheLoop(HWND, UINT, UINT_PTR, DWORD) { EndMessageLoop(); }

// The second arrow of a list's bar held with real input under the main
// message loop, as a user holds it: the list moves one line for the press
// and one for each repeat; the first repeat comes 350 ms after the press,
// then one every 50 ms. The times are measured on the clock. The first
// repeat is timed from before the press was sent, so a busy machine can
// only make it later: its lower bound holds whatever the load. A repeat
// noted late makes the next spacing short by as much, so the spacings are
// judged by their median. Measured on a 2-core machine: idle, the first
// repeat came after 353 to 359 ms and the median spacing was 50 ms; with
// both cores compiling, 354 to 374 ms and 52 ms; with four more busy loops
// besides, 360 to 400 ms and up to 72 ms.
TEST(ScrollbarRepeat, AHeldArrowRepeatsAfter350MsThenEvery50Ms) {
  constexpr double kFirstRepeatMs = 350, kEveryMs = 50;
  constexpr size_t kRepeats = 8;
  StringList lines;
  for (int i = 0; i < 200; ++i) lines.Append(TextString("line"));
  ControlHost host;
  TimedList list(lines, qvRect(10, 10, 210, 210), &host);
  list.wanted = kRepeats;
  host.Present();
  qvScrollbar* bar = list.VerticalBar();
  const int arrowY = 190;  // the bar runs from 1 to 199 of the list: 198 pixels

  const double beforePress = NowMs();
  PressOn(*bar, 8, arrowY);
  ASSERT_EQ(list.times.size(), 1u) << "the press itself asks for a step";
  EXPECT_EQ(bar->GetValue(), 1) << "the press itself moves one line";
  const UINT_PTR bound = SetTimer(nullptr, 0, 5000, EndTheLoop);
  RunMessageLoop();
  KillTimer(nullptr, bound);
  ReleaseOn(*bar, 8, arrowY);
  EXPECT_FALSE(IdlePassesRequested()) << "released: no more idle passes wanted";

  const std::vector<double>& t = list.times;
  ASSERT_GE(t.size(), kRepeats + 1) << "the repeats stopped";
  EXPECT_EQ(bar->GetValue(), static_cast<int>(t.size())) << "one line per request";
  const double first = t[1] - beforePress;
  std::vector<double> spacings;
  for (size_t i = 2; i < t.size(); ++i) spacings.push_back(t[i] - t[i - 1]);
  std::string measured = "first repeat after " + std::to_string(first) + " ms, then";
  for (double s : spacings) measured += " " + std::to_string(s);
  std::printf("%s\n", measured.c_str());
  SCOPED_TRACE(measured);

  std::sort(spacings.begin(), spacings.end());
  const double median = spacings[spacings.size() / 2];
  // 50 ms under the first repeat's time allows for a tick count that moves
  // in coarse steps, and is still far from a repeat that comes too soon.
  EXPECT_GE(first, kFirstRepeatMs - 50);
  EXPECT_LE(first, kFirstRepeatMs + 250);
  EXPECT_GE(median, kEveryMs - 10);
  EXPECT_LE(median, kEveryMs + 40);
}

}  // namespace
