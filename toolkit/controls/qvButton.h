// qvButton: a push button drawn by the toolkit: a round-cornered face with
// a one-pixel bevel and a centred one-line label, in a normal, pressed or
// disabled look. It keeps the control's pointer handling, so it reports a
// click (kNoticeClick) and a double click (kNoticeDoubleClick) to its
// parent with its own identifier. The label is the window's title.
#pragma once

#include "toolkit/controls/qvControl.h"

class qvButton : public qvControl {
public:
  // largeLabel: the label is drawn in the large font ("Helvetica" 16)
  // instead of the small one ("MS Sans Serif" 8).
  qvButton(qvWindow* parent, const qvRect& bounds, const char* title, int controlId, bool largeLabel);

  bool OnPaint(qvEvent& event) override;
  // Up to 259 characters, also as the platform window's text; redraws.
  virtual void SetLabel(const char* text);

  // A push button named by its label.
  qvAccessibleInfo GetAccessibleInfo() override;

private:
  bool largeLabel;
};
