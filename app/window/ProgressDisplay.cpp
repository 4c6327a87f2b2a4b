#include "app/window/ProgressDisplay.h"

#include "app/install/UiText.h"

#include "app/install/InstallProgress.h"
#include "toolkit/controls/qvCaption.h"

void ProgressDisplay::Show(uint64_t filesDone, uint64_t filesTotal, uint64_t bytesDone, uint64_t bytesTotal) {
  if (cursor) AdvanceBusyCursor(cursor);
  // SetText repaints the caption before it returns.
  caption->SetText(ProgressText(filesDone, filesTotal, bytesDone, bytesTotal).c_str());
  ++repaints;
}
