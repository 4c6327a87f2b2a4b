// The location step's line of room: needed against free, in the units a
// user reads, and a plain word when the drive is too small.
#include "app/window/SpaceLine.h"

#include <gtest/gtest.h>

namespace {

TEST(SpaceLine, TellsTheRoomNeededAndFree) {
  const auto figures = [](bool measured, uint64_t needed, bool freeKnown, uint64_t free) {
    SpaceFigures f;
    f.measured = measured;
    f.needed = needed;
    f.freeKnown = freeKnown;
    f.free = free;
    f.volume = "C:\\";
    return f;
  };
  const struct {
    const char* name;
    SpaceFigures figures;
    const char* line;
  } cases[] = {
      {"not measured yet", figures(false, 0, true, 1 << 20), "Measuring the space it needs..."},
      {"room enough", figures(true, 21196800, true, 65000000000ull), "Needs 20.2 MB; C:\\ has 60.5 GB free."},
      {"exactly enough", figures(true, 1024, true, 1024), "Needs 1.0 KB; C:\\ has 1.0 KB free."},
      {"one byte short", figures(true, 1025, true, 1024),
       "Needs 1.0 KB; C:\\ has only 1.0 KB free: choose another location."},
      {"an empty payload", figures(true, 0, true, 0), "Needs 0 bytes; C:\\ has 0 bytes free."},
      {"a drive that cannot be asked", figures(true, 19, false, 0), "Needs 19 bytes."},
  };
  for (const auto& c : cases) EXPECT_EQ(SpaceLine(c.figures), c.line) << c.name;
}

}  // namespace
