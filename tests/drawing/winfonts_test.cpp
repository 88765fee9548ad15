#include "drawing/winfonts.h"

#include <atomic>
#include <thread>

#include <gtest/gtest.h>

#include "platform/paint/gdiimage.h"

namespace {

platform::TTextMetric Metric(int Height, int Ascent, int InternalLeading) {
  platform::TTextMetric m;
  m.tmHeight = Height;
  m.tmAscent = Ascent;
  m.tmInternalLeading = InternalLeading;
  return m;
}

// Whether another thread could take the canvas's lock now.
bool LockFreeForOthers(platform::TCanvas& canvas) {
  std::atomic<bool> locked{false};
  std::thread other([&] {
    locked = canvas.TryLock();
    if (locked) canvas.Unlock();
  });
  other.join();
  return locked;
}

class WindowsFontTest : public ::testing::Test {
protected:
  WindowsFontTest() {
    font.SetFaceName("Arial");
    font.SetHeight(40);
  }

  platform::TBitmap bitmap{32, 32};
  platform::TCanvas& canvas = bitmap.Canvas();
  TWindowsFont font;
};

TEST(WindowsFontCellTest, CellHeightGivesTheRequestedLetterHeight) {
  struct Case {
    int height;
    platform::TTextMetric metric;
    int cell;
  };
  const Case cases[] = {
      {40, Metric(100, 90, 10), 50},    // letters are 80 % of the cell
      {7, Metric(3, 2, 0), 11},         // 10.5 rounds away from zero
      {-40, Metric(100, 90, 10), -50},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.height);
    EXPECT_EQ(TWindowsFont::CellHeightFor(c.height, c.metric), c.cell);
  }
}

TEST(WindowsFontCellTest, FaceWithoutLetterHeightKeepsTheRequestedHeightInsteadOfDividingByZero) {
  EXPECT_EQ(TWindowsFont::CellHeightFor(40, Metric(100, 10, 10)), 40);
  EXPECT_EQ(TWindowsFont::CellHeightFor(40, Metric(100, 5, 10)), 40);
}

TEST_F(WindowsFontTest, SelectBuildsTheFontFromTheMeasuredFace) {
  font.SetAngle(900);
  font.SetItalic(true);
  font.SetUnderline(true);
  platform::TFont probe;
  probe.Name = "Arial";
  probe.Height = -1024;
  probe.CharSet = 0;
  canvas.SetFont(probe);
  const int expectedCell = TWindowsFont::CellHeightFor(40, canvas.GetTextMetrics());
  platform::TFont before;
  before.Name = "Courier New";
  canvas.SetFont(before);
  canvas.SetTextColor(platform::clRed);

  font.Select(canvas);
  EXPECT_EQ(font.CellHeight(), expectedCell);
  EXPECT_GT(expectedCell, 40);
  ASSERT_TRUE(font.HasHandle());
  EXPECT_EQ(canvas.Font().Name, "Arial");
  EXPECT_EQ(canvas.Font().Height, -expectedCell);
  EXPECT_EQ(canvas.Font().Escapement, 900);
  EXPECT_TRUE(canvas.Font().Italic);
  EXPECT_TRUE(canvas.Font().Underline);
  EXPECT_EQ(canvas.Font().CharSet, platform::EASTEUROPE_CHARSET);
  EXPECT_EQ(canvas.TextColor(), platform::clRed);  // the colour stays the canvas's
  EXPECT_FALSE(LockFreeForOthers(canvas));

  canvas.SetTextColor(platform::clBlue);
  font.Deselect(canvas);
  EXPECT_EQ(canvas.Font().Name, "Courier New");
  EXPECT_EQ(canvas.TextColor(), platform::clBlue);
  EXPECT_EQ(font.SelectCount(), 0);
  EXPECT_TRUE(LockFreeForOthers(canvas));
}

TEST_F(WindowsFontTest, SettersWaitUntilTheFontIsDeselected) {
  font.Select(canvas);
  const int cell = font.CellHeight();
  font.SetHeight(80);
  font.SetFaceName("Times New Roman");
  font.SetAngle(450);
  font.SetItalic(true);
  EXPECT_EQ(font.Height(), 40);
  EXPECT_EQ(font.FaceName(), "Arial");
  EXPECT_EQ(font.CellHeight(), cell);
  EXPECT_TRUE(font.HasHandle());
  font.Deselect(canvas);

  font.SetHeight(80);
  EXPECT_FALSE(font.HasHandle());
  EXPECT_EQ(font.CellHeight(), 0);
  font.Select(canvas);
  EXPECT_EQ(font.Height(), 80);
  EXPECT_EQ(canvas.Font().Height, -font.CellHeight());
  EXPECT_GT(font.CellHeight(), 80);
  font.Deselect(canvas);
}

TEST_F(WindowsFontTest, AngleKeepsTheMeasureAndFaceNameMeasuresAgain) {
  font.Select(canvas);
  font.Deselect(canvas);
  const int cell = font.CellHeight();
  font.SetAngle(300);
  EXPECT_FALSE(font.HasHandle());
  EXPECT_EQ(font.CellHeight(), cell);
  font.SetItalic(true);
  EXPECT_EQ(font.CellHeight(), cell);
  font.SetFaceName("Courier New");
  EXPECT_EQ(font.CellHeight(), 0);
  font.Select(canvas);
  EXPECT_NE(font.CellHeight(), 0);
  EXPECT_EQ(canvas.Font().Escapement, 300);
  font.Deselect(canvas);

  font.SetAngle(300);  // same values: the font is kept
  font.SetItalic(true);
  EXPECT_TRUE(font.HasHandle());
}

TEST_F(WindowsFontTest, NestedSelectionsGiveTheCanvasBackOnlyAtTheLastDeselect) {
  platform::TFont before;
  before.Name = "Courier New";
  canvas.SetFont(before);
  font.Select(canvas);
  font.Select(canvas);
  EXPECT_EQ(font.SelectCount(), 2);
  font.Deselect(canvas);
  EXPECT_EQ(canvas.Font().Name, "Arial");
  EXPECT_FALSE(LockFreeForOthers(canvas));
  font.Deselect(canvas);
  EXPECT_EQ(canvas.Font().Name, "Courier New");
  EXPECT_TRUE(LockFreeForOthers(canvas));
}

TEST_F(WindowsFontTest, DeselectWithoutSelectDoesNothing) {
  platform::TFont before;
  before.Name = "Courier New";
  canvas.SetFont(before);
  font.Deselect(canvas);
  EXPECT_EQ(font.SelectCount(), 0);
  EXPECT_EQ(canvas.Font().Name, "Courier New");
  font.Select(canvas);
  font.Deselect(canvas);
  EXPECT_TRUE(LockFreeForOthers(canvas));
}

TEST_F(WindowsFontTest, ReleaseHandleDropsTheFont) {
  font.Select(canvas);
  font.Deselect(canvas);
  font.ReleaseHandle();
  EXPECT_FALSE(font.HasHandle());
  EXPECT_NE(font.CellHeight(), 0);
}

}  // namespace
