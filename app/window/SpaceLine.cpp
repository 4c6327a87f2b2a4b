#include "app/window/SpaceLine.h"

#include "app/install/InstallProgress.h"
#include "app/install/UiStrings.h"
#include "resources/StringIds.h"

std::string SpaceLine(const SpaceFigures& figures) {
  if (!figures.measured) return UiTextUtf8(IDS_SPACE_MEASURING);
  const std::string needed = UiSize(figures.needed);
  if (!figures.freeKnown) return UiTextUtf8(IDS_SPACE_NEEDS, {needed});
  if (figures.free < figures.needed)
    return UiTextUtf8(IDS_SPACE_TOO_LITTLE, {needed, figures.volume, UiSize(figures.free)});
  return UiTextUtf8(IDS_SPACE_FREE, {needed, figures.volume, UiSize(figures.free)});
}
