#include "toolkit/controls/qvScrollbar.h"

#include <oleacc.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>

#include "toolkit/controls/qvPalette.h"
#include "toolkit/draw/qvDevice.h"
#include "toolkit/draw/qvRegion.h"
#include "toolkit/files/qvOffscreenDevice.h"
#include "toolkit/window/MessageDispatch.h"

namespace {

// The request a part reports.
int KindOfPart(int part) {
  switch (part) {
    case kScrollTrackBefore: return kEventPageUp;
    case kScrollTrackAfter: return kEventPageDown;
    case kScrollFirstArrow: return kEventLineUp;
    case kScrollSecondArrow: return kEventLineDown;
    default: return kEventThumbPosition;
  }
}

bool Repeats(int part) { return part != kScrollNone && part != kScrollThumb; }

// A value worked out in floating point, brought into int range before the
// conversion so that no result is undefined.
int32_t ToInt(double v) {
  if (!(v == v)) return 0;
  v = std::max(v, static_cast<double>(std::numeric_limits<int32_t>::min()));
  v = std::min(v, static_cast<double>(std::numeric_limits<int32_t>::max()));
  return static_cast<int32_t>(v);
}

void Line(qvDevice& device, int x1, int y1, int x2, int y2) {
  device.MovePen(x1, y1);
  device.DrawLineTo(x2, y2);
}

// Face, bevel and, for the thumb, the grip; for an arrow, its triangle.
void DrawButtonPart(qvDevice& device, const qvRect& r, bool vertical, bool thumb, bool first, bool pressed) {
  const int l = r.GetLeft(), t = r.GetTop(), rt = r.GetRight(), b = r.GetBottom();
  qvColor faceColour = qvPalette::Grey(pressed ? qvPalette::kSunken : qvPalette::kFace);
  {
    qvBrush face(faceColour);
    device.FillArea(r, face);
  }
  const qvColor lightColour = qvPalette::Grey(qvPalette::kThumbLight), darkColour = qvPalette::Grey(qvPalette::kShade);
  qvPen light(&lightColour, 1), dark(&darkColour, 1);
  const HDC dc = device.GetContext();

  if (thumb) {
    const int length = vertical ? b - t : rt - l;
    if (length >= 16) {
      if (vertical) {
        const int cy = t + (b - t) / 2;
        light.SelectInto(dc);
        for (int y : {cy - 4, cy - 1, cy + 2}) Line(device, l + 3, y, rt - 4, y);
        dark.SelectInto(dc);
        for (int y : {cy - 3, cy, cy + 3}) Line(device, l + 4, y, rt - 3, y);
      } else {
        const int cx = l + (rt - l) / 2;
        light.SelectInto(dc);
        for (int x : {cx - 4, cx - 1, cx + 2}) Line(device, x, t + 3, x, b - 5);
        dark.SelectInto(dc);
        for (int x : {cx - 3, cx, cx + 3}) Line(device, x, t + 4, x, b - 4);
      }
    }
  } else {
    const int cx = l + (rt - l) / 2, cy = t + (b - t) / 2;
    const int D = vertical ? b - t : rt - l;
    const int s = std::min(D * 5 / 16, (D - 4) / 2), hs = s / 2;
    if (s >= 1) {
      qvPoint corners[4];
      if (vertical && first) {
        corners[0].Set(cx, cy - hs - 1);
        corners[1].Set(cx + s, cy + s - hs);
        corners[2].Set(cx - s, cy + s - hs);
      } else if (vertical) {
        corners[0].Set(cx, cy + hs);
        corners[1].Set(cx + s, cy + hs - s);
        corners[2].Set(cx - s + 1, cy + hs - s);
      } else if (first) {
        corners[0].Set(cx - hs, cy);
        corners[1].Set(cx + s - hs, cy - s - 1);
        corners[2].Set(cx + s - hs, cy + s);
      } else {
        corners[0].Set(cx + hs, cy);
        corners[1].Set(cx + hs - s, cy - s);
        corners[2].Set(cx + hs - s, cy + s);
      }
      corners[3] = corners[0];
      qvRegion triangle(corners);
      qvColor black(0, 0, 0);
      qvBrush brush(black);
      device.FillRegion(triangle, brush);
    }
  }

  light.SelectInto(dc);
  device.MovePen(rt - 1, t);
  device.DrawLineTo(l, t);
  device.DrawLineTo(l, b);
  dark.SelectInto(dc);
  device.MovePen(rt - 1, t);
  device.DrawLineTo(rt - 1, b - 1);
  device.DrawLineTo(l, b - 1);
}

// r along the bar: from a to b on the bar's axis, across its whole width.
qvRect AlongBar(bool vertical, int a, int b, int w, int h) {
  return vertical ? qvRect(0, a, w, b) : qvRect(a, 0, b, h);
}

}  // namespace

