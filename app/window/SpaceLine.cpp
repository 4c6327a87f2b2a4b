#include "app/window/SpaceLine.h"

#include "app/install/InstallProgress.h"

std::string SpaceLine(const SpaceFigures& figures) {
  if (!figures.measured) return "Measuring the space it needs...";
  const std::string needs = "Needs " + FormatSize(figures.needed);
  if (!figures.freeKnown) return needs + ".";
  if (figures.free < figures.needed)
    return needs + "; " + figures.volume + " has only " + FormatSize(figures.free) +
           " free: choose another location.";
  return needs + "; " + figures.volume + " has " + FormatSize(figures.free) + " free.";
}
