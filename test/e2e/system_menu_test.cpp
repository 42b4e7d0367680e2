// The two system menu entries: "Show all tests" and "About Pelterwyn".
#include <gtest/gtest.h>

#include "e2e/driver/harness.h"

namespace pelterwyn::e2e {
namespace {

using SystemMenuTest = StartedTool;

TEST_F(SystemMenuTest, ShowAllTestsRevealsTheSecondColumnInAnEnlargedWindow) {
  ASSERT_NO_FATAL_FAILURE(Reveal());
  const TwipsSize full = FullClientSizeTwips();
  const PixelRect expected = ToPixels(0, 0, full.width, full.height, dpi);
  const SIZE client = app.ClientSize();
  EXPECT_EQ(client.cx, expected.width);
  EXPECT_EQ(client.cy, expected.height);

  for (const ControlSpec& c : kControls) {
    SCOPED_TRACE(std::string(c.name));
    EXPECT_TRUE(app.IsVisible(c.id));
    const RECT r = app.ControlRect(c.id);
    const RECT want = ExpectedRect(c.id, dpi);
    EXPECT_TRUE(EqualRect(&r, &want)) << "controls never move";
    EXPECT_LE(r.right, client.cx);
    EXPECT_LE(r.bottom, client.cy);
  }

  const RECT frame = app.WindowRect();
  const RECT work = WorkArea();
  EXPECT_GE(frame.left, work.left);
  EXPECT_GE(frame.top, work.top);
  EXPECT_LE(frame.right, work.right);
  EXPECT_LE(frame.bottom, work.bottom);
  EXPECT_LE(std::abs((frame.left + frame.right) - (work.left + work.right)), 2);
  EXPECT_LE(std::abs((frame.top + frame.bottom) - (work.top + work.bottom)), 2);

  // The entry is spent: a second use changes nothing.
  ASSERT_NO_FATAL_FAILURE(Reveal());
  EXPECT_EQ(app.ClientSize().cx, client.cx);
  EXPECT_EQ(app.ClientSize().cy, client.cy);
  const RECT again = app.WindowRect();
  EXPECT_TRUE(EqualRect(&again, &frame));
}

TEST_F(SystemMenuTest, RevealedControlsJoinTheTabOrderByTabIndex) {
  ASSERT_NO_FATAL_FAILURE(Reveal());
  ASSERT_TRUE(app.BringToFront());
  ASSERT_EQ(app.Focus(), ControlId::txtServer);
  for (ControlId next :
       {ControlId::txtAlias, ControlId::chkLoad, ControlId::cmdLogon, ControlId::cmdTest2,
        ControlId::txtResult, ControlId::cmdSend, ControlId::txtCount, ControlId::cmdGetRow,
        ControlId::cmdGetRows, ControlId::txtServer}) {
    ASSERT_TRUE(app.PressKey(VK_TAB));
    WaitUntil([&] { return app.Focus() == next; });
    EXPECT_EQ(NameOf(app.Focus()), ControlInfo(next).name);
  }
}

TEST_F(SystemMenuTest, AboutNamesVersionBuildTraceLogAndTheCdoRequirement) {
  app.SysCommand(win32::kSysAbout);
  const auto box = app.WaitForBox();
  ASSERT_TRUE(box.has_value());
  EXPECT_EQ(box->caption, "Pelterwyn");
  EXPECT_NE(box->text.find("1.00.0007"), std::string::npos) << box->text;
  EXPECT_NE(box->text.find(std::string(testing::kBitness) + " build"), std::string::npos)
      << box->text;
  EXPECT_NE(box->text.find(app.LogPath()), std::string::npos) << box->text;
  EXPECT_NE(box->text.find("only the 32-bit build"), std::string::npos) << box->text;
  EXPECT_NE(box->icon, BoxIcon::Stop);
  EXPECT_EQ(box->buttons.size(), 1u);

  // Modal: the window takes no click until the box is gone.
  EXPECT_FALSE(IsWindowEnabled(app.Window()));
  ASSERT_TRUE(app.Dismiss(*box));
  EXPECT_TRUE(IsWindowEnabled(app.Window()));
  EXPECT_EQ(app.WaitSettled(5000), Settled::Idle);
}

}  // namespace
}  // namespace pelterwyn::e2e
