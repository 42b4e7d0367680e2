// The revealed column under real input: before "Show all tests" a click
// where its buttons will stand reaches nothing; after it, each button runs
// its test when clicked with the mouse or pressed from the keyboard. The
// window is photographed with the results in it.
#include <gtest/gtest.h>

#include "e2e/hidden_support.h"

namespace pelterwyn::e2e {
namespace {

using namespace hidden;

class HiddenRevealTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(app.Start()) << app.Error();
    app.SetText(ControlId::txtServer, "EXCHANGE1");
    app.SetText(ControlId::txtAlias, "jsmith");
  }

  StoreFixture store;
  App app;
};

TEST_F(HiddenRevealTest, EachRevealedButtonRunsItsTestFromTheMouseOrTheKeyboard) {
  // Where Test 2 will stand is outside the window until it is revealed.
  {
    const JournalMark mark(store);
    ASSERT_TRUE(MouseClick(app, ControlId::cmdTest2));
    Sleep(300);
    ASSERT_EQ(app.WaitSettled(5000), Settled::Idle);
    EXPECT_EQ(app.Text(ControlId::txtResult), "");
    EXPECT_EQ(Joined(mark.Take().Story()), "");
  }
  ShowAllTests(app);

  {
    SCOPED_TRACE("Send Messages from the keyboard");
    // Tab from the result box: Send Messages, then the count, whose text is
    // selected on the way in and replaced by what is typed.
    ASSERT_TRUE(MouseClick(app, ControlId::txtResult));
    ASSERT_TRUE(WaitUntil([&] { return app.Focus() == ControlId::txtResult; }));
    ASSERT_TRUE(app.PressKey(VK_TAB));
    ASSERT_TRUE(app.PressKey(VK_TAB));
    ASSERT_TRUE(WaitUntil([&] { return app.Focus() == ControlId::txtCount; }));
    ASSERT_TRUE(app.TypeKeys("2"));
    ASSERT_TRUE(WaitUntil([&] { return app.Text(ControlId::txtCount) == "2"; }))
        << app.Text(ControlId::txtCount);
    ASSERT_TRUE(app.PressKey(VK_TAB, {.shift = true}));
    ASSERT_TRUE(WaitUntil([&] { return app.Focus() == ControlId::cmdSend; }));
    const JournalMark mark(store);
    ASSERT_TRUE(app.PressKey(VK_SPACE));
    ASSERT_EQ(app.WaitSettled(30000), Settled::Idle);
    EXPECT_EQ(app.Text(ControlId::txtResult), "Sending message 2");
    EXPECT_EQ(mark.Take().Count("Message", "Send"), 2);
  }
  for (const auto& [button, last] :
       {std::pair{ControlId::cmdGetRow, "Sum of rows=4"},
        std::pair{ControlId::cmdGetRows, "Row count after GetRows = 2"}}) {
    SCOPED_TRACE(std::string(ControlInfo(button).name) + " from the mouse");
    ASSERT_TRUE(MouseClick(app, button));
    const std::string count =
        button == ControlId::cmdGetRow ? "MAPITable.RowCount = 4" : "MAPITable.RowCount = 2";
    for (const std::string& text : {count, std::string(last)}) {
      const auto box = app.WaitForBox(30000);
      ASSERT_TRUE(box.has_value()) << text;
      EXPECT_EQ(box->text, text);
      ExpectPlainBox(*box);
      ASSERT_TRUE(app.Dismiss(*box));
    }
    ASSERT_EQ(app.WaitSettled(10000), Settled::Idle);
  }
  {
    SCOPED_TRACE("Test 2 from the mouse");
    ASSERT_TRUE(MouseClick(app, ControlId::cmdTest2));
    Sleep(300);
    ASSERT_EQ(app.WaitSettled(30000), Settled::Idle);
    const auto lines = Lines(app.Text(ControlId::txtResult));
    ASSERT_EQ(lines.size(), 4u) << app.Text(ControlId::txtResult);
    EXPECT_EQ(lines.front(), "Logon: messaging subsystem installed.");
    EXPECT_EQ(lines.back(), "Logon: successfully retrieved Inbox.");
  }
  EXPECT_TRUE(store.ReadJournal().AllReleased());

  const auto shot = app.Capture();
  ASSERT_TRUE(shot.has_value());
  const RECT frame = app.WindowRect();
  EXPECT_EQ(shot->Width(), frame.right - frame.left);
  EXPECT_TRUE(shot->SaveBmp(ScreenshotPath("revealed-after-runs.bmp")));
}

}  // namespace
}  // namespace pelterwyn::e2e
