// qvScrollbar: the toolkit's own scroll bar, vertical (first arrow at the
// top) or horizontal (first arrow at the left): an arrow at each end, a
// grey track and a thumb whose length shows one value's share of the track,
// never less than 16 pixels. It keeps an integer range, value and page size
// and reports every press to its parent as a scroll request (a command
// event of kind kEventLineDown .. kEventThumbPosition whose detail is the
// bar's value); the parent decides how far to move and sets the new value.
//
// Holding the button on an arrow or on the track repeats the request at a
// pace of its own, like the platform's bars: the first repeat about 350 ms
// after the press, then one about every 50 ms, each one step. The bar asks
// the message loops for idle passes only while it repeats. The parent's
// answer to a request must leave the bar alive: the bar redraws after it.
#pragma once

#include <cstdint>

#include "toolkit/controls/qvControl.h"

// What a press hit, along the bar.
enum qvScrollPart : int32_t {
  kScrollNone = 0,
  kScrollTrackBefore = 1,  // the track before the thumb: a page back
  kScrollTrackAfter = 2,   // the track after the thumb: a page forward
  kScrollThumb = 3,
  kScrollFirstArrow = 4,   // a step back
  kScrollSecondArrow = 5,  // a step forward
};

constexpr int kScrollbarThickness = 16;
constexpr uint32_t kRepeatDelayMs = 350;
constexpr uint32_t kRepeatIntervalMs = 50;

// Where the thumb lies on a bar of length L: its length, its offset from
// the end of the first arrow, and the scale in pixels per value (0 when the
// bar cannot place its thumb by value).
struct ScrollGeometry {
  int thumbLength = kScrollbarThickness;
  int thumbOffset = 0;
  double scale = 0;
};

// The geometry for a bar of length L, range minimum .. maximum and value,
// with arrows (and a shortest thumb) arrow pixels long. tooSmall receives
// whether L is below two arrows' length; it is left alone when the range
// holds one value.
ScrollGeometry ComputeScrollGeometry(int L, int32_t minimum, int32_t maximum, int32_t value, bool& tooSmall,
                                     int arrow = kScrollbarThickness);

class qvScrollbar : public qvControl {
public:
  qvScrollbar(const qvRect& bounds, qvWindow* parent, int controlId, bool vertical);
  ~qvScrollbar() override;

  void ResetFields() override;
  bool OnCommand(qvEvent& event) override;
  // Repeats the held arrow's or track's request when it is due.
  void OnIdle() override;
  bool OnPaint(qvEvent& event) override;
  bool OnMouseDown(qvEvent& event) override;
  // The second press of a quick pair steps again, as the first did.
  bool OnDoubleClick(qvEvent& event) override;
  // Drags the thumb while it is held.
  bool OnMouseMove(qvEvent& event) override;
  bool OnMouseUp(qvEvent& event) override;

  // None of these redraws.
  virtual void SetMinimum(int v);
  virtual void SetMaximum(int v);
  virtual void SetValue(int v);
  virtual int GetMinimum();
  virtual int GetMaximum();
  virtual int GetValue();
  virtual void SetPageSize(int n);
  virtual void ScrollPages(int n);
  virtual void ScrollLines(int n);
  virtual void SetRange(int min, int max);
  virtual void SetRangeAndValue(int min, int max, int v);
  // Brings the value into the range; with maximum below minimum it ends at
  // minimum.
  virtual void ClampValue();

  // A scroll bar whose value is its position.
  qvAccessibleInfo GetAccessibleInfo() override;

  int GetPart() const { return part; }
  int GetPageSize() const { return pageSize; }
  bool IsVertical() const { return vertical; }
  ScrollGeometry Geometry();

private:
  int Length();
  // An arrow's length along the bar: the bar's thickness at its DPI.
  int Arrow() const { return Scaled(kScrollbarThickness); }
  int CoordinateOf(const qvEvent& event) const;
  void StopRepeating();

  bool vertical;
  bool tooSmall;       // shorter than two arrows: drawn as two half arrows
  int32_t part;        // a qvScrollPart: what the press hit
  int32_t lastCoord;   // the pointer along the bar at the press
  int32_t grabOffset;  // where in the thumb it was grabbed
  int32_t minimum;
  int32_t maximum;
  int32_t scrollValue;
  int32_t pageSize;
  uint32_t nextRepeat = 0;  // tick count at which the held part repeats
};
