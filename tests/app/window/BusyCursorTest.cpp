#include "app/window/BusyCursor.h"

#include <gtest/gtest.h>

namespace {

TEST(BusyCursorTest, FramesRunThroughTheEightCursorsAndWrap) {
  BusyCursor cursor = {1, kFirstBusyFrame};
  for (int32_t frame = 209; frame <= 216; ++frame) {
    EXPECT_EQ(cursor.frame, frame);
    AdvanceBusyCursor(&cursor);
  }
  AdvanceBusyCursor(&cursor);
  EXPECT_EQ(cursor.frame, 210) << "frame 209 shows again after 216";

  BusyCursor fresh = {0, 0};
  AdvanceBusyCursor(&fresh);
  EXPECT_EQ(fresh.started, 1);
  EXPECT_EQ(fresh.frame, 210) << "a record not started begins at 209";

  BusyCursor low = {1, 5};
  AdvanceBusyCursor(&low);
  EXPECT_EQ(low.frame, 217) << "a frame below the range shows 216";
}

}  // namespace
