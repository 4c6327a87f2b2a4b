// qvCheckbox: a 13 x 13 sunken box (at 96 DPI) with a check mark and a label
// beside it.
// A click (press and release with the pointer over it), or Space while it
// has the focus, flips the state and then tells the parent, so the parent
// reads the new state; Enter is the window's, which presses its default
// button, as in every dialog of the platform; Check and Uncheck change it silently. The
// window that makes it gives its identifier and label.
#pragma once

#include "toolkit/controls/qvControl.h"

class qvCheckbox : public qvControl {
public:
  // label: up to 159 characters.
  qvCheckbox(qvWindow* parent, const qvRect& bounds, const char* label, int controlId);

  void ResetFields() override;
  // Hands the event to the parent as one of this control's.
  bool OnCommand(qvEvent& event) override;
  bool OnPaint(qvEvent& event) override;
  // A double click is not reported: the window's own handler.
  bool OnDoubleClick(qvEvent& event) override;
  // A disabled check box ignores the pointer.
  bool OnMouseDown(qvEvent& event) override;
  bool OnMouseUp(qvEvent& event) override;
  bool OnMouseMove(qvEvent& event) override;
  // Flips the state and tells the parent, as a click does.
  bool OnActivate() override;
  // Enter goes to the parent untouched; the rest as any control's.
  bool OnKeyDown(qvEvent& event) override;

  virtual void Check();
  virtual void Uncheck();
  virtual bool IsChecked();
  // Up to 159 characters; redraws.
  virtual void SetLabel(const char* text);
  const char* Label() const { return label; }

  // A check box named by its label, without the spaces that set the label
  // off from the box.
  qvAccessibleInfo GetAccessibleInfo() override;

  // The height the label needs right of the box, wrapped at words, at the
  // check box's width and DPI; and the room it has there.
  int LabelHeight();
  int LabelRoom();

  const qvRect& Box() const { return box; }
  const qvRect& TextRect() const { return textRect; }

private:
  // The box and the label's place for the client area and the DPI; done
  // again before each paint, so that a move or a new DPI is followed.
  void Layout();

  char label[480];  // UTF-8
  qvRect box;       // client coordinates
  bool checked;
  qvRect textRect;  // where the label is drawn
};