ScrollGeometry ComputeScrollGeometry(int L, int32_t minimum, int32_t maximum, int32_t value, bool& tooSmall,
                                     int arrow) {
  ScrollGeometry g;
  g.thumbLength = arrow;
  if (maximum == minimum) return g;
  tooSmall = L < 2 * arrow;
  const double span = static_cast<double>(maximum) - static_cast<double>(minimum);
  const double x = (L - 2.0 * arrow) / (span + 1);
  if (x >= arrow) {
    g.scale = x;
    g.thumbLength = ToInt(std::trunc(x));
  } else {
    g.scale = (L - 3.0 * arrow) / span;
    g.thumbLength = arrow;
  }
  const double offset = std::trunc((static_cast<double>(value) - minimum) * g.scale);
  g.thumbOffset = ToInt(std::min(offset, static_cast<double>(L) - g.thumbLength - arrow));
  return g;
}

qvScrollbar::qvScrollbar(const qvRect& bounds, qvWindow* parent, int controlId, bool vertical)
    : qvControl(bounds, parent, nullptr, controlId),
      vertical(vertical),
      tooSmall(false),
      part(kScrollNone),
      lastCoord(0),
      grabOffset(0),
      minimum(0),
      maximum(0),
      scrollValue(0),
      pageSize(1) {
  Create();
  ClampValue();
}

qvScrollbar::~qvScrollbar() { CancelIdlePasses(this); }

void qvScrollbar::ResetFields() {
  vertical = true;
  tooSmall = false;
  minimum = maximum = scrollValue = 0;
  pageSize = 100;
}

bool qvScrollbar::OnCommand(qvEvent&) { return false; }

int qvScrollbar::Length() {
  qvRect area;
  GetClientArea(area);
  return vertical ? area.GetHeight() : area.GetWidth();
}

int qvScrollbar::CoordinateOf(const qvEvent& event) const { return vertical ? event.position.y : event.position.x; }

ScrollGeometry qvScrollbar::Geometry() {
  return ComputeScrollGeometry(Length(), minimum, maximum, scrollValue, tooSmall, Arrow());
}

void qvScrollbar::StopRepeating() {
  part = kScrollNone;
  CancelIdlePasses(this);
}

void qvScrollbar::OnIdle() {
  if (!Repeats(part)) return;
  // A bar that lost the mouse to another window (a message box, say) no
  // longer sees the release: it stops here.
  if (GetCapture() != GetHandle()) {
    pressed = false;
    inside = false;
    StopRepeating();
    Refresh();
    return;
  }
  // The next repeat is counted from this one, so a late pass never brings
  // two repeats close together.
  const uint32_t now = GetTickCount();
  if (static_cast<int32_t>(now - nextRepeat) < 0) return;
  nextRepeat = now + kRepeatIntervalMs;
  ClampValue();
  NotifyParent(scrollValue, KindOfPart(part));
  Refresh();
}

bool qvScrollbar::OnPaint(qvEvent&) {
  qvPaintDevice paint(this);
  qvOffscreenDevice offscreen(this);
  FillBackground(offscreen);
  qvRect area;
  GetClientArea(area);
  const int w = area.GetWidth(), h = area.GetHeight();
  const ScrollGeometry g = Geometry();
  const int64_t n = int64_t{maximum} - minimum + 1;

  qvColor trackColour = qvPalette::Grey(qvPalette::kHeldFace);
  qvBrush track(trackColour);
  if (n <= 1) {
    offscreen.FillArea(area, track);
  } else if (tooSmall) {
    const int half = (vertical ? h : w) / 2;
    const int L = vertical ? h : w;
    DrawButtonPart(offscreen, AlongBar(vertical, 0, half, w, h), vertical, false, true,
                   part == kScrollFirstArrow);
    DrawButtonPart(offscreen, AlongBar(vertical, half, L, w, h), vertical, false, false,
                   part == kScrollSecondArrow);
  } else {
    const int L = vertical ? h : w;
    offscreen.FillArea(AlongBar(vertical, Arrow(), L - Arrow(), w, h), track);
    const int start = g.thumbOffset < 0 ? Arrow() : g.thumbOffset + Arrow();
    const int length = std::min(g.thumbLength, L - 2 * Arrow());
    DrawButtonPart(offscreen, AlongBar(vertical, start, start + length, w, h), vertical, true, false, false);
    DrawButtonPart(offscreen, AlongBar(vertical, 0, Arrow(), w, h), vertical, false, true, part == kScrollFirstArrow);
    DrawButtonPart(offscreen, AlongBar(vertical, L - Arrow(), L, w, h), vertical, false, false,
                   part == kScrollSecondArrow);
  }
  offscreen.CopyToDevice(&paint);
  return false;
}

