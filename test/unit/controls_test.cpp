#include "console/controls.h"

#include <gtest/gtest.h>

#include <set>

namespace pelterwyn {
namespace {

TEST(Controls, TabIndexesAreZeroToThirteenEachOnce) {
  const auto order = TabOrder();
  for (int i = 0; i < kControlCount; ++i) EXPECT_EQ(ControlInfo(order[i]).tabIndex, i);
  EXPECT_EQ(order.front(), ControlId::Label1);
  EXPECT_EQ(order[1], ControlId::txtServer);
  EXPECT_EQ(order.back(), ControlId::cmdGetRows);
}

TEST(Controls, HiddenControlsLieBeyondTheClientArea) {
  std::set<std::string_view> hidden;
  for (const auto& c : kControls) {
    if (c.hidden) {
      hidden.insert(c.name);
      EXPECT_GE(c.left, kClientWidthTwips) << c.name;
    } else {
      EXPECT_LE(c.left + c.width, kClientWidthTwips) << c.name;
      EXPECT_LE(c.top + c.height, kClientHeightTwips) << c.name;
    }
  }
  EXPECT_EQ(hidden, (std::set<std::string_view>{"cmdTest2", "cmdSend", "Label3", "txtCount",
                                                "Label4", "cmdGetRow", "cmdGetRows"}));
}

TEST(Controls, TwipsMapToPixelsByDpiWithRoundedEdges) {
  EXPECT_EQ(TwipsToPixels(6855, 96), 457);
  EXPECT_EQ(TwipsToPixels(4725, 96), 315);
  EXPECT_EQ(TwipsToPixels(7, 96), 0);    // 0.4666
  EXPECT_EQ(TwipsToPixels(8, 96), 1);    // 0.5333
  EXPECT_EQ(TwipsToPixels(-8, 96), -1);  // halves away from zero, as MulDiv
  // 2040/15 = 136, (2040+3495)/15 = 369: the width comes from the edges.
  const PixelRect alias = ToPixels(ControlInfo(ControlId::txtAlias), 96);
  EXPECT_EQ(alias.left, 136);
  EXPECT_EQ(alias.width, 233);
}

TEST(Controls, FullClientAreaHoldsTheSecondColumn) {
  const TwipsSize full = FullClientSizeTwips();
  for (const auto& c : kControls) {
    EXPECT_LE(c.left + c.width, full.width) << c.name;
    EXPECT_LE(c.top + c.height, full.height) << c.name;
  }
  EXPECT_EQ(full.width, 8760 + 495 + 240);
  EXPECT_EQ(full.height, 5760 + 375 + 240);
}

}  // namespace
}  // namespace pelterwyn
