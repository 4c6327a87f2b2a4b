// qvTextList: a read-only viewer of text lines, one line per 15-pixel row
// in "Helvetica" 16, with a vertical scroll bar counting lines and a
// horizontal one counting pixels along its right and bottom edges. It keeps
// its own copy of the lines it is given and has no selection, editing or
// keyboard navigation; the bars and the mouse wheel scroll it. Painting
// draws only the rows in view, so a list of any length scrolls at the same
// cost. It owns its lines and both bars.
#pragma once

#include "common/StringList.h"
#include "toolkit/controls/qvControl.h"

class qvScrollbar;

constexpr int kTextRowHeight = 15;
constexpr int kVerticalBarId = 1;
constexpr int kHorizontalBarId = 2;
// Rows the list can scroll past its last line.
constexpr int kRowsPastTheEnd = 5;
// Lines one notch of the mouse wheel scrolls.
constexpr int kWheelLines = 3;

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
  bool OnKeyDown(qvEvent& event) override;
  // The mouse wheel.
  bool OnOtherMessage(qvEvent& event) override;
  // Read-only text named by the window it is shown in, whose value is all
  // of its lines.
  qvAccessibleInfo GetAccessibleInfo() override;

  qvScrollbar* VerticalBar() const { return verticalBar; }
  qvScrollbar* HorizontalBar() const { return horizontalBar; }
  const StringList& Lines() const { return lines; }
  int WidestLine() const { return widestLine; }
  int VisibleLines() const { return visibleLines; }

private:
  qvScrollbar* verticalBar;    // owned
  qvScrollbar* horizontalBar;  // owned
  StringList lines;
  int32_t widestLine;          // pixels, measured once
  int32_t visibleLines;
  int32_t wheelRemainder = 0;  // wheel movement short of a notch
};