bool qvScrollbar::OnMouseDown(qvEvent& event) {
  if (!IsWindowVisible(GetHandle())) {
    part = kScrollNone;
    return false;
  }
  const int c = CoordinateOf(event);
  const int L = Length();
  const ScrollGeometry g = Geometry();
  grabOffset = 0;
  lastCoord = c;
  part = kScrollNone;
  if (int64_t{maximum} - minimum + 1 > 1) {
    if (tooSmall) {
      part = c >= L / 2 ? kScrollSecondArrow : kScrollFirstArrow;
    } else if (c <= Arrow()) {
      part = kScrollFirstArrow;
    } else if (c >= L - Arrow()) {
      part = kScrollSecondArrow;
    } else if (c < g.thumbOffset + Arrow()) {
      part = kScrollTrackBefore;
    } else if (c > g.thumbOffset + Arrow() + g.thumbLength) {
      part = kScrollTrackAfter;
    } else {
      part = kScrollThumb;
      grabOffset = ToInt(c - std::trunc(scrollValue * g.scale + Arrow()));
    }
  }
  pressed = true;
  inside = true;
  CaptureMouse();
  Refresh();
  if (Repeats(part)) {
    nextRepeat = GetTickCount() + kRepeatDelayMs;
    RequestIdlePasses(this);
    // The parent answers the request by setting the value.
    ClampValue();
    NotifyParent(scrollValue, KindOfPart(part));
    Refresh();
  }
  return true;
}

bool qvScrollbar::OnDoubleClick(qvEvent& event) { return OnMouseDown(event); }

bool qvScrollbar::OnMouseMove(qvEvent& event) {
  if (part != kScrollThumb) return false;
  const ScrollGeometry g = Geometry();
  // A bar too short for its range has no usable scale: the thumb stays.
  if (!(g.scale > 0)) return false;
  const double wanted = std::trunc((CoordinateOf(event) - grabOffset - Arrow()) / g.scale + 0.5);
  const int32_t previous = scrollValue;
  scrollValue = ToInt(wanted);
  ClampValue();
  if (scrollValue == previous) return false;
  qvControl::OnMouseMove(event);
  NotifyParent(scrollValue, kEventThumbPosition);
  Refresh();
  return false;
}

bool qvScrollbar::OnMouseUp(qvEvent& event) {
  StopRepeating();
  return qvControl::OnMouseUp(event);
}

void qvScrollbar::SetMinimum(int v) {
  minimum = v;
  ClampValue();
}

void qvScrollbar::SetMaximum(int v) {
  maximum = v;
  ClampValue();
}

void qvScrollbar::SetValue(int v) {
  scrollValue = v;
  ClampValue();
}

int qvScrollbar::GetMinimum() { return minimum; }
int qvScrollbar::GetMaximum() { return maximum; }
int qvScrollbar::GetValue() { return scrollValue; }
void qvScrollbar::SetPageSize(int n) { pageSize = n; }

void qvScrollbar::ScrollPages(int n) { SetValue(ToInt(double(GetValue()) + double(n) * pageSize)); }
void qvScrollbar::ScrollLines(int n) { SetValue(ToInt(double(GetValue()) + n)); }

void qvScrollbar::SetRange(int min, int max) {
  minimum = min;
  maximum = max;
  ClampValue();
}

void qvScrollbar::SetRangeAndValue(int min, int max, int v) {
  minimum = min;
  maximum = max;
  scrollValue = v;
  ClampValue();
}

void qvScrollbar::ClampValue() {
  if (scrollValue > maximum) scrollValue = maximum;
  if (scrollValue < minimum) scrollValue = minimum;
}

qvAccessibleInfo qvScrollbar::GetAccessibleInfo() {
  qvAccessibleInfo info;
  info.role = ROLE_SYSTEM_SCROLLBAR;
  // The names the platform gives its own window scroll bars.
  info.name = vertical ? "Vertical" : "Horizontal";
  info.hasValue = true;
  info.value = std::to_string(scrollValue);
  return info;
}
