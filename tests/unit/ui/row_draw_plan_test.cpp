#include "ui/core/row_draw_plan.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using ui::Box;
using ui::CellPlan;
using ui::PlacedImage;
using ui::PlanRow;

const std::vector<int> kWidths = {206, 204, 135};
const Box kRow = {0, 104, 545, 156};  // row 2 of 52-pixel rows in a 545-pixel-wide list

struct Case {
  const char* name;
  std::string status;
  std::vector<PlacedImage> column0;
  std::vector<PlacedImage> column2;
};

TEST(RowDrawPlan, IconsFollowTheStatusWords) {
  const Case cases[] = {
      {"unknown device", "\n\n标记为已知", {{2, 10, 115}}, {{4, 216 + 204, 118}}},
      {"known device", "\n\n标记为未知", {{1, 10, 115}}, {{3, 420, 118}}},
      {"this computer", "\n本机", {{0, 10, 115}}, {}},
      {"no status word", "\n\n已知", {}, {}},
      {"empty", "", {}, {}},
      // The words are tested independently, in a fixed order.
      {"both labels",
       "标记为未知 标记为已知",
       {{2, 10, 115}, {1, 10, 115}},
       {{4, 420, 118}, {3, 420, 118}}},
  };
  for (const Case& c : cases) {
    std::vector<CellPlan> plan = PlanRow(kRow, kWidths, c.status);
    ASSERT_EQ(plan.size(), 3u) << c.name;
    EXPECT_EQ(plan[0].images, c.column0) << c.name;
    EXPECT_TRUE(plan[1].images.empty()) << c.name;
    EXPECT_EQ(plan[2].images, c.column2) << c.name;
  }
}

TEST(RowDrawPlan, WordsMatchOnCharacterBoundariesOnly) {
  // "本机" is B1 BE BB FA. Here those bytes start at a trail byte (C0 B1, BE BB, then a lone
  // FA), so the text does not contain the word.
  std::string fused = "\xC0\xB1\xBE\xBB\xFA";
  std::vector<CellPlan> plan = PlanRow(kRow, kWidths, fused);
  EXPECT_TRUE(plan[0].images.empty());
}

TEST(RowDrawPlan, TextEdgesAccumulateAndReachTheRowsRightEdge) {
  std::vector<CellPlan> plan = PlanRow(kRow, kWidths, "\n本机");
  ASSERT_EQ(plan.size(), 3u);
  EXPECT_EQ(plan[0].text.left, 55);
  EXPECT_EQ(plan[1].text.left, 206 + 10);
  EXPECT_EQ(plan[2].text.left, 410 + 55);
  for (const CellPlan& cell : plan) {
    EXPECT_EQ(cell.text.top, kRow.top);
    EXPECT_EQ(cell.text.bottom, kRow.bottom);
    EXPECT_EQ(cell.text.right, kRow.right);  // never cut at a column boundary
  }
}

TEST(RowDrawPlan, RowOffsetAndColumnCountComeFromTheCaller) {
  Box shifted = {-30, 0, 400, 52};  // scrolled horizontally
  std::vector<CellPlan> plan = PlanRow(shifted, {100}, "\n\n标记为已知");
  ASSERT_EQ(plan.size(), 1u);
  EXPECT_EQ(plan[0].images, (std::vector<PlacedImage>{{2, -20, 11}}));
  EXPECT_EQ(plan[0].text.left, 25);
  EXPECT_TRUE(PlanRow(kRow, {}, "\n本机").empty());
}

}  // namespace
