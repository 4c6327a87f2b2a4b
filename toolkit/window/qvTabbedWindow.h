// qvTabbedWindow: a top-level window that keeps a keyboard order of its
// controls and answers a control's request to pass the focus on (a command
// whose detail is kNoticePassFocus) by looking for the next control, or the
// previous one with Shift held, that is visible, enabled and willing. It
// keeps the plain window's type name. The order names controls it does not
// own.
#pragma once

#include "common/PointerList.h"
#include "toolkit/window/qvWindow.h"

class qvControl;

class qvTabbedWindow : public qvWindow {
public:
  // A hidden top-level window without a parent.
  qvTabbedWindow(const qvRect& bounds, const char* title);
  ~qvTabbedWindow() override;

  // Handles focus-passing requests only; every other command is answered
  // false (handled, nothing done). The search stops at the first willing
  // control, and after one full turn when none is.
  bool OnCommand(qvEvent& event) override;
  // -1 for a null control or one whose two identifiers equal those of a
  // listed control; otherwise appends it and returns 0.
  virtual int AddToTabOrder(qvControl* control);

  const PointerList<qvControl>& TabOrder() const { return tabOrder; }

private:
  PointerList<qvControl> tabOrder;  // in keyboard order; not owned
};
