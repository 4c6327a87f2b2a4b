// qvButton: a push button drawn by the toolkit: a round-cornered face with
// a one-pixel bevel and a centred one-line label, in a normal, pressed or
// disabled look, with a focus mark while it has the keyboard focus and a
// heavier outline while it is its window's default button (the one Enter
// presses). It keeps the control's pointer handling, so it reports a click
// (kNoticeClick) and a double click (kNoticeDoubleClick) to its parent with
// its own identifier; Space and Enter on it report a click too. The label
// is the window's title.
#pragma once

#include "toolkit/controls/qvControl.h"

class qvButton : public qvControl {
public:
  // largeLabel: the label is drawn in the large font ("Helvetica" 16)
  // instead of the small one ("MS Sans Serif" 8).
  qvButton(qvWindow* parent, const qvRect& bounds, const char* title, int controlId, bool largeLabel);

  // The label sizes, named where a button is made.
  static constexpr bool kLargeLabel = true;
  static constexpr bool kSmallLabel = false;

  bool OnPaint(qvEvent& event) override;
  // A click.
  bool OnActivate() override;
  // Up to 259 characters, also as the platform window's text; redraws.
  virtual void SetLabel(const char* text);
  // Marks the button as its window's default; the window presses it on
  // Enter. Redraws.
  virtual void SetDefault(bool isDefault);
  virtual bool IsDefault();

  // A push button named by its label.
  qvAccessibleInfo GetAccessibleInfo() override;

  // The width the label (or another the button is to show) needs to show
  // whole on one line, inside the button's bevel, at the button's DPI:
  // what a layout widens it to.
  int LabelWidth(const char* label = nullptr);

private:
  bool largeLabel;
  bool isDefault = false;
};
