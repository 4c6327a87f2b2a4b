#include "toolkit/controls/qvTextList.h"

#include <oleacc.h>

#include <algorithm>
#include <cmath>

#include "common/ConversionBuffer.h"
#include "toolkit/controls/qvScrollbar.h"
#include "toolkit/draw/qvDevice.h"

namespace {

constexpr int kListId = 4;
constexpr int kBar = kScrollbarThickness;

// The line in the conversion buffer, zero-terminated, cut to what the
// buffer holds.
const char* Converted(const TextString& line) { return ConversionBuffer::Convert(line.Data(), line.Length()); }

int RowsIn(int clientHeight) { return (clientHeight - 2) / kTextRowHeight; }

}  // namespace

qvTextList::qvTextList(const StringList& lines, const qvRect& bounds, qvWindow* parent)
    : qvControl(bounds, parent, "qvTextList", kListId), verticalBar(nullptr), horizontalBar(nullptr),
      widestLine(0), visibleLines(0) {
  Create();
  this->lines = lines;
  qvRect area;
  GetClientArea(area);
  visibleLines = RowsIn(area.GetHeight());

  {
    qvFont font(qvFontLarge);
    qvDevice device;
    device.window = this;
    device.Acquire();
    font.SelectInto(device.GetContext());
    for (int i = 0; i < this->lines.Count(); ++i) {
      const TextString& line = this->lines.At(i);
      const char* text = Converted(line);
      const int length = std::min(line.Length(), ConversionBuffer::kMaxText);
      const int width = LOWORD(GetTabbedTextExtentA(device.GetContext(), text, length, 0, nullptr));
      widestLine = std::max(widestLine, width);
    }
    font.Deselect();
  }

  verticalBar = new qvScrollbar(qvRect(0, 0, kBar, kBar), this, kVerticalBarId, true);
  horizontalBar = new qvScrollbar(qvRect(0, 0, kBar, kBar), this, kHorizontalBarId, false);
  SetBackgroundColor(ColorFromBytes(220, 220, 220));
  SetPlacement(bounds);
}

qvTextList::~qvTextList() {
  delete verticalBar;
  delete horizontalBar;
}

void qvTextList::SetPlacement(const qvRect& bounds) {
  qvWindow::SetPlacement(bounds);
  if (!verticalBar || !horizontalBar) return;
  qvRect area;
  GetClientArea(area);
  const int l = area.GetLeft(), t = area.GetTop(), r = area.GetRight(), b = area.GetBottom();

  verticalBar->SetPlacement(qvRect(r - kBar, t + 1, r, b - 17));
  visibleLines = RowsIn(b - t);
  verticalBar->SetPageSize(visibleLines);
  verticalBar->SetRange(0, std::max(0, lines.Count() - visibleLines + kRowsPastTheEnd));

  horizontalBar->SetPlacement(qvRect(l + 1, b - 17, l + r - kBar, b - 1));
  const int w = r - 17;
  const double reach = std::trunc(widestLine - 0.9 * w);
  horizontalBar->SetRange(0, reach > 0 ? static_cast<int>(reach) : 0);
  horizontalBar->SetPageSize(w - 5);
  RedrawTree(true);
}

bool qvTextList::OnPaint(qvEvent&) {
  qvPaintDevice device(this);
  FillBackground(device);
  qvRect area;
  GetClientArea(area);
  const int W = area.GetWidth();
  qvColor frameColour = ColorFromBytes(128, 128, 128);
  qvBrush frame(frameColour);
  device.FrameWithBrush(area, frame);

  qvFont font(qvFontLarge);
  font.SelectInto(device.GetContext());
  const int first = verticalBar ? verticalBar->GetValue() : 0;
  const int shift = horizontalBar ? horizontalBar->GetValue() : 0;
  const int previousMode = SetBkMode(device.GetContext(), TRANSPARENT);
  for (int i = 0; i < visibleLines; ++i) {
    const int index = first + i;
    if (index < 0 || index >= lines.Count()) continue;
    RECT row = {5 - shift, kTextRowHeight * i, W + 5, kTextRowHeight * i + kTextRowHeight};
    DrawTextA(device.GetContext(), Converted(lines.At(index)), -1, &row, DT_WORDBREAK);
  }
  SetBkMode(device.GetContext(), previousMode);
  const int r = area.GetRight(), b = area.GetBottom();
  device.FillArea(qvRect(r - kBar, b - 17, r, b - 1), frame);
  font.Deselect();
  return false;
}

bool qvTextList::OnCommand(qvEvent& event) {
  qvScrollbar* bar = event.id == kVerticalBarId ? verticalBar : event.id == kHorizontalBarId ? horizontalBar : nullptr;
  if (!bar) return true;
  switch (event.kind) {
    case kEventLineDown: bar->ScrollLines(1); break;
    case kEventLineUp: bar->ScrollLines(-1); break;
    case kEventPageDown: bar->ScrollPages(1); break;
    case kEventPageUp: bar->ScrollPages(-1); break;
    case kEventThumbPosition: bar->SetValue(event.detail); break;
    default: break;
  }
  RedrawTree(true);
  return true;
}

bool qvTextList::OnKeyDown(qvEvent&) { return true; }

bool qvTextList::OnOtherMessage(qvEvent& event) {
  if (event.message != WM_MOUSEWHEEL || !verticalBar) return qvControl::OnOtherMessage(event);
  // wParam's high word: the wheel's movement, WHEEL_DELTA a notch, positive
  // away from the user.
  wheelRemainder += static_cast<int16_t>(HIWORD(event.wParam));
  const int notches = wheelRemainder / WHEEL_DELTA;
  wheelRemainder -= notches * WHEEL_DELTA;
  if (notches != 0) {
    const int before = verticalBar->GetValue();
    verticalBar->ScrollLines(-notches * kWheelLines);
    if (verticalBar->GetValue() != before) RedrawTree(true);
  }
  event.SetResult(0);
  return false;
}

// Text rather than a list: the rows are one file's lines cut to the
// viewer's width, with no selection and nothing to choose, so a screen
// reader does best to read them as one text, as it reads a read-only edit
// control, rather than announce thousands of items.
qvAccessibleInfo qvTextList::GetAccessibleInfo() {
  qvAccessibleInfo info;
  info.role = ROLE_SYSTEM_TEXT;
  // The window title says what the text is ("Software License Agreement");
  // a list with no window around it has no name.
  qvWindow* host = GetHost();
  if (host != this) info.name = host->GetTitle();
  info.readOnly = true;
  info.focusable = TakesFocus();
  info.hasValue = true;
  for (int i = 0; i < lines.Count(); ++i) {
    if (i > 0) info.value += "\r\n";
    info.value.append(lines.At(i).Data(), lines.At(i).Length());
  }
  return info;
}
