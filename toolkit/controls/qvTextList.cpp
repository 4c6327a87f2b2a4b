#include "toolkit/controls/qvTextList.h"

#include <oleacc.h>

#include <algorithm>
#include <cmath>

#include "common/ConversionBuffer.h"
#include "toolkit/controls/qvPalette.h"
#include "toolkit/controls/qvScrollbar.h"
#include "toolkit/draw/qvDevice.h"

namespace {

constexpr int kListId = 4;

// The line in the conversion buffer, zero-terminated, cut to what the
// buffer holds.
const char* Converted(const TextString& line) { return ConversionBuffer::Convert(line.Data(), line.Length()); }

int RowsIn(int clientHeight, int rowHeight) { return std::max(0, clientHeight - 2) / rowHeight; }

}  // namespace

qvTextList::Measurer::Measurer(qvTextList& list) : font(qvFontLarge, list.GetDpi()) {
  device.window = &list;
  device.Acquire();
  font.SelectInto(device.GetContext());
}

int qvTextList::Measurer::Width(const char* text, int count) {
  SIZE size = {};
  GetTextExtentPoint32A(device.GetContext(), text, count, &size);
  return size.cx;
}

int qvTextList::Measurer::TabbedWidth(const char* text, int count) {
  return LOWORD(GetTabbedTextExtentA(device.GetContext(), text, count, 0, nullptr));
}

qvTextList::qvTextList(const StringList& lines, const qvRect& bounds, qvWindow* parent)
    : qvControl(bounds, parent, "qvTextList", kListId), verticalBar(nullptr), horizontalBar(nullptr),
      widestLine(0), visibleLines(0) {
  Create();
  this->lines = lines;
  qvRect area;
  GetClientArea(area);
  visibleLines = RowsIn(area.GetHeight(), RowHeight());
  MeasureWidestLine();

  verticalBar = new qvScrollbar(qvRect(0, 0, Bar(), Bar()), this, kVerticalBarId, true);
  horizontalBar = new qvScrollbar(qvRect(0, 0, Bar(), Bar()), this, kHorizontalBarId, false);
  SetBackgroundColor(qvPalette::Grey(qvPalette::kListBackground));
  SetPlacement(bounds);
}

qvTextList::~qvTextList() {
  delete verticalBar;
  delete horizontalBar;
}

void qvTextList::MeasureWidestLine() {
  widestLine = 0;
  Measurer measurer(*this);
  for (int i = 0; i < lines.Count(); ++i) {
    const TextString& line = lines.At(i);
    const char* text = Converted(line);
    const int length = std::min(line.Length(), ConversionBuffer::kMaxText);
    widestLine = std::max(widestLine, measurer.TabbedWidth(text, length));
  }
}

void qvTextList::SetPlacement(const qvRect& bounds) {
  qvWindow::SetPlacement(bounds);
  if (!verticalBar || !horizontalBar) return;
  qvRect area;
  GetClientArea(area);
  const int l = area.GetLeft(), t = area.GetTop(), r = area.GetRight(), b = area.GetBottom();
  const int bar = Bar();
  verticalBar->SetPlacement(qvRect(r - bar, t + 1, r, b - bar - 1));
  horizontalBar->SetPlacement(qvRect(l + 1, b - bar - 1, l + r - bar, b - 1));
  UpdateBars();
  RedrawTree(true);
}

void qvTextList::UpdateBars() {
  qvRect area;
  GetClientArea(area);
  visibleLines = RowsIn(area.GetHeight(), RowHeight());
  verticalBar->SetPageSize(visibleLines);
  verticalBar->SetRange(0, std::max(0, lines.Count() - visibleLines + kRowsPastTheEnd));
  const int w = area.GetRight() - Bar() - 1;
  const double reach = std::trunc(widestLine - 0.9 * w);
  horizontalBar->SetRange(0, reach > 0 ? static_cast<int>(reach) : 0);
  horizontalBar->SetPageSize(w - 5);
}

void qvTextList::SetLines(const StringList& newLines, int firstLine) {
  lines = newLines;
  MeasureWidestLine();
  if (!verticalBar || !horizontalBar) return;
  UpdateBars();
  verticalBar->SetValue(firstLine);
  RedrawTree(true);
}

int qvTextList::TextWidth() {
  qvRect area;
  GetClientArea(area);
  return area.GetWidth() - Scaled(kTextInset) - Bar() - Scaled(kTextEndGap);
}

int qvTextList::FirstVisibleLine() { return verticalBar ? verticalBar->GetValue() : 0; }

bool qvTextList::ScrollByKey(int keyCode) {
  if (!verticalBar) return false;
  const int before = verticalBar->GetValue();
  switch (keyCode) {
    case kKeyUp: verticalBar->ScrollLines(-1); break;
    case kKeyDown: verticalBar->ScrollLines(1); break;
    case kKeyPageUp: verticalBar->ScrollPages(-1); break;
    case kKeyPageDown: verticalBar->ScrollPages(1); break;
    case kKeyHome: verticalBar->SetValue(verticalBar->GetMinimum()); break;
    // The rows past the end are for the bar's sake; End shows the last line
    // on the bottom row, or the top when all lines fit.
    case kKeyEnd: verticalBar->SetValue(std::max(0, lines.Count() - visibleLines)); break;
    default: return false;
  }
  if (verticalBar->GetValue() != before) RedrawTree(true);
  return true;
}

bool qvTextList::OnPaint(qvEvent&) {
  qvPaintDevice device(this);
  FillBackground(device);
  qvRect area;
  GetClientArea(area);
  const int W = area.GetWidth();
  qvColor frameColour = qvPalette::Grey(qvPalette::kSunken);
  qvBrush frame(frameColour);
  device.FrameWithBrush(area, frame);

  qvFont font(qvFontLarge, GetDpi());
  font.SelectInto(device.GetContext());
  const int first = verticalBar ? verticalBar->GetValue() : 0;
  const int shift = horizontalBar ? horizontalBar->GetValue() : 0;
  const int previousMode = SetBkMode(device.GetContext(), TRANSPARENT);
  const int inset = Scaled(kTextInset), rowHeight = RowHeight();
  for (int i = 0; i < visibleLines; ++i) {
    const int index = first + i;
    if (index < 0 || index >= lines.Count()) continue;
    RECT row = {inset - shift, rowHeight * i, W + inset, rowHeight * i + rowHeight};
    // No prefix: an "&" is text here, and measured as such.
    DrawTextA(device.GetContext(), Converted(lines.At(index)), -1, &row, DT_WORDBREAK | DT_NOPREFIX);
  }
  SetBkMode(device.GetContext(), previousMode);
  const int r = area.GetRight(), b = area.GetBottom();
  device.FillArea(qvRect(r - Bar(), b - Bar() - 1, r, b - 1), frame);
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

bool qvTextList::OnMouseDown(qvEvent& event) {
  TakeFocus();
  return qvControl::OnMouseDown(event);
}

bool qvTextList::OnKeyDown(qvEvent& event) {
  if (ScrollByKey(event.keyCode)) return false;
  // Tab, closing and the like: a control's keys, passed on to the parent.
  // Nothing of this list is touched after the call: the parent may end its
  // loop.
  return qvControl::OnKeyDown(event);
}

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
