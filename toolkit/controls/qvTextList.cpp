#include "toolkit/controls/qvTextList.h"

#include <oleacc.h>

#include <algorithm>

#include "common/AnsiText.h"
#include "toolkit/controls/qvPalette.h"
#include "toolkit/controls/qvScrollbar.h"
#include "toolkit/draw/qvDevice.h"

namespace {

constexpr int kListId = 4;

int RowsIn(int textHeight, int rowHeight) { return std::max(0, textHeight) / rowHeight; }

bool HasTab(const std::wstring& line) { return line.find(L'\t') != std::wstring::npos; }

std::vector<std::wstring> WideLines(const StringList& lines) {
  std::vector<std::wstring> wide;
  wide.reserve(lines.Count());
  for (int i = 0; i < lines.Count(); ++i)
    wide.push_back(WideFromUtf8(std::string(lines.At(i).Data(), lines.At(i).Length())));
  return wide;
}

// The accessible value in UTF-8, as every text the toolkit gives.
std::string Utf8Value(const std::wstring& text) { return Utf8FromWide(text); }

}  // namespace

qvTextList::Measurer::Measurer(qvTextList& list) : font(qvFontLarge, list.GetDpi()) {
  device.window = &list;
  device.Acquire();
  font.SelectInto(device.GetContext());
}

int qvTextList::Measurer::Width(const wchar_t* text, int count) {
  SIZE size = {};
  GetTextExtentPoint32W(device.GetContext(), text, count, &size);
  return size.cx;
}

int qvTextList::Measurer::TabbedWidth(const wchar_t* text, int count) {
  return LOWORD(GetTabbedTextExtentW(device.GetContext(), text, count, 0, nullptr));
}

qvTextList::qvTextList(const StringList& lines, const qvRect& bounds, qvWindow* parent)
    : qvControl(bounds, parent, "qvTextList", kListId), verticalBar(nullptr), horizontalBar(nullptr),
      lines(WideLines(lines)), widestLine(0), visibleLines(0) {
  Create();
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
  for (const std::wstring& line : lines) {
    const int length = static_cast<int>(line.size());
    widestLine = std::max(widestLine, HasTab(line) ? measurer.TabbedWidth(line.data(), length)
                                                   : measurer.Width(line.data(), length));
  }
}

void qvTextList::SetPlacement(const qvRect& bounds) {
  qvWindow::SetPlacement(bounds);
  if (!verticalBar || !horizontalBar) return;
  UpdateBars();
  RedrawTree(true);
}

RECT qvTextList::TextArea() {
  qvRect area;
  GetClientArea(area);
  return {1, 1, area.GetWidth() - Bar(), area.GetHeight() - 1 - (sideways ? Bar() : 0)};
}

RECT qvTextList::FocusArea() {
  RECT focus = TextArea();
  focus.left = Scaled(kTextInset) / 2;
  focus.right -= Scaled(kTextEndGap) / 2;
  return focus;
}

int qvTextList::LastFirstLine() const { return std::max(0, static_cast<int>(lines.size()) - visibleLines); }

void qvTextList::UpdateBars() {
  const bool needed = widestLine > TextWidth();
  if (needed != sideways) {
    sideways = needed;
    sideways ? horizontalBar->Show() : horizontalBar->Hide();
  }
  qvRect area;
  GetClientArea(area);
  const int l = area.GetLeft(), t = area.GetTop(), r = area.GetRight(), b = area.GetBottom();
  const int bar = Bar();
  verticalBar->SetPlacement(qvRect(r - bar, t + 1, r, sideways ? b - bar - 1 : b - 1));
  horizontalBar->SetPlacement(qvRect(l + 1, b - bar - 1, l + r - bar, b - 1));

  const RECT text = TextArea();
  visibleLines = RowsIn(text.bottom - text.top, RowHeight());
  verticalBar->SetPageSize(visibleLines);
  verticalBar->SetRange(0, LastFirstLine());
  horizontalBar->SetRange(0, sideways ? widestLine - TextWidth() : 0);
  horizontalBar->SetPageSize(TextWidth());
}

void qvTextList::SetLines(const StringList& newLines, int firstLine) { SetLines(WideLines(newLines), firstLine); }

void qvTextList::SetLines(std::vector<std::wstring> newLines, int firstLine) {
  lines = std::move(newLines);
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
    case kKeyEnd: verticalBar->SetValue(verticalBar->GetMaximum()); break;
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
  qvColor frameColour = qvPalette::Grey(qvPalette::kSunken);
  qvBrush frame(frameColour);
  device.FrameWithBrush(area, frame);

  const HDC dc = device.GetContext();
  const RECT text = TextArea();
  // Rows are kept off the frame and the bars: a row wider than the list, or
  // a letter taller than its row, is cut at the text area's edge.
  const int saved = SaveDC(dc);
  IntersectClipRect(dc, text.left, text.top, text.right, text.bottom);
  qvFont font(qvFontLarge, GetDpi());
  font.SelectInto(dc);
  SetBkMode(dc, TRANSPARENT);
  const int first = verticalBar ? verticalBar->GetValue() : 0;
  const int x = Scaled(kTextInset) - (horizontalBar ? horizontalBar->GetValue() : 0);
  const int count = static_cast<int>(lines.size());
  for (int i = 0; i < visibleLines && first + i < count; ++i) {
    if (first + i < 0) continue;
    const std::wstring& line = lines[first + i];
    const int y = text.top + RowHeight() * i;
    const int length = static_cast<int>(line.size());
    // Tabs go to the stops they were measured with; other rows are drawn
    // as measured, without any expansion.
    if (HasTab(line))
      TabbedTextOutW(dc, x, y, line.data(), length, 0, nullptr, x);
    else
      ExtTextOutW(dc, x, y, 0, nullptr, line.data(), static_cast<UINT>(length), nullptr);
  }
  font.Deselect();
  RestoreDC(dc, saved);

  if (sideways) {
    const int r = area.GetRight(), b = area.GetBottom();
    device.FillArea(qvRect(r - Bar(), b - Bar() - 1, r, b - 1), frame);
  }
  const RECT focus = FocusArea();
  DrawFocusMark(device, qvRect(focus.left, focus.top, focus.right, focus.bottom));
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
  std::wstring all;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (i > 0) all += L"\r\n";
    all += lines[i];
  }
  info.value = Utf8Value(all);
  return info;
}
