// qvTextList: a read-only viewer of text lines, one line per 15-pixel row
// in "Helvetica" 16, with a vertical scroll bar counting lines and a
// horizontal one counting pixels along its right and bottom edges. It keeps
// its own copy of the lines it is given and has no selection or editing;
// the bars, the mouse wheel and the scrolling keys scroll it, and the keys
// it does not use go on to its parent. Painting draws only the rows in
// view, so a list of any length scrolls at the same cost. It owns its lines
// and both bars.
#pragma once

#include "common/StringList.h"
#include "toolkit/controls/qvControl.h"
#include "toolkit/controls/qvScrollbar.h"
#include "toolkit/draw/qvDevice.h"
#include "toolkit/draw/qvDrawingItem.h"

class qvScrollbar;

// The list's lengths are pixels at 96 DPI, scaled to its DPI.
constexpr int kTextRowHeight = 15;
constexpr int kVerticalBarId = 1;
constexpr int kHorizontalBarId = 2;
// Rows the list can scroll past its last line.
constexpr int kRowsPastTheEnd = 5;
// Lines one notch of the mouse wheel scrolls.
constexpr int kWheelLines = 3;
// Pixels between the list's left edge and its text.
constexpr int kTextInset = 5;
// Pixels kept free between the end of the widest text a row shows whole and
// the vertical bar, so that no letter touches the bar.
constexpr int kTextEndGap = 4;

class qvTextList : public qvControl {
public:
  qvTextList(const StringList& lines, const qvRect& bounds, qvWindow* parent);
  ~qvTextList() override;

  // Places the list, then its bars, works out the rows in view and the
  // bars' ranges, and redraws.
  void SetPlacement(const qvRect& bounds) override;
  bool OnPaint(qvEvent& event) override;
  // Answers the bars' scroll requests, then redraws.
  bool OnCommand(qvEvent& event) override;
  // A press on the list gives it the keyboard.
  bool OnMouseDown(qvEvent& event) override;
  // The scrolling keys; any other key goes to the parent's OnKeyDown.
  bool OnKeyDown(qvEvent& event) override;
  // The mouse wheel.
  bool OnOtherMessage(qvEvent& event) override;
  // Read-only text named by the window it is shown in, whose value is all
  // of its lines.
  qvAccessibleInfo GetAccessibleInfo() override;

  // Replaces the lines, measures them and sets the bars' ranges, with
  // firstLine (kept within the range) at the top; redraws.
  void SetLines(const StringList& newLines, int firstLine);
  // Up and Down scroll a line, Page Up and Page Down a page, Home goes to
  // the top and End to where the last line is the bottom row. False for any
  // other key code.
  bool ScrollByKey(int keyCode);
  // Pixels of text a row shows whole without scrolling sideways: from the
  // inset to the vertical bar, less kTextEndGap.
  int TextWidth();
  int FirstVisibleLine();

  // Measures text as the list draws it: in its font, on a context of the
  // list's window, held while the measurer lives.
  class Measurer {
  public:
    explicit Measurer(qvTextList& list);
    Measurer(const Measurer&) = delete;
    Measurer& operator=(const Measurer&) = delete;
    // Tabs are not expanded, as the list does not expand them when drawing.
    int Width(const char* text, int count);
    // Tabs expanded to the platform's default stops.
    int TabbedWidth(const char* text, int count);

  private:
    qvDevice device;  // released after the font has been deselected
    qvFont font;
  };

  qvScrollbar* VerticalBar() const { return verticalBar; }
  qvScrollbar* HorizontalBar() const { return horizontalBar; }
  const StringList& Lines() const { return lines; }
  int WidestLine() const { return widestLine; }
  int VisibleLines() const { return visibleLines; }

private:
  int Bar() const { return Scaled(kScrollbarThickness); }
  int RowHeight() const { return Scaled(kTextRowHeight); }
  void MeasureWidestLine();
  // The bars' ranges and page sizes from the client area and the lines.
  void UpdateBars();

  qvScrollbar* verticalBar;    // owned
  qvScrollbar* horizontalBar;  // owned
  StringList lines;
  int32_t widestLine;          // pixels, measured once
  int32_t visibleLines;
  int32_t wheelRemainder = 0;  // wheel movement short of a notch
};
