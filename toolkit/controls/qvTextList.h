// qvTextList: a read-only viewer of text lines, one line per 15-pixel row
// in "Helvetica" 16, with a vertical scroll bar counting lines along its
// right edge and, only while some line is wider than the text area, a
// horizontal one counting pixels along its bottom edge. Lines are Unicode
// (UTF-16), drawn and measured with the platform's wide text calls; lines
// in UTF-8 are converted when given. It keeps its own copy of
// the lines and has no selection or editing; the bars, the mouse wheel and
// the scrolling keys scroll it, and the keys it does not use go on to its
// parent. With the keyboard focus it shows the platform's dotted focus
// mark inside its frame. Painting draws only the rows in view, so a list of
// any length scrolls at the same cost. It owns its lines and both bars.
#pragma once

#include <string>
#include <vector>

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
// Lines one notch of the mouse wheel scrolls.
constexpr int kWheelLines = 3;
// Pixels between the list's left edge and its text.
constexpr int kTextInset = 5;
// Pixels kept free between the end of the widest text a row shows whole and
// the vertical bar, so that no letter touches the bar.
constexpr int kTextEndGap = 4;

class qvTextList : public qvControl {
public:
  // lines are UTF-8.
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
  // firstLine (kept within the range) at the top; redraws. The first form
  // takes lines in UTF-8.
  void SetLines(const StringList& newLines, int firstLine);
  void SetLines(std::vector<std::wstring> newLines, int firstLine);
  // Up and Down scroll a line, Page Up and Page Down a page, Home goes to
  // the top and End to where the last line is the bottom row. False for any
  // other key code.
  bool ScrollByKey(int keyCode);
  // Pixels of text a row shows whole without scrolling sideways: from the
  // inset to the vertical bar, less kTextEndGap.
  int TextWidth();
  int FirstVisibleLine();
  // The first line in view when the last line is on the bottom row: the
  // end of the vertical range.
  int LastFirstLine() const;
  // Where the rows are drawn, in client coordinates: inside the frame,
  // left of the vertical bar and above the horizontal one when it shows.
  RECT TextArea();
  // Where the focus mark is drawn: the text area's edges, in the margins
  // the text keeps on its left and right.
  RECT FocusArea();

  // Measures text as the list draws it: in its font, on a context of the
  // list's window, held while the measurer lives.
  class Measurer {
  public:
    explicit Measurer(qvTextList& list);
    Measurer(const Measurer&) = delete;
    Measurer& operator=(const Measurer&) = delete;
    // Without tabs, as rows without tabs are drawn.
    int Width(const wchar_t* text, int count);
    // Tabs expanded to the platform's default stops, as rows with tabs are
    // drawn.
    int TabbedWidth(const wchar_t* text, int count);

  private:
    qvDevice device;  // released after the font has been deselected
    qvFont font;
  };

  qvScrollbar* VerticalBar() const { return verticalBar; }
  qvScrollbar* HorizontalBar() const { return horizontalBar; }
  const std::vector<std::wstring>& Lines() const { return lines; }
  int WidestLine() const { return widestLine; }
  int VisibleLines() const { return visibleLines; }
  // Whether the horizontal bar shows: some line is wider than TextWidth.
  bool ScrollsSideways() const { return sideways; }

private:
  int Bar() const { return Scaled(kScrollbarThickness); }
  int RowHeight() const { return Scaled(kTextRowHeight); }
  void MeasureWidestLine();
  // Shows the horizontal bar when a line needs it, places both bars, and
  // sets their ranges and page sizes from the client area and the lines.
  void UpdateBars();

  qvScrollbar* verticalBar;    // owned
  qvScrollbar* horizontalBar;  // owned
  std::vector<std::wstring> lines;
  int32_t widestLine;          // pixels, measured once
  int32_t visibleLines;
  int32_t wheelRemainder = 0;  // wheel movement short of a notch
  bool sideways = true;        // the horizontal bar shows; made visible
};
