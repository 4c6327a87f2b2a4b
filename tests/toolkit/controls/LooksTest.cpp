#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "tests/toolkit/controls/ControlTesting.h"
#include "toolkit/controls/qvButton.h"
#include "toolkit/controls/qvCaption.h"
#include "toolkit/controls/qvCheckbox.h"
#include "toolkit/controls/qvTextList.h"
#include "toolkit/draw/qvDrawingItem.h"

namespace {

const std::string kBlack = RgbText(0, 0, 0);
const std::string kWhite = RgbText(255, 255, 255);
const std::string kHostGrey = RgbText(140, 140, 140);

// The smallest rectangle holding every pixel of colour in a snapshot;
// empty (0, 0, 0, 0) when there is none.
RECT InkOf(const Snapshot& shot, COLORREF colour, RECT within = {0, 0, 10000, 10000}) {
  RECT ink = {10000, 10000, -1, -1};
  for (int y = std::max(0L, within.top); y < std::min<long>(shot.height, within.bottom); ++y)
    for (int x = std::max(0L, within.left); x < std::min<long>(shot.width, within.right); ++x)
      if (shot.Colour(x, y) == colour) {
        ink.left = std::min<long>(ink.left, x);
        ink.top = std::min<long>(ink.top, y);
        ink.right = std::max<long>(ink.right, x + 1);
        ink.bottom = std::max<long>(ink.bottom, y + 1);
      }
  return ink.right < 0 ? RECT{0, 0, 0, 0} : ink;
}

SIZE TextSize(int fontKind, const char* text) {
  qvFont font(fontKind);
  const HDC dc = GetDC(nullptr);
  font.SelectInto(dc);
  SIZE size = {};
  GetTextExtentPoint32A(dc, text, static_cast<int>(strlen(text)), &size);
  font.Deselect();
  ReleaseDC(nullptr, dc);
  return size;
}

class Looks : public ::testing::Test {
protected:
  void SetUp() override {
    host.Present();
    MoveOn(host, 395, 295);
    EventLog().clear();
  }
  ControlHost host;
};

// An 85 x 20 button, as the installer's Install button: its round outline,
// its bevel from the first point up to the last, not including it, and its
// face, in each look.
TEST_F(Looks, ButtonsHaveThreeLooks) {
  qvButton normal(&host, qvRect(10, 10, 95, 30), "Install", 1, qvButton::kLargeLabel);
  qvButton pressed(&host, qvRect(10, 40, 95, 60), "Install", 2, qvButton::kLargeLabel);
  qvButton disabled(&host, qvRect(10, 70, 95, 90), "Install", 3, qvButton::kLargeLabel);
  disabled.Disable();
  host.Present();
  PressOn(pressed, 40, 10);
  const std::string grey180 = RgbText(180, 180, 180), grey119 = RgbText(119, 119, 119),
                    grey102 = RgbText(102, 102, 102), grey85 = RgbText(85, 85, 85),
                    grey136 = RgbText(136, 136, 136);
  struct Point {
    int x, y;
    std::string normal, pressed, disabled;
  } points[] = {
      {0, 10, kBlack, kBlack, grey136},       // outline, left
      {84, 10, kBlack, kBlack, grey136},      // outline, right
      {42, 0, kBlack, kBlack, grey136},       // outline, top
      {42, 19, kBlack, kBlack, grey136},      // outline, bottom
      {1, 16, kWhite, grey85, grey180},       // first bevel, left: from y 16 ...
      {1, 3, kWhite, grey85, grey180},        // ... up to 3
      {1, 2, grey180, grey102, grey180},      // its end point is not drawn
      {3, 1, kWhite, grey85, grey180},        // first bevel, top: from x 3 ...
      {81, 1, kWhite, grey85, grey180},       // ... to 81
      {82, 1, grey180, grey102, grey180},
      {3, 18, grey119, grey136, grey180},     // second bevel, bottom
      {81, 18, grey119, grey136, grey180},
      {83, 16, grey119, grey136, grey180},    // second bevel, right
      {83, 3, grey119, grey136, grey180},
      {6, 6, grey180, grey102, grey180},      // face
      {78, 13, grey180, grey102, grey180},
  };
  const Snapshot a(normal), b(pressed), c(disabled);
  for (const Point& p : points) {
    EXPECT_EQ(a.At(p.x, p.y), p.normal) << "normal at " << p.x << "," << p.y;
    EXPECT_EQ(b.At(p.x, p.y), p.pressed) << "pressed at " << p.x << "," << p.y;
    EXPECT_EQ(c.At(p.x, p.y), p.disabled) << "disabled at " << p.x << "," << p.y;
  }
  ReleaseOn(host, 395, 295);
}

TEST_F(Looks, ADisabledButtonHasAGreyLabelEvenWhenHeld) {
  qvButton button(&host, qvRect(10, 10, 95, 30), "Install", 1, qvButton::kLargeLabel);
  button.Disable();
  host.Present();
  PressOn(button, 40, 10);
  const Snapshot shot(button);
  EXPECT_EQ(InkOf(shot, RGB(0, 0, 0)).right, 0) << "no black label";
  const RECT grey = InkOf(shot, RGB(153, 153, 153));
  EXPECT_GT(grey.right - grey.left, 10) << "the label is drawn in grey";
  EXPECT_EQ(shot.At(6, 6), RgbText(180, 180, 180)) << "the disabled face, not the pressed one";
  ReleaseOn(button, 40, 10);
  ExpectReports({});
}

// The label is one line high and centred; a label wider than the button
// wraps and shows its first line only.
TEST_F(Looks, AButtonLabelIsOneCentredLine) {
  const char* text = "Show the release notes of this product now";
  qvButton button(&host, qvRect(10, 10, 110, 50), text, 1, qvButton::kSmallLabel);
  host.Present();
  const Snapshot shot(button);
  const int h = TextSize(qvFontSmall, "X").cy;
  const int top = (40 - h) / 2;
  const RECT inside = {3, 3, 97, 37};
  const RECT ink = InkOf(shot, RGB(0, 0, 0), inside);
  ASSERT_GT(ink.right, 0);
  EXPECT_GE(ink.top, top);
  EXPECT_LE(ink.bottom, top + h) << "nothing of a second line";
  const int middle = (ink.left + ink.right) / 2;
  EXPECT_NEAR(middle, 2 + (100 - 2) / 2, 3) << "centred between the label's edges";
}

TEST_F(Looks, CheckboxBoxesAndStates) {
  qvCheckbox box(&host, qvRect(10, 10, 160, 30), "  I accept.", 4);
  host.Present();
  EXPECT_EQ(box.Box().top, 4);
  EXPECT_EQ(box.Box().bottom, 17);
  EXPECT_EQ(box.Box().left, 0);
  EXPECT_EQ(box.Box().right, 13);
  EXPECT_EQ(box.TextRect().left, 15);
  EXPECT_EQ(box.TextRect().top, 2);

  // The sunken frame: white at the bottom right, grey and black at the top
  // left, with the light inner line.
  const Snapshot frame(box);
  EXPECT_EQ(frame.At(12, 16), kWhite);
  EXPECT_EQ(frame.At(0, 4), RgbText(128, 128, 128));
  EXPECT_EQ(frame.At(0, 15), RgbText(128, 128, 128));
  EXPECT_EQ(frame.At(11, 15), RgbText(238, 238, 238));
  EXPECT_EQ(frame.At(1, 5), kBlack);
  EXPECT_EQ(frame.At(13, 10), kHostGrey) << "the box ends at x 13";

  const RECT inner = {2, 6, 11, 15};
  // The presses lie apart, so that the second is no double click.
  struct State {
    const char* what;
    bool checked, held;
    POINT press;
    std::string fill;
    bool mark;
  } states[] = {
      {"unchecked", false, false, {}, kWhite, false},
      {"unchecked, held", false, true, {3, 6}, RgbText(128, 128, 128), false},
      {"checked", true, false, {}, kWhite, true},
      {"checked, held", true, true, {10, 14}, RgbText(128, 128, 128), true},
  };
  for (const State& s : states) {
    SCOPED_TRACE(s.what);
    if (s.checked) box.Check(); else box.Uncheck();
    if (s.held) PressOn(box, s.press.x, s.press.y);
    const Snapshot shot(box);
    EXPECT_EQ(shot.At(2, 6), s.fill) << "the inside's top-left corner";
    EXPECT_EQ(shot.At(10, 14), s.fill) << "the inside's bottom-right corner";
    EXPECT_EQ(InkOf(shot, RGB(0, 0, 0), inner).right > 0, s.mark);
    if (s.held) {
      ReleaseOn(host, 395, 295);  // off the box: the state stays
      Drain();
    }
    EXPECT_EQ(box.IsChecked(), s.checked);
  }
  ExpectReports({});
}

// The smallest rectangle holding every pixel that differs between two
// snapshots of one window; empty when none does.
RECT Changed(const Snapshot& before, const Snapshot& after) {
  RECT changed = {10000, 10000, -1, -1};
  for (int y = 0; y < before.height; ++y)
    for (int x = 0; x < before.width; ++x)
      if (before.Colour(x, y) != after.Colour(x, y)) {
        changed = {std::min<long>(changed.left, x), std::min<long>(changed.top, y),
                   std::max<long>(changed.right, x + 1), std::max<long>(changed.bottom, y + 1)};
      }
  return changed.right < 0 ? RECT{0, 0, 0, 0} : changed;
}

// The control with the keyboard shows the dotted mark, around the label's
// or the text's ink, and only then.
TEST_F(Looks, TheFocusMarkComesWithTheKeyboard) {
  StringList lines;
  lines.Append(TextString("Some text"));
  struct Case {
    const char* what;
    std::function<qvControl*()> make;
    RECT inkArea;  // where the label's or the text's ink lies
  };
  const Case cases[] = {
      {"check box", [&] { return new qvCheckbox(&host, qvRect(10, 10, 160, 30), "  I accept.", 4); }, {14, 0, 150, 20}},
      {"button", [&] { return new qvButton(&host, qvRect(10, 40, 110, 66), "Close", 5, qvButton::kSmallLabel); },
       {3, 3, 97, 23}},
      {"text list", [&] { return new qvTextList(lines, qvRect(10, 80, 210, 180), &host); }, {1, 1, 183, 99}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::unique_ptr<qvControl> control(c.make());
    host.Present();
    const Snapshot without(*control);
    const RECT ink = InkOf(without, RGB(0, 0, 0), c.inkArea);
    ASSERT_GT(ink.right, 0) << "the label or the text shows";
    control->TakeFocus();
    Drain();
    ASSERT_EQ(GetFocus(), control->GetHandle());
    const RECT mark = Changed(without, Snapshot(*control));
    EXPECT_LT(mark.left, ink.left);
    EXPECT_LT(mark.top, ink.top);
    EXPECT_GE(mark.right, ink.right);
    EXPECT_GE(mark.bottom, ink.bottom);
    SetFocus(host.GetHandle());
    Drain();
    EXPECT_EQ(Changed(without, Snapshot(*control)).right, 0) << "the mark goes with the keyboard";
  }
}

// The host answers a report by reading the box: it must see the new state.
class StateReadingHost : public ControlHost {
public:
  bool OnCommand(qvEvent& event) override {
    if (box) EventLog().push_back(box->IsChecked() ? "host sees checked" : "host sees unchecked");
    return ControlHost::OnCommand(event);
  }
  qvCheckbox* box = nullptr;
};

TEST(Checkbox, AClickFlipsThenReportsAndCheckIsSilent) {
  StateReadingHost host;
  qvCheckbox box(&host, qvRect(10, 10, 160, 30), "  I accept.", 4);
  host.box = &box;
  host.Present();
  ClickOn(box, 5, 10);
  ExpectEvents({"host sees checked", Report(4, kNoticeClick), "host down at 15,20"});
  EventLog().clear();

  box.Uncheck();
  EXPECT_EQ(Snapshot(box).At(2, 6), kWhite);
  EXPECT_EQ(InkOf(Snapshot(box), RGB(0, 0, 0), {2, 6, 11, 15}).right, 0) << "redrawn at once";
  box.Check();
  EXPECT_GT(InkOf(Snapshot(box), RGB(0, 0, 0), {2, 6, 11, 15}).right, 0);
  ExpectEvents({});

  box.Disable();
  ClickOn(box, 60, 10);
  EXPECT_TRUE(box.IsChecked()) << "a disabled box does not flip";
  EXPECT_EQ(Reports().size(), 0u);
}

// Captions over a plain grey host: where the black ink of the text lies.
TEST_F(Looks, CaptionsAlignTheirText) {
  const char* text = "Flags";
  const SIZE size = TextSize(qvFontLarge, text);
  struct Case {
    int flags;
    bool centredAcross, centredDown;
  } cases[] = {{kCaptionLeft, false, false}, {kCaptionCenter, true, false}, {kCaptionMiddle, false, true},
               {kCaptionCenter | kCaptionMiddle, true, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE("flags " + std::to_string(c.flags));
    qvCaption caption(&host, qvRect(10, 10, 210, 60), text, c.flags);
    caption.Redraw();
    const RECT ink = InkOf(Snapshot(caption), RGB(0, 0, 0));
    ASSERT_GT(ink.right, 0);
    const int across = c.centredAcross ? (200 - size.cx) / 2 : 0;
    const int down = c.centredDown ? (50 - size.cy) / 2 : 0;
    EXPECT_NEAR(ink.left, across, 3);
    EXPECT_GE(ink.top, down);
    EXPECT_LE(ink.bottom, down + size.cy);
  }
}

TEST_F(Looks, ACaptionTakesANewSizeAtItsNextPaintAndNeverReports) {
  qvCaption caption(&host, qvRect(10, 10, 300, 40), "Installing. Please wait...", kCaptionLeft);
  caption.Redraw();
  const RECT large = InkOf(Snapshot(caption), RGB(0, 0, 0));
  caption.SetTextSize(0);
  EXPECT_EQ(InkOf(Snapshot(caption), RGB(0, 0, 0)).right, large.right) << "not redrawn yet";
  caption.Redraw();
  const RECT small = InkOf(Snapshot(caption), RGB(0, 0, 0));
  EXPECT_LT(small.right, large.right);
  EXPECT_LT(small.bottom - small.top, large.bottom - large.top);
  caption.SetTextSize(7);
  caption.Redraw();
  EXPECT_EQ(InkOf(Snapshot(caption), RGB(0, 0, 0)).right, small.right) << "other sizes change nothing";

  ClickOn(caption, 10, 10);
  ClickOn(caption, 10, 10);
  ExpectReports({});
}

}  // namespace
