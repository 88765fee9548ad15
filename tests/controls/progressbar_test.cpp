#include "controls/progressbar.h"

#include <gtest/gtest.h>

namespace {

TEST(ProgressBarTest, StartsAt0To100AndKeeps32BitValues) {
  TNewProgressBar bar;
  EXPECT_TRUE(bar.Use32BitRange());
  EXPECT_EQ(bar.Width(), 150);
  EXPECT_EQ(bar.Min(), 0);
  EXPECT_EQ(bar.Max(), 100);
  bar.SetMax(3'000'000);
  bar.SetPosition(2'500'000);
  EXPECT_EQ(bar.Position(), 2'500'000);
  EXPECT_EQ(bar.ControlPosition(), 2'500'000);
  bar.SetMin(-10);
  EXPECT_EQ(bar.Min(), -10);
}

TEST(ProgressBarTest, MaxBelowMinIsRefusedAndChangesNothing) {
  for (bool wide : {true, false}) {
    TNewProgressBar bar(wide);
    bar.SetMax(20);
    bar.SetMin(10);
    EXPECT_THROW(bar.SetMax(5), EInvalidOperation);
    EXPECT_THROW(bar.SetMin(21), EInvalidOperation);
    EXPECT_EQ(bar.Min(), 10);
    EXPECT_EQ(bar.Max(), 20);
  }
}

TEST(ProgressBarTest, ScaledPathShowsTheShareOf65535AndRefusesNegatives) {
  TNewProgressBar bar(false);
  bar.SetMax(1'000'000);
  bar.SetPosition(500'000);
  EXPECT_EQ(bar.ControlPosition(), 32768);
  bar.SetPosition(2'000'000);
  EXPECT_EQ(bar.Position(), 2'000'000);
  EXPECT_EQ(bar.ControlPosition(), 65535);
  EXPECT_THROW(bar.SetPosition(-1), ERangeError);
  EXPECT_THROW(bar.SetMin(-1), ERangeError);
  EXPECT_EQ(bar.Position(), 2'000'000);
  EXPECT_EQ(bar.Min(), 0);
  // A range of width 0 shows an empty bar.
  bar.SetMax(0);
  EXPECT_EQ(bar.ControlPosition(), 0);
}

}  // namespace
