#include "toolkit/controls/qvButton.h"

#include <oleacc.h>

#include "common/AnsiText.h"
#include "toolkit/controls/qvPalette.h"
#include "toolkit/draw/qvDevice.h"
#include "toolkit/files/qvOffscreenDevice.h"

namespace {

// One look of the button body: the face, its outline and the two bevel
// pens. A look without bevel leaves the bevel out.
struct ButtonLook {
  qvColor face;
  qvColor outline;
  bool bevel;
  qvColor light;
  qvColor dark;
};

// Made for each paint: the palette's colours are the system's while high
// contrast is on, and the theme may change while the button is shown.
ButtonLook LookFor(bool disabled, bool pressed) {
  using namespace qvPalette;
  if (disabled) return {Grey(kFace), Grey(kHeldShade), false, {}, {}};
  if (pressed) return {Grey(kHeldFace), Grey(kInk), true, Grey(kHeldLight), Grey(kHeldShade)};
  return {Grey(kFace), Grey(kInk), true, Grey(kPaper), Grey(kShade)};
}

// From (x1, y1) up to, not including, (x2, y2).
void DrawLine(qvDevice& device, qvPen& pen, int x1, int y1, int x2, int y2) {
  pen.SelectInto(device.GetContext());
  device.MovePen(x1, y1);
  device.DrawLineTo(x2, y2);
  pen.Deselect();
}

// A default button's outline is this much heavier than one pixel, at 96 DPI.
constexpr int kDefaultOutlineWidth = 2;
constexpr int kCornerDiameter = 8;

// The outline and the corners follow the DPI; the bevel stays one pixel,
// a hairline at every scale.
void DrawBody(qvDevice& device, const qvRect& r, const ButtonLook& look, bool isDefault, int dpi) {
  const int l = r.GetLeft(), t = r.GetTop(), rt = r.GetRight(), b = r.GetBottom();
  {
    qvPen outline(&look.outline, isDefault ? ScaleForDpi(kDefaultOutlineWidth, dpi) : 1);
    qvColor faceColour = look.face;
    qvBrush face(faceColour);
    outline.SelectInto(device.GetContext());
    face.SelectInto(device.GetContext());
    const int corner = ScaleForDpi(kCornerDiameter, dpi);
    RoundRect(device.GetContext(), l, t, rt, b, corner, corner);
  }
  if (!look.bevel) return;
  qvPen light(&look.light, 1);
  DrawLine(device, light, l + 1, b - 4, l + 1, t + 2);
  DrawLine(device, light, l + 3, t + 1, rt - 3, t + 1);
  qvPen dark(&look.dark, 1);
  DrawLine(device, dark, l + 3, b - 2, rt - 3, b - 2);
  DrawLine(device, dark, rt - 2, b - 4, rt - 2, t + 2);
}

}  // namespace

qvButton::qvButton(qvWindow* parent, const qvRect& bounds, const char* title, int controlId, bool largeLabel)
    : qvControl(bounds, parent, title, controlId), largeLabel(false) {
  Create();
  this->largeLabel = largeLabel;
}

bool qvButton::OnPaint(qvEvent&) {
  qvPaintDevice paint(this);
  qvOffscreenDevice offscreen(this);
  qvRect r;
  GetClientArea(r);
  FillFaceBackground(offscreen);
  DrawBody(offscreen, r, LookFor(IsDisabled(), IsPressedInside()), isDefault && !IsDisabled(), GetDpi());

  qvFont small(qvFontSmall, GetDpi()), large(qvFontLarge, GetDpi());
  qvFont& font = largeLabel ? large : small;
  font.SelectInto(offscreen.GetContext());
  SIZE extent = {};
  GetTextExtentPoint32A(offscreen.GetContext(), "X", 1, &extent);
  const int h = static_cast<int16_t>(extent.cy);
  const int y = r.GetTop() + (r.GetBottom() - h - r.GetTop()) / 2;
  const qvRect label(r.GetLeft() + 2, y, r.GetRight(), y + h);
  const COLORREF previous =
      SetTextColor(offscreen.GetContext(), qvPalette::GreyRef(IsDisabled() ? qvPalette::kDisabledInk : qvPalette::kInk));
  offscreen.DrawTextTransparent(MarkedLabel(GetTitle(), AccessKey()).c_str(), label, kAlignCenter, true);
  SetTextColor(offscreen.GetContext(), previous);
  font.Deselect();
  // Inside the bevel, clear of the rounded corners.
  DrawFocusMark(offscreen, qvRect(r.GetLeft() + Scaled(4), r.GetTop() + Scaled(3), r.GetRight() - Scaled(4),
                                  r.GetBottom() - Scaled(3)));

  offscreen.CopyToDevice(&paint);
  return true;
}

int qvButton::LabelWidth(const char* label) {
  // The label is drawn 2 pixels in from the left; the bevel and the focus
  // mark take 4 more on each side at 96 DPI.
  return TextSize(label ? label : GetTitle(), largeLabel ? qvFontLarge : qvFontSmall, 0).cx + 2 + Scaled(10);
}

bool qvButton::OnActivate() {
  NotifyParent(kNoticeClick, kEventOther);
  return true;
}

void qvButton::SetDefault(bool on) {
  isDefault = on;
  Refresh();
}

bool qvButton::IsDefault() { return isDefault; }

void qvButton::SetLabel(const char* text) {
  SetTitle(text);
  // The platform window's text follows the label, for screen readers and
  // for programs that watch the window.
  if (GetHandle()) SetWindowTextW(GetHandle(), WideFromUtf8(GetTitle()).c_str());
  Refresh();
}

qvAccessibleInfo qvButton::GetAccessibleInfo() {
  qvAccessibleInfo info;
  info.role = ROLE_SYSTEM_PUSHBUTTON;
  info.name = GetTitle();
  info.focusable = TakesFocus();
  info.isDefault = isDefault;
  info.accessKey = AccessKey();
  info.defaultAction = "Press";
  return info;
}
