// Buttons widened to their labels in the window's language at its DPI, in
// their 96-DPI layout places so that every later layout keeps the width.
#pragma once

#include <string>
#include <vector>

class qvButton;

// A button and the other labels it is to show later (Install, then Quit):
// it is made wide enough for the longest.
struct RowButton {
  qvButton* button;
  std::vector<std::string> laterLabels = {};
};

// A row of buttons that ends at the right, given from the right: the
// rightmost keeps its right edge, each other keeps the gap it had to the
// one on its right, and each widens to the left as far as its labels need.
// With fromLeft, a row that begins at the left instead, given from the
// left, widening to the right.
void WidenRowToLabels(const std::vector<RowButton>& row, bool fromLeft = false);
