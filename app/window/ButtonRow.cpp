#include "app/window/ButtonRow.h"

#include <algorithm>

#include "toolkit/controls/qvButton.h"

namespace {

// A place's edges as positions that grow rightward, whichever edge of the
// parent each is measured from.
int Position(int distance, bool fromRight) { return fromRight ? -distance : distance; }

}  // namespace

void WidenRowToLabels(const std::vector<RowButton>& row, bool fromLeft) {
  int shift = 0;  // how far the buttons so far moved the next one
  for (const RowButton& entry : row) {
    qvButton* button = entry.button;
    if (!button) continue;
    const int dpi = button->GetDpi();
    int needed = button->LabelWidth();
    for (const std::string& label : entry.laterLabels) needed = std::max(needed, button->LabelWidth(label.c_str()));
    // Pixels as a length of the 96-DPI layout, rounded up.
    const int needed96 = (needed * kDefaultDpi + dpi - 1) / dpi;
    qvLayoutPlace place = button->LayoutPlace();
    const bool leftFromRight = place.anchors & kAnchorLeftToRight, rightFromRight = place.anchors & kAnchorRightToRight;
    int left = Position(place.at96.GetLeft(), leftFromRight), right = Position(place.at96.GetRight(), rightFromRight);
    left += fromLeft ? shift : -shift;
    right += fromLeft ? shift : -shift;
    const int lack = std::max(0, needed96 - (right - left));
    if (fromLeft)
      right += lack;
    else
      left -= lack;
    shift += lack;
    place.at96 = qvRect(Position(left, leftFromRight), place.at96.GetTop(), Position(right, rightFromRight),
                        place.at96.GetBottom());
    button->SetLayoutPlace(place);
  }
}
