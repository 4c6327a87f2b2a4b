#include "toolkit/controls/qvButton.h"

#include <oleacc.h>

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

const ButtonLook& LookFor(bool disabled, bool pressed) {
  static const ButtonLook kNormal = {ColorFromBytes(180, 180, 180), ColorFromBytes(0, 0, 0), true,
                                     ColorFromBytes(255, 255, 255), ColorFromBytes(119, 119, 119)};
  static const ButtonLook kPressed = {ColorFromBytes(102, 102, 102), ColorFromBytes(0, 0, 0), true,
                                      ColorFromBytes(85, 85, 85), ColorFromBytes(136, 136, 136)};
  static const ButtonLook kDisabled = {ColorFromBytes(180, 180, 180), ColorFromBytes(136, 136, 136), false, {}, {}};
  if (disabled) return kDisabled;
  return pressed ? kPressed : kNormal;
}

// From (x1, y1) up to, not including, (x2, y2).
void DrawLine(qvDevice& device, qvPen& pen, int x1, int y1, int x2, int y2) {
  pen.SelectInto(device.GetContext());
  device.MovePen(x1, y1);
  device.DrawLineTo(x2, y2);
  pen.Deselect();
}

void DrawBody(qvDevice& device, const qvRect& r, const ButtonLook& look) {
  const int l = r.GetLeft(), t = r.GetTop(), rt = r.GetRight(), b = r.GetBottom();
  {
    qvPen outline(&look.outline, 1);
    qvColor faceColour = look.face;
    qvBrush face(faceColour);
    outline.SelectInto(device.GetContext());
    face.SelectInto(device.GetContext());
    RoundRect(device.GetContext(), l, t, rt, b, 8, 8);
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
  DrawBody(offscreen, r, LookFor(IsDisabled(), IsPressedInside()));

  qvFont small(qvFontSmall), large(qvFontLarge);
  qvFont& font = largeLabel ? large : small;
  font.SelectInto(offscreen.GetContext());
  SIZE extent = {};
  GetTextExtentPoint32A(offscreen.GetContext(), "X", 1, &extent);
  const int h = static_cast<int16_t>(extent.cy);
  const int y = r.GetTop() + (r.GetBottom() - h - r.GetTop()) / 2;
  const qvRect label(r.GetLeft() + 2, y, r.GetRight(), y + h);
  const COLORREF previous =
      SetTextColor(offscreen.GetContext(), IsDisabled() ? RGB(153, 153, 153) : RGB(0, 0, 0));
  offscreen.DrawTextTransparent(GetTitle(), label, kAlignCenter, true);
  SetTextColor(offscreen.GetContext(), previous);
  font.Deselect();

  offscreen.CopyToDevice(&paint);
  return true;
}

void qvButton::SetLabel(const char* text) {
  SetTitle(text);
  // The platform window's text follows the label, for screen readers and
  // for programs that watch the window.
  if (GetHandle()) SetWindowTextA(GetHandle(), GetTitle());
  Refresh();
}

qvAccessibleInfo qvButton::GetAccessibleInfo() {
  qvAccessibleInfo info;
  info.role = ROLE_SYSTEM_PUSHBUTTON;
  info.name = GetTitle();
  info.focusable = true;
  return info;
}
