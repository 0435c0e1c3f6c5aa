#include "korvane/grid_axis.h"

#include <gtest/gtest.h>

namespace korvane {
namespace {

TEST(GridAxis, LinesFollowEachOtherWithAGridLineBetween) {
  GridAxis columns(4, 64);
  columns.SetSize(0, 20);
  columns.SetSize(2, 301);
  // Extents 21, 65, 302, 65.
  EXPECT_EQ(columns.Offset(0), 0);
  EXPECT_EQ(columns.Offset(1), 21);
  EXPECT_EQ(columns.Offset(2), 86);
  EXPECT_EQ(columns.Offset(4), 453);
  EXPECT_EQ(columns.Size(2), 301);
  struct Hit {
    int offset, index;
  };
  for (Hit h : {Hit{0, 0}, Hit{20, 0}, Hit{21, 1}, Hit{85, 1}, Hit{86, 2}, Hit{452, 3}, Hit{453, 4},
                Hit{100000, 4}}) {
    SCOPED_TRACE(h.offset);
    EXPECT_EQ(columns.IndexAt(h.offset), h.index);
  }
}

TEST(GridAxis, ScalesSizesButNotGridLines) {
  GridAxis rows(10000, 20);
  rows.SetDpi(144);
  EXPECT_EQ(rows.Size(5), 30);
  EXPECT_EQ(rows.Offset(10000), 310000);
  EXPECT_EQ(rows.IndexAt(31 * 9999), 9999);
  rows.SetDpi(120);  // 25 pixels
  EXPECT_EQ(rows.Offset(2), 52);
}

TEST(GridAxis, ShrinkingForgetsTheSizesOfTheLinesCut) {
  GridAxis columns(3, 10);
  columns.SetSize(2, 50);
  columns.SetSize(5, 70);  // no such line
  columns.SetCount(2);
  columns.SetCount(6);
  EXPECT_EQ(columns.Offset(6), 6 * 11);
  columns.SetSize(1, -5);
  EXPECT_EQ(columns.Size(1), 0);
  EXPECT_EQ(columns.Offset(2), 12);
}

}  // namespace
}  // namespace korvane
